#include "ical/recurrence_rule.h"

#include <array>
#include <vector>

#include "ical/ical_date.h"
#include "platform/text.h"
#include "platform/time_zones.h"

namespace ical {
namespace {

constexpr std::array<const char*, 7> kDayCodes = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};
constexpr int kAllDayBits = 0x7F;
constexpr int kLastInstance = 5;
// More digits than any real rule part holds; longer numbers are rejected rather than overflowed.
constexpr std::size_t kMaxDigits = 6;

bool IsAnyOf(std::optional<int> type, std::initializer_list<int> types) {
    if (!type)
        return false;
    for (const int candidate : types) {
        if (*type == candidate)
            return true;
    }
    return false;
}

// A base-10 integer with an optional sign at the start of the text; None without a digit.
std::optional<int> ReadNumber(std::string_view text) {
    std::size_t pos = 0;
    int sign = 1;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        sign = text[pos] == '-' ? -1 : 1;
        ++pos;
    }
    int number = 0;
    std::size_t digits = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        if (++digits > kMaxDigits)
            return std::nullopt;
        number = number * 10 + (text[pos] - '0');
        ++pos;
    }
    if (digits == 0)
        return std::nullopt;
    return sign * number;
}

// Only an optional sign and digits (the ordinal of "-1FR").
bool IsWholeNumber(std::string_view text) {
    const std::size_t first = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
    if (first == text.size())
        return false;
    for (std::size_t i = first; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
    }
    return true;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = text.find(separator, start);
        pieces.push_back(
            text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return pieces;
}

struct RuleParts {
    std::optional<std::string_view> freq, interval, bymonthday, byday, bymonth, bysetpos, count, until;
};

RuleParts SplitRule(std::string_view value) {
    RuleParts parts;
    for (const std::string_view part : Split(value, ';')) {
        const std::size_t equals = part.find('=');
        if (equals == std::string_view::npos || equals == 0)
            continue;
        const std::string key = platform::AsciiLower(platform::TrimWhitespace(part.substr(0, equals)));
        const std::string_view text = platform::TrimWhitespace(part.substr(equals + 1));
        std::optional<std::string_view>* slot = nullptr;
        if (key == "freq")
            slot = &parts.freq;
        else if (key == "interval")
            slot = &parts.interval;
        else if (key == "bymonthday")
            slot = &parts.bymonthday;
        else if (key == "byday")
            slot = &parts.byday;
        else if (key == "bymonth")
            slot = &parts.bymonth;
        else if (key == "bysetpos")
            slot = &parts.bysetpos;
        else if (key == "count")
            slot = &parts.count;
        else if (key == "until")
            slot = &parts.until;
        // The first occurrence of a part counts, as for any repeated property.
        if (slot != nullptr && !*slot)
            *slot = text;
    }
    return parts;
}

// Outlook's instance for an RRULE position: 1..4 as they are, 5 and -1 the last; others have none.
std::optional<int> InstanceOfPosition(int position) {
    if (position >= 1 && position <= kLastInstance)
        return position;
    if (position == -1)
        return kLastInstance;
    return std::nullopt;
}

struct DayList {
    int plain_mask = 0;
    std::optional<int> ordinal;  // of the first code with a number
    int ordinal_mask = 0;        // the codes with that same number
};

DayList ReadDays(std::string_view byday) {
    DayList days;
    for (const std::string_view piece : Split(byday, ',')) {
        const std::string_view code = platform::TrimWhitespace(piece);
        if (code.size() < 2)
            continue;
        const int bit = DayBitOfCode(code.substr(code.size() - 2));
        if (bit == 0)
            continue;
        const std::string_view prefix = code.substr(0, code.size() - 2);
        if (prefix.empty()) {
            days.plain_mask |= bit;
            continue;
        }
        const std::optional<int> number = ReadNumber(prefix);
        if (!number || !IsWholeNumber(prefix))
            continue;
        if (!days.ordinal)
            days.ordinal = *number;
        if (*days.ordinal == *number)
            days.ordinal_mask |= bit;
    }
    return days;
}

}  // namespace

