// _AppointmentItem: an appointment, a recurring series master, or one occurrence of a series.
#pragma once

#include <cstdint>
#include <string>

#include "outlook/com_ptr.h"
#include "outlook/enums.h"
#include "outlook/outlook_item.h"
#include "outlook/unknown.h"
#include "platform/date_time.h"

namespace outlook {

class PropertyAccessor;
class RecurrencePattern;
class Recipients;
class TimeZone;

class AppointmentItem : public OutlookItem {
  public:
    static constexpr Iid kIid = "{00063033-0000-0000-C000-000000000046}";

    // The stable key of the appointment in calendar synchronization: upper-case hexadecimal beginning
    // with 040000008200E00074C5B7101A82E008. An occurrence gives its series' ID.
    [[nodiscard]] virtual HRESULT get_GlobalAppointmentID(std::string* out) = 0;

    [[nodiscard]] virtual HRESULT get_Location(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_Location(const std::string& value) = 0;
    // The categories, separated by ", " as Outlook shows them.
    [[nodiscard]] virtual HRESULT get_Categories(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_Categories(const std::string& value) = 0;
    [[nodiscard]] virtual HRESULT get_Sensitivity(OlSensitivity* out) = 0;
    [[nodiscard]] virtual HRESULT put_Sensitivity(OlSensitivity value) = 0;
    [[nodiscard]] virtual HRESULT get_Importance(OlImportance* out) = 0;
    [[nodiscard]] virtual HRESULT put_Importance(OlImportance value) = 0;
    [[nodiscard]] virtual HRESULT get_BusyStatus(OlBusyStatus* out) = 0;
    [[nodiscard]] virtual HRESULT put_BusyStatus(OlBusyStatus value) = 0;
    [[nodiscard]] virtual HRESULT get_AllDayEvent(bool* out) = 0;
    [[nodiscard]] virtual HRESULT put_AllDayEvent(bool value) = 0;

    // Start and End in local time. Putting Start keeps the duration (End moves along); putting End
    // changes the duration. Fails: E_INVALIDARG for a date that is not valid.
    [[nodiscard]] virtual HRESULT get_Start(platform::DateTime* out) = 0;
    [[nodiscard]] virtual HRESULT put_Start(const platform::DateTime& value) = 0;
    [[nodiscard]] virtual HRESULT get_End(platform::DateTime* out) = 0;
    [[nodiscard]] virtual HRESULT put_End(const platform::DateTime& value) = 0;
    // The same instants in UTC.
    [[nodiscard]] virtual HRESULT get_StartUTC(platform::DateTime* out) = 0;
    [[nodiscard]] virtual HRESULT put_StartUTC(const platform::DateTime& value) = 0;
    [[nodiscard]] virtual HRESULT get_EndUTC(platform::DateTime* out) = 0;
    [[nodiscard]] virtual HRESULT put_EndUTC(const platform::DateTime& value) = 0;
    // Minutes from Start to End.
    [[nodiscard]] virtual HRESULT get_Duration(std::int32_t* out) = 0;
    [[nodiscard]] virtual HRESULT put_Duration(std::int32_t minutes) = 0;

    // The zone Start is shown in (the local zone until one is put) and Start as wall-clock time of that
    // zone. Putting StartInStartTimeZone sets Start to the same instant in local time.
    // Fails: E_INVALIDARG for a null zone or an invalid date.
    [[nodiscard]] virtual HRESULT get_StartTimeZone(ComPtr<TimeZone>* out) = 0;
    [[nodiscard]] virtual HRESULT put_StartTimeZone(TimeZone* value) = 0;
    [[nodiscard]] virtual HRESULT get_StartInStartTimeZone(platform::DateTime* out) = 0;
    [[nodiscard]] virtual HRESULT put_StartInStartTimeZone(const platform::DateTime& value) = 0;
    [[nodiscard]] virtual HRESULT get_EndTimeZone(ComPtr<TimeZone>* out) = 0;
    [[nodiscard]] virtual HRESULT put_EndTimeZone(TimeZone* value) = 0;
    [[nodiscard]] virtual HRESULT get_EndInEndTimeZone(platform::DateTime* out) = 0;
    [[nodiscard]] virtual HRESULT put_EndInEndTimeZone(const platform::DateTime& value) = 0;

    [[nodiscard]] virtual HRESULT get_ReminderSet(bool* out) = 0;
    [[nodiscard]] virtual HRESULT put_ReminderSet(bool value) = 0;
    [[nodiscard]] virtual HRESULT get_ReminderMinutesBeforeStart(std::int32_t* out) = 0;
    [[nodiscard]] virtual HRESULT put_ReminderMinutesBeforeStart(std::int32_t value) = 0;

    // Recurrence. IsRecurring is true for a master and its occurrences.
    [[nodiscard]] virtual HRESULT get_IsRecurring(bool* out) = 0;
    [[nodiscard]] virtual HRESULT get_RecurrenceState(OlRecurrenceState* out) = 0;
    // The series' pattern; for a non-recurring appointment a new weekly pattern is made (saved with the
    // item). Fails: MAPI_E_NO_SUPPORT for an occurrence or exception.
    [[nodiscard]] virtual HRESULT GetRecurrencePattern(ComPtr<RecurrencePattern>* out) = 0;
    // Turns a master into a single appointment at its first occurrence (saved with the item).
    [[nodiscard]] virtual HRESULT ClearRecurrencePattern() = 0;

    // Meetings.
    [[nodiscard]] virtual HRESULT get_MeetingStatus(OlMeetingStatus* out) = 0;
    [[nodiscard]] virtual HRESULT put_MeetingStatus(OlMeetingStatus value) = 0;
    // The user's own response (the value of the response-status named property).
    [[nodiscard]] virtual HRESULT get_ResponseStatus(OlResponseStatus* out) = 0;
    // Local time of the user's reply; a null date when none.
    [[nodiscard]] virtual HRESULT get_ReplyTime(platform::DateTime* out) = 0;
    [[nodiscard]] virtual HRESULT put_ReplyTime(const platform::DateTime& value) = 0;
    // The organizer's display text (the MAPI sender name, else empty).
    [[nodiscard]] virtual HRESULT get_Organizer(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT get_Recipients(ComPtr<Recipients>* out) = 0;

    // Named and tagged properties by schema name.
    [[nodiscard]] virtual HRESULT get_PropertyAccessor(ComPtr<PropertyAccessor>* out) = 0;
    // The MAPI object of the item; it answers to MapiMessage (IID_IMessage).
    [[nodiscard]] virtual HRESULT get_MAPIOBJECT(ComPtr<IUnknown>* out) = 0;

  protected:
    ~AppointmentItem() = default;
};

}  // namespace outlook
