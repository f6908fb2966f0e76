// The pattern of a series master, over the master's record (kept by the master's Save).
#pragma once

#include <cstdint>
#include <string>

#include "host/appointment_object.h"
#include "host/internal/com_object.h"
#include "outlook/recurrence_pattern.h"

namespace host {

class RecurrencePatternObject : public internal::ComObject<outlook::RecurrencePattern> {
  public:
    explicit RecurrencePatternObject(outlook::ComPtr<AppointmentObject> master);

    [[nodiscard]] HRESULT get_RecurrenceType(outlook::OlRecurrenceType* out) override;
    [[nodiscard]] HRESULT put_RecurrenceType(outlook::OlRecurrenceType value) override;
    [[nodiscard]] HRESULT get_Interval(std::int32_t* out) override;
    [[nodiscard]] HRESULT put_Interval(std::int32_t value) override;
    [[nodiscard]] HRESULT get_DayOfMonth(std::int32_t* out) override;
    [[nodiscard]] HRESULT put_DayOfMonth(std::int32_t value) override;
    [[nodiscard]] HRESULT get_DayOfWeekMask(std::int32_t* out) override;
    [[nodiscard]] HRESULT put_DayOfWeekMask(std::int32_t value) override;
    [[nodiscard]] HRESULT get_MonthOfYear(std::int32_t* out) override;
    [[nodiscard]] HRESULT put_MonthOfYear(std::int32_t value) override;
    [[nodiscard]] HRESULT get_Instance(std::int32_t* out) override;
    [[nodiscard]] HRESULT put_Instance(std::int32_t value) override;
    [[nodiscard]] HRESULT get_NoEndDate(bool* out) override;
    [[nodiscard]] HRESULT put_NoEndDate(bool value) override;
    [[nodiscard]] HRESULT get_Occurrences(std::int32_t* out) override;
    [[nodiscard]] HRESULT put_Occurrences(std::int32_t value) override;
    [[nodiscard]] HRESULT get_PatternStartDate(platform::DateTime* out) override;
    [[nodiscard]] HRESULT put_PatternStartDate(const platform::DateTime& value) override;
    [[nodiscard]] HRESULT get_PatternEndDate(platform::DateTime* out) override;
    [[nodiscard]] HRESULT put_PatternEndDate(const platform::DateTime& value) override;
    [[nodiscard]] HRESULT get_StartTime(platform::DateTime* out) override;
    [[nodiscard]] HRESULT put_StartTime(const platform::DateTime& value) override;
    [[nodiscard]] HRESULT get_EndTime(platform::DateTime* out) override;
    [[nodiscard]] HRESULT put_EndTime(const platform::DateTime& value) override;
    [[nodiscard]] HRESULT get_Duration(std::int32_t* out) override;
    [[nodiscard]] HRESULT put_Duration(std::int32_t minutes) override;
    [[nodiscard]] HRESULT get_Exceptions(outlook::ComPtr<outlook::Exceptions>* out) override;
    [[nodiscard]] HRESULT GetOccurrence(const platform::DateTime& start,
                                        outlook::ComPtr<outlook::AppointmentItem>* out) override;
    [[nodiscard]] HRESULT get_Parent(outlook::ComPtr<outlook::AppointmentItem>* out) override;

  private:
    // The master's pattern; MAPI_E_NO_SUPPORT when the master no longer has one.
    HRESULT Pattern(const char* member, PropertyBag** out);
    HRESULT GetLong(const char* member, const char* key, std::int32_t fallback, std::int32_t* out);
    HRESULT PutLong(const char* member, const char* key, std::int32_t value, std::int32_t low,
                    std::int32_t high);

    outlook::ComPtr<AppointmentObject> master_;
};

}  // namespace host