int DayBitOfCode(std::string_view code) {
    for (std::size_t i = 0; i < kDayCodes.size(); ++i) {
        if (platform::EqualsIgnoreAsciiCase(code, kDayCodes[i]))
            return 1 << i;
    }
    return 0;
}

std::string WriteRRule(const RecurrenceRule& rule, const SeriesTiming& timing) {
    std::string text;
    const std::optional<int> type = rule.recurrence_type;
    if (IsAnyOf(type, {kRecursDaily}))
        text += "FREQ=DAILY;";
    else if (IsAnyOf(type, {kRecursWeekly}))
        text += "FREQ=WEEKLY;";
    else if (IsAnyOf(type, {kRecursMonthly, kRecursMonthNth}))
        text += "FREQ=MONTHLY;";
    else if (IsAnyOf(type, {kRecursYearly, kRecursYearNth}))
        text += "FREQ=YEARLY;";
    if (rule.interval && *rule.interval > 0) {
        int interval = *rule.interval;
        if (IsAnyOf(type, {kRecursYearly, kRecursYearNth}) && interval >= 12)
            interval /= 12;
        text += "INTERVAL=" + std::to_string(interval) + ";";
    }
    if (rule.day_of_month && *rule.day_of_month > 0 && IsAnyOf(type, {kRecursMonthly, kRecursYearly}))
        text += "BYMONTHDAY=" + std::to_string(*rule.day_of_month) + ";";
    if (rule.day_of_week_mask && (*rule.day_of_week_mask & kAllDayBits) != 0 &&
        IsAnyOf(type, {kRecursDaily, kRecursWeekly, kRecursMonthNth, kRecursYearNth})) {
        std::string codes;
        for (std::size_t i = 0; i < kDayCodes.size(); ++i) {
            if ((*rule.day_of_week_mask & (1 << i)) == 0)
                continue;
            if (!codes.empty())
                codes += ",";
            codes += kDayCodes[i];
        }
        text += "BYDAY=" + codes + ";";
    }
    if (rule.month_of_year && *rule.month_of_year > 0 && IsAnyOf(type, {kRecursYearly, kRecursYearNth}))
        text += "BYMONTH=" + std::to_string(*rule.month_of_year) + ";";
    if (rule.instance && *rule.instance > 0 && IsAnyOf(type, {kRecursMonthNth, kRecursYearNth})) {
        // Outlook's fifth instance is the last week; BYSETPOS=5 would skip months with four.
        const int position = *rule.instance >= kLastInstance ? -1 : *rule.instance;
        text += "BYSETPOS=" + std::to_string(position) + ";";
    }
    if (rule.no_end_date && !*rule.no_end_date) {
        if (rule.occurrences && *rule.occurrences > 0) {
            text += "COUNT=" + std::to_string(*rule.occurrences) + ";";
        } else if (rule.pattern_end_date && rule.pattern_end_date->IsValid()) {
            std::string until;
            if (timing.all_day) {
                // UNTIL must have DTSTART's type: a DATE for an all-day series.
                until = FormatDate(*rule.pattern_end_date);
            } else {
                platform::DateParts end;
                platform::DateParts start;
                if (rule.pattern_end_date->ToParts(&end) && timing.start_time.ToParts(&start)) {
                    const platform::DateTime last_start = platform::DateTime::FromParts(
                        end.year, end.month, end.day, start.hour, start.minute, start.second);
                    platform::DateTime utc;
                    if (timing.zone.empty() || !platform::ZoneWallToUtc(timing.zone, last_start, &utc))
                        utc = last_start.LocalToUtc();
                    until = FormatUtcDateTime(utc);
                }
            }
            if (!until.empty())
                text += "UNTIL=" + until + ";";
        }
    }
    if (text.empty())
        return {};
    text.pop_back();
    return "RRULE:" + text + "\r\n";
}

