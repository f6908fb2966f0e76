#include "host/recurrence_pattern_object.h"

#include "host/exceptions_object.h"
#include "host/fault_hook.h"
#include "host/series.h"
#include "outlook/status.h"

namespace host {
namespace {

bool IsYearly(std::int32_t type) {
    return type == outlook::olRecursYearly || type == outlook::olRecursYearNth;
}

// Outlook's "no end" date.
platform::DateTime NoEnd() {
    return platform::DateTime::FromParts(4501, 1, 1);
}

}  // namespace

RecurrencePatternObject::RecurrencePatternObject(outlook::ComPtr<AppointmentObject> master)
    : master_(std::move(master)) {}

HRESULT RecurrencePatternObject::Pattern(const char* member, PropertyBag** out) {
    HRESULT hr = CheckFault(member);
    if (FAILED(hr)) {
        return hr;
    }
    auto& pattern = master_->Record().pattern;
    if (!pattern) {
        return outlook::MAPI_E_NO_SUPPORT;
    }
    *out = &*pattern;
    return S_OK;
}

HRESULT RecurrencePatternObject::GetLong(const char* member, const char* key, std::int32_t fallback,
                                         std::int32_t* out) {
    PropertyBag* pattern = nullptr;
    HRESULT hr = out == nullptr ? E_POINTER : Pattern(member, &pattern);
    if (SUCCEEDED(hr)) {
        *out = BagLong(*pattern, key, fallback);
    }
    return hr;
}

HRESULT RecurrencePatternObject::PutLong(const char* member, const char* key, std::int32_t value,
                                         std::int32_t low, std::int32_t high) {
    PropertyBag* pattern = nullptr;
    HRESULT hr = Pattern(member, &pattern);
    if (FAILED(hr)) {
        return hr;
    }
    if (value < low || value > high) {
        return E_INVALIDARG;
    }
    (*pattern)[key] = value;
    master_->MarkChanged();
    return S_OK;
}

HRESULT RecurrencePatternObject::get_RecurrenceType(outlook::OlRecurrenceType* out) {
    std::int32_t type = 0;
    HRESULT hr =
        GetLong("RecurrencePattern.get_RecurrenceType", "RecurrenceType", outlook::olRecursWeekly, &type);
    if (SUCCEEDED(hr)) {
        *out = static_cast<outlook::OlRecurrenceType>(type);
    }
    return hr;
}

HRESULT RecurrencePatternObject::put_RecurrenceType(outlook::OlRecurrenceType value) {
    PropertyBag* pattern = nullptr;
    HRESULT hr = Pattern("RecurrencePattern.put_RecurrenceType", &pattern);
    if (FAILED(hr)) {
        return hr;
    }
    switch (value) {
        case outlook::olRecursDaily:
        case outlook::olRecursWeekly:
        case outlook::olRecursMonthly:
        case outlook::olRecursMonthNth:
        case outlook::olRecursYearly:
        case outlook::olRecursYearNth:
            break;
        default:
            return E_INVALIDARG;
    }
    // Fields the new type cannot use are cleared; the ones it can use stay, so an Instance put before
    // the type survives.
    const bool uses_mask = value == outlook::olRecursWeekly || value == outlook::olRecursMonthNth ||
                           value == outlook::olRecursYearNth;
    const bool uses_day = value == outlook::olRecursMonthly || value == outlook::olRecursYearly;
    const bool uses_month = IsYearly(value);
    const bool uses_instance = value == outlook::olRecursMonthNth || value == outlook::olRecursYearNth;
    if (!uses_mask) {
        (*pattern)["DayOfWeekMask"] = std::int32_t{0};
    }
    if (!uses_day) {
        (*pattern)["DayOfMonth"] = std::int32_t{0};
    }
    if (!uses_month) {
        (*pattern)["MonthOfYear"] = std::int32_t{0};
    }
    if (!uses_instance) {
        (*pattern)["Instance"] = std::int32_t{0};
    }
    (*pattern)["Interval"] = std::int32_t{uses_month ? 12 : 1};
    (*pattern)["RecurrenceType"] = static_cast<std::int32_t>(value);
    master_->MarkChanged();
    return S_OK;
}

HRESULT RecurrencePatternObject::get_Interval(std::int32_t* out) {
    return GetLong("RecurrencePattern.get_Interval", "Interval", 1, out);
}

HRESULT RecurrencePatternObject::put_Interval(std::int32_t value) {
    PropertyBag* pattern = nullptr;
    HRESULT hr = Pattern("RecurrencePattern.put_Interval", &pattern);
    if (FAILED(hr)) {
        return hr;
    }
    if (IsYearly(BagLong(*pattern, "RecurrenceType"))) {
        // Yearly intervals count months; a number of years (below 12) is taken as years.
        if (value >= 1 && value < 12) {
            value *= 12;
        }
        if (value < 12 || value > 999 * 12 || value % 12 != 0) {
            return E_INVALIDARG;
        }
    } else if (value < 1 || value > 999) {
        return E_INVALIDARG;
    }
    (*pattern)["Interval"] = value;
    master_->MarkChanged();
    return S_OK;
}

HRESULT RecurrencePatternObject::get_DayOfMonth(std::int32_t* out) {
    return GetLong("RecurrencePattern.get_DayOfMonth", "DayOfMonth", 0, out);
}
HRESULT RecurrencePatternObject::put_DayOfMonth(std::int32_t value) {
    return PutLong("RecurrencePattern.put_DayOfMonth", "DayOfMonth", value, 0, 31);
}
HRESULT RecurrencePatternObject::get_DayOfWeekMask(std::int32_t* out) {
    return GetLong("RecurrencePattern.get_DayOfWeekMask", "DayOfWeekMask", 0, out);
}
HRESULT RecurrencePatternObject::put_DayOfWeekMask(std::int32_t value) {
    return PutLong("RecurrencePattern.put_DayOfWeekMask", "DayOfWeekMask", value, 0, 127);
}
HRESULT RecurrencePatternObject::get_MonthOfYear(std::int32_t* out) {
    return GetLong("RecurrencePattern.get_MonthOfYear", "MonthOfYear", 0, out);
}
HRESULT RecurrencePatternObject::put_MonthOfYear(std::int32_t value) {
    return PutLong("RecurrencePattern.put_MonthOfYear", "MonthOfYear", value, 0, 12);
}
HRESULT RecurrencePatternObject::get_Instance(std::int32_t* out) {
    return GetLong("RecurrencePattern.get_Instance", "Instance", 0, out);
}
HRESULT RecurrencePatternObject::put_Instance(std::int32_t value) {
    return PutLong("RecurrencePattern.put_Instance", "Instance", value, 0, 5);
}

HRESULT RecurrencePatternObject::get_NoEndDate(bool* out) {
    PropertyBag* pattern = nullptr;
    HRESULT hr = out == nullptr ? E_POINTER : Pattern("RecurrencePattern.get_NoEndDate", &pattern);
    if (SUCCEEDED(hr)) {
        *out = BagBool(*pattern, "NoEndDate");
    }
    return hr;
}

HRESULT RecurrencePatternObject::put_NoEndDate(bool value) {
    PropertyBag* pattern = nullptr;
    HRESULT hr = Pattern("RecurrencePattern.put_NoEndDate", &pattern);
    if (FAILED(hr)) {
        return hr;
    }
    (*pattern)["NoEndDate"] = value;
    if (value) {
        pattern->erase("Occurrences");
        pattern->erase("PatternEndDate");
    } else if (BagLong(*pattern, "Occurrences") == 0 && !BagDate(*pattern, "PatternEndDate").IsValid()) {
        // Outlook's default end: ten occurrences.
        (*pattern)["Occurrences"] = std::int32_t{10};
    }
    master_->MarkChanged();
    return S_OK;
}

HRESULT RecurrencePatternObject::get_Occurrences(std::int32_t* out) {
    return GetLong("RecurrencePattern.get_Occurrences", "Occurrences", 0, out);
}

HRESULT RecurrencePatternObject::put_Occurrences(std::int32_t value) {
    PropertyBag* pattern = nullptr;
    HRESULT hr = Pattern("RecurrencePattern.put_Occurrences", &pattern);
    if (FAILED(hr)) {
        return hr;
    }
    if (value < 1 || value > 999) {
        return E_INVALIDARG;
    }
    (*pattern)["Occurrences"] = value;
    (*pattern)["NoEndDate"] = false;
    pattern->erase("PatternEndDate");
    master_->MarkChanged();
    return S_OK;
}

HRESULT RecurrencePatternObject::get_PatternStartDate(platform::DateTime* out) {
    PropertyBag* pattern = nullptr;
    HRESULT hr = out == nullptr ? E_POINTER : Pattern("RecurrencePattern.get_PatternStartDate", &pattern);
    if (SUCCEEDED(hr)) {
        *out = BagDate(*pattern, "PatternStartDate");
    }
    return hr;
}

HRESULT RecurrencePatternObject::put_PatternStartDate(const platform::DateTime& value) {
    PropertyBag* pattern = nullptr;
    HRESULT hr = Pattern("RecurrencePattern.put_PatternStartDate", &pattern);
    if (FAILED(hr)) {
        return hr;
    }
    if (!value.IsValid()) {
        return E_INVALIDARG;
    }
    (*pattern)["PatternStartDate"] = DateOfDay(DayOf(value));
    master_->MarkChanged();
    return S_OK;
}

HRESULT RecurrencePatternObject::get_PatternEndDate(platform::DateTime* out) {
    PropertyBag* pattern = nullptr;
    HRESULT hr = out == nullptr ? E_POINTER : Pattern("RecurrencePattern.get_PatternEndDate", &pattern);
    if (FAILED(hr)) {
        return hr;
    }
    if (BagBool(*pattern, "NoEndDate")) {
        *out = NoEnd();
        return S_OK;
    }
    const platform::DateTime end = BagDate(*pattern, "PatternEndDate");
    if (end.IsValid()) {
        *out = end;
        return S_OK;
    }
    // A counted series ends on its last occurrence.
    Series series;
    hr = Series::FromRecord(master_->Record(), &series);
    if (FAILED(hr)) {
        *out = NoEnd();
        return S_OK;
    }
    std::int64_t last = 0;
    (void)ExpandRule(series.rule(), [&](std::int64_t day) {
        last = day;
        return true;
    });
    *out = DateOfDay(last);
    return S_OK;
}

HRESULT RecurrencePatternObject::put_PatternEndDate(const platform::DateTime& value) {
    PropertyBag* pattern = nullptr;
    HRESULT hr = Pattern("RecurrencePattern.put_PatternEndDate", &pattern);
    if (FAILED(hr)) {
        return hr;
    }
    if (!value.IsValid()) {
        return E_INVALIDARG;
    }
    (*pattern)["PatternEndDate"] = DateOfDay(DayOf(value));
    (*pattern)["NoEndDate"] = false;
    pattern->erase("Occurrences");
    master_->MarkChanged();
    return S_OK;
}

HRESULT RecurrencePatternObject::get_StartTime(platform::DateTime* out) {
    std::int32_t minutes = 0;
    HRESULT hr =
        out == nullptr ? E_POINTER : GetLong("RecurrencePattern.get_StartTime", "StartTime", 0, &minutes);
    if (SUCCEEDED(hr)) {
        *out = platform::DateTime::FromParts(1899, 12, 30, minutes / 60, minutes % 60);
    }
    return hr;
}

HRESULT RecurrencePatternObject::put_StartTime(const platform::DateTime& value) {
    PropertyBag* pattern = nullptr;
    HRESULT hr = Pattern("RecurrencePattern.put_StartTime", &pattern);
    if (FAILED(hr)) {
        return hr;
    }
    platform::DateParts parts;
    if (!value.ToParts(&parts)) {
        return E_INVALIDARG;
    }
    (*pattern)["StartTime"] = static_cast<std::int32_t>(parts.hour * 60 + parts.minute);
    // A full date-time is kept, so an EndTime with a later date gives a duration of several days.
    (*pattern)["StartTimeValue"] = value;
    master_->MarkChanged();
    return S_OK;
}

HRESULT RecurrencePatternObject::get_EndTime(platform::DateTime* out) {
    std::int32_t start = 0;
    std::int32_t duration = 0;
    HRESULT hr =
        out == nullptr ? E_POINTER : GetLong("RecurrencePattern.get_EndTime", "StartTime", 0, &start);
    if (SUCCEEDED(hr)) {
        hr = GetLong("RecurrencePattern.get_EndTime", "Duration", 30, &duration);
    }
    if (SUCCEEDED(hr)) {
        const std::int32_t end = (start + duration) % 1440;
        *out = platform::DateTime::FromParts(1899, 12, 30, end / 60, end % 60);
    }
    return hr;
}

HRESULT RecurrencePatternObject::put_EndTime(const platform::DateTime& value) {
    PropertyBag* pattern = nullptr;
    HRESULT hr = Pattern("RecurrencePattern.put_EndTime", &pattern);
    if (FAILED(hr)) {
        return hr;
    }
    platform::DateParts parts;
    if (!value.ToParts(&parts)) {
        return E_INVALIDARG;
    }
    const platform::DateTime start_value = BagDate(*pattern, "StartTimeValue");
    std::int64_t minutes = 0;
    if (start_value.IsValid() && start_value.value() >= 1.0 && value.value() >= 1.0) {
        minutes = SecondsBetween(value, start_value) / 60;
    } else {
        minutes = (parts.hour * 60 + parts.minute) - BagLong(*pattern, "StartTime");
        if (minutes < 0) {
            minutes += 1440;
        }
    }
    if (minutes < 0 || minutes > 999 * 1440) {
        return E_INVALIDARG;
    }
    (*pattern)["Duration"] = static_cast<std::int32_t>(minutes);
    master_->MarkChanged();
    return S_OK;
}

HRESULT RecurrencePatternObject::get_Duration(std::int32_t* out) {
    return GetLong("RecurrencePattern.get_Duration", "Duration", 30, out);
}
HRESULT RecurrencePatternObject::put_Duration(std::int32_t minutes) {
    return PutLong("RecurrencePattern.put_Duration", "Duration", minutes, 0, 999 * 1440);
}

HRESULT RecurrencePatternObject::get_Exceptions(outlook::ComPtr<outlook::Exceptions>* out) {
    PropertyBag* pattern = nullptr;
    HRESULT hr = out == nullptr ? E_POINTER : Pattern("RecurrencePattern.get_Exceptions", &pattern);
    if (SUCCEEDED(hr)) {
        *out = internal::Make<ExceptionsObject>(master_);
    }
    return hr;
}

HRESULT RecurrencePatternObject::GetOccurrence(const platform::DateTime& start,
                                               outlook::ComPtr<outlook::AppointmentItem>* out) {
    PropertyBag* pattern = nullptr;
    HRESULT hr = out == nullptr ? E_POINTER : Pattern("RecurrencePattern.GetOccurrence", &pattern);
    if (FAILED(hr)) {
        return hr;
    }
    if (!start.IsValid()) {
        return E_INVALIDARG;
    }
    Series series;
    hr = Series::FromRecord(master_->Record(), &series);
    if (FAILED(hr)) {
        return hr;
    }
    std::int64_t day = 0;
    std::int32_t minutes = 0;
    platform::DateParts parts;
    start.ToParts(&parts);
    series.ToSeriesTime(start, &day, &minutes);
    // A date alone names the occurrence on that date, unless local midnight is the series' own start
    // time (a series of another zone can start at midnight here).
    if (minutes != series.start_minutes() && parts.hour == 0 && parts.minute == 0 && parts.second == 0) {
        day = DayOf(start);
        minutes = series.start_minutes();
    }
    if (minutes != series.start_minutes()) {
        return outlook::MAPI_E_NOT_FOUND;
    }
    outlook::ComPtr<AppointmentObject> occurrence;
    hr = AppointmentObject::MakeOccurrence(master_, day, &occurrence);
    if (SUCCEEDED(hr)) {
        *out = occurrence;
    }
    return hr;
}

HRESULT RecurrencePatternObject::get_Parent(outlook::ComPtr<outlook::AppointmentItem>* out) {
    HRESULT hr = CheckFault("RecurrencePattern.get_Parent");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = master_;
    return S_OK;
}

}  // namespace host
