// The recurrence engine: which days a series occurs on. Days are counted from 1970-01-01 in the
// series' own calendar (its wall-clock dates); times of day are added by the caller.
#pragma once

#include <cstdint>
#include <functional>

#include "outlook/enums.h"
#include "platform/date_time.h"
#include "platform/hresult.h"

namespace host {

struct RecurrenceRule {
    outlook::OlRecurrenceType type = outlook::olRecursWeekly;
    // Days (daily), weeks (weekly) or months (the monthly and yearly types; 12 per year).
    std::int32_t interval = 1;
    std::int32_t day_of_month = 0;
    std::int32_t day_of_week_mask = 0;
    std::int32_t month_of_year = 0;
    // 1..4, or 5 for the last, for the Nth types.
    std::int32_t instance = 0;
    bool no_end = true;
    // With no_end false: a count when above 0, else the series ends on end_day.
    std::int32_t occurrences = 0;
    std::int64_t start_day = 0;
    std::int64_t end_day = 0;
};

// The most periods (days, weeks, months) one expansion looks at, so no rule can make an endless loop.
inline constexpr std::int64_t kMaxRecurrencePeriods = 400000;

// S_OK, or E_INVALIDARG for a rule Outlook refuses: an unknown type, an interval outside 1..999 (yearly
// types: 12..11988 in whole years), no day for a weekly or Nth rule, a day of month outside 1..31 or
// beyond the month's length for the yearly type (30 February, 31 April), an instance outside 1..5, a
// month outside 1..12, a count outside 1..999, or an end before the start.
[[nodiscard]] HRESULT ValidateRule(const RecurrenceRule& rule);

// Calls `visit` with each occurrence's day in order, until it returns false, the series ends, the
// calendar ends (9999-12-31) or kMaxRecurrencePeriods periods were looked at. Fails: E_INVALIDARG for a
// rule ValidateRule refuses (nothing is visited).
[[nodiscard]] HRESULT ExpandRule(const RecurrenceRule& rule,
                                 const std::function<bool(std::int64_t day)>& visit);

// Civil calendar helpers (proleptic Gregorian).
using platform::CivilFromDays;
using platform::DaysFromCivil;
using platform::DaysInMonth;
// 0 Sunday .. 6 Saturday.
int WeekdayOfDay(std::int64_t days);

}  // namespace host