RecurrenceRule ParseRRule(std::string_view value, const platform::DateTime& series_start,
                          const std::string& zone) {
    const RuleParts parts = SplitRule(value);
    RecurrenceRule rule;
    platform::DateParts start;
    const bool has_start = series_start.ToParts(&start);

    std::optional<int> position;
    if (parts.bysetpos) {
        if (const std::optional<int> number = ReadNumber(*parts.bysetpos))
            position = InstanceOfPosition(*number);
    }
    const DayList days = parts.byday ? ReadDays(*parts.byday) : DayList{};
    // BYDAY=2TU without BYSETPOS is the second Tuesday: the ordinal is the instance.
    const bool nth_by_ordinal = !parts.bysetpos && days.ordinal.has_value();
    if (nth_by_ordinal)
        position = InstanceOfPosition(*days.ordinal);
    const bool nth = parts.bysetpos.has_value() || (nth_by_ordinal && position.has_value());
    rule.instance = position;

    std::optional<int> type;
    if (parts.freq) {
        if (platform::EqualsIgnoreAsciiCase(*parts.freq, "DAILY"))
            type = kRecursDaily;
        else if (platform::EqualsIgnoreAsciiCase(*parts.freq, "WEEKLY"))
            type = kRecursWeekly;
        else if (platform::EqualsIgnoreAsciiCase(*parts.freq, "MONTHLY"))
            type = nth ? kRecursMonthNth : kRecursMonthly;
        else if (platform::EqualsIgnoreAsciiCase(*parts.freq, "YEARLY"))
            type = nth ? kRecursYearNth : kRecursYearly;
    }
    rule.recurrence_type = type;
    if (!type)
        rule.instance.reset();

    if (parts.interval) {
        const std::optional<int> interval = ReadNumber(*parts.interval);
        if (interval && *interval > 0) {
            // Outlook counts a yearly interval in months, as the writer assumes.
            const bool yearly = IsAnyOf(type, {kRecursYearly, kRecursYearNth});
            rule.interval = yearly ? *interval * 12 : *interval;
        }
    }
    if (parts.bymonthday) {
        if (const std::optional<int> day = ReadNumber(*parts.bymonthday); day && *day >= 1 && *day <= 31)
            rule.day_of_month = *day;
    }
    int mask = nth_by_ordinal ? days.ordinal_mask : days.plain_mask;
    if (mask == 0 && nth_by_ordinal)
        mask = days.plain_mask;
    if (mask != 0)
        rule.day_of_week_mask = mask;
    if (parts.bymonth) {
        if (const std::optional<int> month = ReadNumber(*parts.bymonth); month && *month >= 1 && *month <= 12)
            rule.month_of_year = *month;
    }
    // What the rule leaves out comes from DTSTART (RFC 5545 3.3.10).
    if (has_start) {
        if (IsAnyOf(type, {kRecursWeekly}) && !rule.day_of_week_mask)
            rule.day_of_week_mask = 1 << start.day_of_week;
        if (IsAnyOf(type, {kRecursMonthly, kRecursYearly}) && !rule.day_of_month && !parts.byday)
            rule.day_of_month = start.day;
        if (IsAnyOf(type, {kRecursYearly, kRecursYearNth}) && !rule.month_of_year)
            rule.month_of_year = start.month;
    }

    if (parts.count) {
        if (const std::optional<int> count = ReadNumber(*parts.count); count && *count > 0)
            rule.occurrences = *count;
    }
    if (!rule.occurrences && parts.until) {
        // The series' own day: through local time, a Berlin series read in Los Angeles would end a day
        // early (UNTIL's instant falls before 14:00 there).
        const ParsedDateTime parsed = ParseDateTimeParts(*parts.until);
        platform::DateTime until = parsed.value;
        if (parsed.has_time && parsed.is_utc &&
            (zone.empty() || !platform::ZoneUtcToWall(zone, parsed.value, &until)))
            until = parsed.value.UtcToLocal();
        platform::DateParts end;
        if (until.ToParts(&end)) {
            rule.pattern_end_date = DateOnly(until);
            // Outlook ends on a date. An UNTIL earlier in its day than the series' start time (Google
            // writes the last start minus one second) leaves that day's occurrence out.
            const int until_seconds = end.hour * 3600 + end.minute * 60 + end.second;
            const int start_seconds = start.hour * 3600 + start.minute * 60 + start.second;
            if (has_start && parsed.has_time && until_seconds < start_seconds)
                rule.pattern_end_date = rule.pattern_end_date->AddSeconds(-86400);
        }
    }
    if (!rule.occurrences && !rule.pattern_end_date)
        rule.no_end_date = true;
    return rule;
}

}  // namespace ical
