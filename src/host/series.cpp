#include "host/series.h"

#include "platform/time_zones.h"

namespace host {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

}  // namespace

platform::DateTime ZoneWallToUtc(const std::string& windows_zone, const platform::DateTime& wall) {
    const std::string iana = platform::IanaFromWindowsId(windows_zone);
    platform::DateTime utc;
    if (!iana.empty() && platform::ZoneWallToUtc(iana, wall, &utc)) {
        return utc;
    }
    return wall.LocalToUtc();
}

platform::DateTime ZoneUtcToWall(const std::string& windows_zone, const platform::DateTime& utc) {
    const std::string iana = platform::IanaFromWindowsId(windows_zone);
    platform::DateTime wall;
    if (!iana.empty() && platform::ZoneUtcToWall(iana, utc, &wall)) {
        return wall;
    }
    return utc.UtcToLocal();
}

std::int64_t DayOf(const platform::DateTime& date) {
    std::int64_t seconds = date.ToUnixSeconds();
    std::int64_t day = seconds / kSecondsPerDay;
    if (seconds % kSecondsPerDay < 0) {
        --day;
    }
    return day;
}

platform::DateTime DateOfDay(std::int64_t day, std::int32_t minutes) {
    return platform::DateTime::FromUnixSeconds(day * kSecondsPerDay +
                                               static_cast<std::int64_t>(minutes) * 60);
}

RecurrenceRule Series::RuleOf(const PropertyBag& pattern) {
    RecurrenceRule rule;
    rule.type =
        static_cast<outlook::OlRecurrenceType>(BagLong(pattern, "RecurrenceType", outlook::olRecursWeekly));
    rule.interval = BagLong(pattern, "Interval", 1);
    rule.day_of_month = BagLong(pattern, "DayOfMonth");
    rule.day_of_week_mask = BagLong(pattern, "DayOfWeekMask");
    rule.month_of_year = BagLong(pattern, "MonthOfYear");
    rule.instance = BagLong(pattern, "Instance");
    rule.no_end = BagBool(pattern, "NoEndDate");
    rule.occurrences = BagLong(pattern, "Occurrences");
    const platform::DateTime start = BagDate(pattern, "PatternStartDate");
    rule.start_day = start.IsValid() ? DayOf(start) : 0;
    const platform::DateTime end = BagDate(pattern, "PatternEndDate");
    rule.end_day = end.IsValid() ? DayOf(end) : 0;
    return rule;
}

void Series::FillDefaults(PropertyBag* pattern) {
    const platform::DateTime start = BagDate(*pattern, "PatternStartDate");
    if (!start.IsValid()) {
        return;
    }
    int year = 0;
    int month = 0;
    int day = 0;
    CivilFromDays(DayOf(start), &year, &month, &day);
    const auto type = static_cast<outlook::OlRecurrenceType>(BagLong(*pattern, "RecurrenceType"));
    const std::int32_t weekday_bit = 1 << WeekdayOfDay(DayOf(start));
    const bool uses_mask = type == outlook::olRecursWeekly || type == outlook::olRecursMonthNth ||
                           type == outlook::olRecursYearNth;
    if (uses_mask && BagLong(*pattern, "DayOfWeekMask") == 0) {
        (*pattern)["DayOfWeekMask"] = weekday_bit;
    }
    if ((type == outlook::olRecursMonthly || type == outlook::olRecursYearly) &&
        BagLong(*pattern, "DayOfMonth") == 0) {
        (*pattern)["DayOfMonth"] = static_cast<std::int32_t>(day);
    }
    if ((type == outlook::olRecursYearly || type == outlook::olRecursYearNth) &&
        BagLong(*pattern, "MonthOfYear") == 0) {
        (*pattern)["MonthOfYear"] = static_cast<std::int32_t>(month);
    }
    if ((type == outlook::olRecursMonthNth || type == outlook::olRecursYearNth) &&
        BagLong(*pattern, "Instance") == 0) {
        (*pattern)["Instance"] = std::int32_t{1};
    }
}

HRESULT Series::FromRecord(const ItemRecord& master, Series* out) {
    if (!master.pattern || !BagDate(*master.pattern, "PatternStartDate").IsValid()) {
        return E_INVALIDARG;
    }
    PropertyBag pattern = *master.pattern;
    FillDefaults(&pattern);
    Series series;
    series.rule_ = RuleOf(pattern);
    HRESULT hr = ValidateRule(series.rule_);
    if (FAILED(hr)) {
        return hr;
    }
    series.zone_ = BagText(master.fields, "StartTimeZone");
    series.start_minutes_ = BagLong(pattern, "StartTime");
    series.duration_minutes_ = BagLong(pattern, "Duration", 30);
    if (series.start_minutes_ < 0 || series.start_minutes_ >= 1440 || series.duration_minutes_ < 0) {
        return E_INVALIDARG;
    }
    *out = series;
    return S_OK;
}

platform::DateTime Series::StartUtc(std::int64_t day) const {
    return ZoneWallToUtc(zone_, DateOfDay(day, start_minutes_));
}

platform::DateTime Series::StartLocal(std::int64_t day) const {
    return StartUtc(day).UtcToLocal();
}

void Series::ToSeriesTime(const platform::DateTime& local, std::int64_t* day, std::int32_t* minutes) const {
    const platform::DateTime wall = zone_.empty() ? local : ZoneUtcToWall(zone_, local.LocalToUtc());
    *day = DayOf(wall);
    *minutes = static_cast<std::int32_t>((wall.ToUnixSeconds() - *day * kSecondsPerDay) / 60);
}

HRESULT Series::Days(std::int64_t from_day, std::int64_t to_day, std::size_t limit,
                     std::vector<std::int64_t>* out) const {
    out->clear();
    return ExpandRule(rule_, [&](std::int64_t day) {
        if (day > to_day || out->size() >= limit) {
            return false;
        }
        if (day >= from_day) {
            out->push_back(day);
        }
        return true;
    });
}

bool Series::HasDay(std::int64_t day) const {
    bool found = false;
    (void)ExpandRule(rule_, [&](std::int64_t candidate) {
        found = candidate == day;
        return candidate < day;
    });
    return found;
}

bool Series::FirstDay(std::int64_t* day) const {
    bool found = false;
    (void)ExpandRule(rule_, [&](std::int64_t candidate) {
        *day = candidate;
        found = true;
        return false;
    });
    return found;
}

}  // namespace host
