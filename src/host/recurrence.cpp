#include "host/recurrence.h"

#include <array>
#include <vector>

namespace host {
namespace {

bool IsYearly(outlook::OlRecurrenceType type) {
    return type == outlook::olRecursYearly || type == outlook::olRecursYearNth;
}

bool IsValidMask(std::int32_t mask) {
    return mask >= 1 && mask <= 127;
}

// The `instance`-th day (5: the last) of the month whose weekday is in `mask`, or -1.
std::int64_t NthDayOfMonth(int year, int month, std::int32_t mask, std::int32_t instance) {
    const std::int64_t first = DaysFromCivil(year, month, 1);
    std::int64_t found = -1;
    int seen = 0;
    for (int d = 0; d < DaysInMonth(year, month); ++d) {
        if ((mask & (1 << WeekdayOfDay(first + d))) == 0) {
            continue;
        }
        ++seen;
        found = first + d;
        if (instance < 5 && seen == instance) {
            return found;
        }
    }
    return instance == 5 ? found : -1;
}

}  // namespace

int WeekdayOfDay(std::int64_t days) {
    // 1970-01-01 was a Thursday.
    const std::int64_t weekday = (days + 4) % 7;
    return static_cast<int>(weekday < 0 ? weekday + 7 : weekday);
}

HRESULT ValidateRule(const RecurrenceRule& rule) {
    switch (rule.type) {
        case outlook::olRecursDaily:
            break;
        case outlook::olRecursWeekly:
            if (!IsValidMask(rule.day_of_week_mask)) {
                return E_INVALIDARG;
            }
            break;
        case outlook::olRecursMonthly:
            if (rule.day_of_month < 1 || rule.day_of_month > 31) {
                return E_INVALIDARG;
            }
            break;
        case outlook::olRecursMonthNth:
            if (!IsValidMask(rule.day_of_week_mask) || rule.instance < 1 || rule.instance > 5) {
                return E_INVALIDARG;
            }
            break;
        case outlook::olRecursYearly:
            // 29 February is allowed (it falls on the 28th in common years); 30 February is not.
            if (rule.month_of_year < 1 || rule.month_of_year > 12 || rule.day_of_month < 1 ||
                rule.day_of_month > DaysInMonth(2000, rule.month_of_year)) {
                return E_INVALIDARG;
            }
            break;
        case outlook::olRecursYearNth:
            if (rule.month_of_year < 1 || rule.month_of_year > 12 || !IsValidMask(rule.day_of_week_mask) ||
                rule.instance < 1 || rule.instance > 5) {
                return E_INVALIDARG;
            }
            break;
        default:
            return E_INVALIDARG;
    }
    if (IsYearly(rule.type)) {
        if (rule.interval < 12 || rule.interval > 999 * 12 || rule.interval % 12 != 0) {
            return E_INVALIDARG;
        }
    } else if (rule.interval < 1 || rule.interval > 999) {
        return E_INVALIDARG;
    }
    if (!rule.no_end) {
        if (rule.occurrences != 0 ? (rule.occurrences < 1 || rule.occurrences > 999)
                                  : rule.end_day < rule.start_day) {
            return E_INVALIDARG;
        }
    }
    return S_OK;
}

HRESULT ExpandRule(const RecurrenceRule& rule, const std::function<bool(std::int64_t day)>& visit) {
    HRESULT hr = ValidateRule(rule);
    if (FAILED(hr)) {
        return hr;
    }
    static const std::int64_t kLastDay = DaysFromCivil(9999, 12, 31);
    const bool by_count = !rule.no_end && rule.occurrences > 0;
    const bool by_date = !rule.no_end && rule.occurrences == 0;
    int start_year = 0;
    int start_month = 0;
    int start_day_of_month = 0;
    CivilFromDays(rule.start_day, &start_year, &start_month, &start_day_of_month);
    const std::int64_t start_month_index = static_cast<std::int64_t>(start_year) * 12 + (start_month - 1);
    const std::int64_t first_week = rule.start_day - WeekdayOfDay(rule.start_day);

    std::int32_t count = 0;
    std::vector<std::int64_t> candidates;
    for (std::int64_t period = 0; period < kMaxRecurrencePeriods; ++period) {
        candidates.clear();
        std::int64_t month_index = 0;
        switch (rule.type) {
            case outlook::olRecursDaily:
                candidates.push_back(rule.start_day + period * rule.interval);
                break;
            case outlook::olRecursWeekly: {
                const std::int64_t week = first_week + period * 7 * rule.interval;
                for (int d = 0; d < 7; ++d) {
                    if ((rule.day_of_week_mask & (1 << d)) != 0) {
                        candidates.push_back(week + d);
                    }
                }
                break;
            }
            case outlook::olRecursMonthly:
            case outlook::olRecursMonthNth:
                month_index = start_month_index + period * rule.interval;
                break;
            case outlook::olRecursYearly:
            case outlook::olRecursYearNth:
                month_index = static_cast<std::int64_t>(start_year) * 12 + (rule.month_of_year - 1) +
                              period * rule.interval;
                break;
        }
        if (rule.type != outlook::olRecursDaily && rule.type != outlook::olRecursWeekly) {
            const int year = static_cast<int>(month_index / 12);
            const int month = static_cast<int>(month_index % 12) + 1;
            if (year > 9999) {
                return S_OK;
            }
            std::int64_t day = -1;
            if (rule.type == outlook::olRecursMonthly || rule.type == outlook::olRecursYearly) {
                // A day beyond the month's end falls on its last day, as Outlook does.
                const int last = DaysInMonth(year, month);
                day = DaysFromCivil(year, month, rule.day_of_month < last ? rule.day_of_month : last);
            } else {
                day = NthDayOfMonth(year, month, rule.day_of_week_mask, rule.instance);
            }
            if (day >= 0) {
                candidates.push_back(day);
            }
        }
        for (std::int64_t day : candidates) {
            if (day < rule.start_day) {
                continue;
            }
            if (day > kLastDay || (by_date && day > rule.end_day)) {
                return S_OK;
            }
            if (!visit(day)) {
                return S_OK;
            }
            if (by_count && ++count >= rule.occurrences) {
                return S_OK;
            }
        }
    }
    return S_OK;
}

}  // namespace host
