// RRULE text to and from the parts of an Outlook RecurrencePattern, without the object model.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/date_time.h"

namespace ical {

// OlRecurrenceType values.
enum RecurrenceType : int {
    kRecursDaily = 0,
    kRecursWeekly = 1,
    kRecursMonthly = 2,
    kRecursMonthNth = 3,
    kRecursYearly = 5,
    kRecursYearNth = 6,
};

// The pattern's parts. For writing, a part is present when its read succeeded; for reading, a part is
// present when it is to be put, and the puts go in the order of the members (Instance first).
struct RecurrenceRule {
    std::optional<int> instance;         // 1..4, 5 = last
    std::optional<int> recurrence_type;  // RecurrenceType
    std::optional<int> interval;         // yearly types count months, as Outlook does
    std::optional<int> day_of_month;
    std::optional<int> day_of_week_mask;  // OlDaysOfWeek bits, Sunday 1 .. Saturday 64
    std::optional<int> month_of_year;
    std::optional<int> occurrences;
    std::optional<platform::DateTime> pattern_end_date;  // a local date
    std::optional<bool> no_end_date;
};

// What the writer needs besides the pattern: how UNTIL is typed.
struct SeriesTiming {
    bool all_day = false;
    // The pattern's StartTime; its time of day is the start of the last occurrence.
    platform::DateTime start_time = platform::DateTime::Invalid();
    // The IANA zone of StartTime; "" for local time.
    std::string zone;
};

// The whole "RRULE:...\r\n" line. Parts that do not belong to the type are left out, the last week of a
// month is BYSETPOS=-1, and UNTIL is a DATE for an all-day series, else the start of the last possible
// occurrence in UTC. Empty when no part can be written.
std::string WriteRRule(const RecurrenceRule& rule, const SeriesTiming& timing);

// The parts to put for an RRULE value (the text after "RRULE:"). `series_start` is the start of the
// series in its own zone, `zone` (an IANA name, "" for local time): a rule that leaves the day, weekday
// or month to DTSTART takes them from it, and UNTIL in UTC is converted to that zone's wall-clock time
// before its date is used. Unknown parts are ignored.
RecurrenceRule ParseRRule(std::string_view value, const platform::DateTime& series_start,
                          const std::string& zone);

// The OlDaysOfWeek bit of a two-letter day code ("SU".."SA", any case), 0 for anything else.
int DayBitOfCode(std::string_view code);

}  // namespace ical
