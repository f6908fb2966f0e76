// RecurrencePattern: the rule of a recurring series. Puts change the master in memory; the master's
// Save validates and stores them (an invalid pattern makes Save fail with E_INVALIDARG).
#pragma once

#include <cstdint>

#include "outlook/com_ptr.h"
#include "outlook/dispatch.h"
#include "outlook/enums.h"
#include "platform/date_time.h"

namespace outlook {

class AppointmentItem;
class Exceptions;

class RecurrencePattern : public IDispatch {
  public:
    static constexpr Iid kIid = "{00063044-0000-0000-C000-000000000046}";

    // Putting the type resets the fields the new type does not use (as Outlook does).
    [[nodiscard]] virtual HRESULT get_RecurrenceType(OlRecurrenceType* out) = 0;
    [[nodiscard]] virtual HRESULT put_RecurrenceType(OlRecurrenceType value) = 0;
    // Days for daily, weeks for weekly, months for monthly and yearly types (12 for every year).
    // Fails: E_INVALIDARG for a value below 1 or above 999.
    [[nodiscard]] virtual HRESULT get_Interval(std::int32_t* out) = 0;
    [[nodiscard]] virtual HRESULT put_Interval(std::int32_t value) = 0;
    // 1..31 for monthly and yearly; 0 when unused. Fails: E_INVALIDARG outside 0..31.
    [[nodiscard]] virtual HRESULT get_DayOfMonth(std::int32_t* out) = 0;
    [[nodiscard]] virtual HRESULT put_DayOfMonth(std::int32_t value) = 0;
    // OR of OlDaysOfWeek. Fails: E_INVALIDARG for bits outside 1..64.
    [[nodiscard]] virtual HRESULT get_DayOfWeekMask(std::int32_t* out) = 0;
    [[nodiscard]] virtual HRESULT put_DayOfWeekMask(std::int32_t value) = 0;
    // 1..12 for yearly types; 0 when unused. Fails: E_INVALIDARG outside 0..12.
    [[nodiscard]] virtual HRESULT get_MonthOfYear(std::int32_t* out) = 0;
    [[nodiscard]] virtual HRESULT put_MonthOfYear(std::int32_t value) = 0;
    // Week of the month for the Nth types, 1..4 and 5 for the last. Fails: E_INVALIDARG outside 0..5.
    [[nodiscard]] virtual HRESULT get_Instance(std::int32_t* out) = 0;
    [[nodiscard]] virtual HRESULT put_Instance(std::int32_t value) = 0;

    // End of the series: none, a count, or an end date. Putting one replaces the others.
    [[nodiscard]] virtual HRESULT get_NoEndDate(bool* out) = 0;
    [[nodiscard]] virtual HRESULT put_NoEndDate(bool value) = 0;
    // Fails: E_INVALIDARG below 1 or above 999.
    [[nodiscard]] virtual HRESULT get_Occurrences(std::int32_t* out) = 0;
    [[nodiscard]] virtual HRESULT put_Occurrences(std::int32_t value) = 0;
    [[nodiscard]] virtual HRESULT get_PatternStartDate(platform::DateTime* out) = 0;
    [[nodiscard]] virtual HRESULT put_PatternStartDate(const platform::DateTime& value) = 0;
    [[nodiscard]] virtual HRESULT get_PatternEndDate(platform::DateTime* out) = 0;
    [[nodiscard]] virtual HRESULT put_PatternEndDate(const platform::DateTime& value) = 0;

    // Time of day of each occurrence's start and end (local); the date part is ignored on put.
    [[nodiscard]] virtual HRESULT get_StartTime(platform::DateTime* out) = 0;
    [[nodiscard]] virtual HRESULT put_StartTime(const platform::DateTime& value) = 0;
    [[nodiscard]] virtual HRESULT get_EndTime(platform::DateTime* out) = 0;
    [[nodiscard]] virtual HRESULT put_EndTime(const platform::DateTime& value) = 0;
    // Minutes of each occurrence.
    [[nodiscard]] virtual HRESULT get_Duration(std::int32_t* out) = 0;
    [[nodiscard]] virtual HRESULT put_Duration(std::int32_t minutes) = 0;

    // The deleted and changed occurrences, in the order of their original dates.
    [[nodiscard]] virtual HRESULT get_Exceptions(ComPtr<Exceptions>* out) = 0;
    // The occurrence that starts at `start` (local, to the minute; a date alone, at midnight, matches the
    // occurrence on that date). Fails: MAPI_E_NOT_FOUND when the series has none there (or it was
    // deleted); E_INVALIDARG for an invalid date.
    [[nodiscard]] virtual HRESULT GetOccurrence(const platform::DateTime& start,
                                                ComPtr<AppointmentItem>* out) = 0;
    // The series master.
    [[nodiscard]] virtual HRESULT get_Parent(ComPtr<AppointmentItem>* out) = 0;

  protected:
    ~RecurrencePattern() = default;
};

}  // namespace outlook
