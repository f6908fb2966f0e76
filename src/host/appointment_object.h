// An appointment: a single one, a series master, or one occurrence of a series. An occurrence keeps
// the series' attendees and properties; its own changes (subject, body, location, times, busy status,
// importance, sensitivity, reminder, all-day flag) are stored as a changed occurrence of the master.
#pragma once

#include <cstdint>
#include <string>

#include "host/item_object.h"
#include "outlook/appointment_item.h"

namespace host {

class AppointmentObject : public ItemObject<outlook::AppointmentItem> {
  public:
    AppointmentObject(outlook::ComPtr<ApplicationObject> app, ItemRecord record);

    // The occurrence of `master` on series day `day`. Fails: MAPI_E_NOT_FOUND when the series has no
    // occurrence there or it was deleted; E_INVALIDARG for an invalid pattern.
    [[nodiscard]] static HRESULT MakeOccurrence(const outlook::ComPtr<AppointmentObject>& master,
                                                std::int64_t day, outlook::ComPtr<AppointmentObject>* out);
    // The fields a changed occurrence keeps of its own.
    static const std::vector<std::string>& OccurrenceFields();

    bool IsOccurrence() const { return occurrence_; }

    [[nodiscard]] HRESULT get_GlobalAppointmentID(std::string* out) override;
    [[nodiscard]] HRESULT get_Location(std::string* out) override;
    [[nodiscard]] HRESULT put_Location(const std::string& value) override;
    [[nodiscard]] HRESULT get_Categories(std::string* out) override;
    [[nodiscard]] HRESULT put_Categories(const std::string& value) override;
    [[nodiscard]] HRESULT get_Sensitivity(outlook::OlSensitivity* out) override;
    [[nodiscard]] HRESULT put_Sensitivity(outlook::OlSensitivity value) override;
    [[nodiscard]] HRESULT get_Importance(outlook::OlImportance* out) override;
    [[nodiscard]] HRESULT put_Importance(outlook::OlImportance value) override;
    [[nodiscard]] HRESULT get_BusyStatus(outlook::OlBusyStatus* out) override;
    [[nodiscard]] HRESULT put_BusyStatus(outlook::OlBusyStatus value) override;
    [[nodiscard]] HRESULT get_AllDayEvent(bool* out) override;
    [[nodiscard]] HRESULT put_AllDayEvent(bool value) override;
    [[nodiscard]] HRESULT get_Start(platform::DateTime* out) override;
    [[nodiscard]] HRESULT put_Start(const platform::DateTime& value) override;
    [[nodiscard]] HRESULT get_End(platform::DateTime* out) override;
    [[nodiscard]] HRESULT put_End(const platform::DateTime& value) override;
    [[nodiscard]] HRESULT get_StartUTC(platform::DateTime* out) override;
    [[nodiscard]] HRESULT put_StartUTC(const platform::DateTime& value) override;
    [[nodiscard]] HRESULT get_EndUTC(platform::DateTime* out) override;
    [[nodiscard]] HRESULT put_EndUTC(const platform::DateTime& value) override;
    [[nodiscard]] HRESULT get_Duration(std::int32_t* out) override;
    [[nodiscard]] HRESULT put_Duration(std::int32_t minutes) override;
    [[nodiscard]] HRESULT get_StartTimeZone(outlook::ComPtr<outlook::TimeZone>* out) override;
    [[nodiscard]] HRESULT put_StartTimeZone(outlook::TimeZone* value) override;
    [[nodiscard]] HRESULT get_StartInStartTimeZone(platform::DateTime* out) override;
    [[nodiscard]] HRESULT put_StartInStartTimeZone(const platform::DateTime& value) override;
    [[nodiscard]] HRESULT get_EndTimeZone(outlook::ComPtr<outlook::TimeZone>* out) override;
    [[nodiscard]] HRESULT put_EndTimeZone(outlook::TimeZone* value) override;
    [[nodiscard]] HRESULT get_EndInEndTimeZone(platform::DateTime* out) override;
    [[nodiscard]] HRESULT put_EndInEndTimeZone(const platform::DateTime& value) override;
    [[nodiscard]] HRESULT get_ReminderSet(bool* out) override;
    [[nodiscard]] HRESULT put_ReminderSet(bool value) override;
    [[nodiscard]] HRESULT get_ReminderMinutesBeforeStart(std::int32_t* out) override;
    [[nodiscard]] HRESULT put_ReminderMinutesBeforeStart(std::int32_t value) override;
    [[nodiscard]] HRESULT get_IsRecurring(bool* out) override;
    [[nodiscard]] HRESULT get_RecurrenceState(outlook::OlRecurrenceState* out) override;
    [[nodiscard]] HRESULT GetRecurrencePattern(outlook::ComPtr<outlook::RecurrencePattern>* out) override;
    [[nodiscard]] HRESULT ClearRecurrencePattern() override;
    [[nodiscard]] HRESULT get_MeetingStatus(outlook::OlMeetingStatus* out) override;
    [[nodiscard]] HRESULT put_MeetingStatus(outlook::OlMeetingStatus value) override;
    [[nodiscard]] HRESULT get_ResponseStatus(outlook::OlResponseStatus* out) override;
    [[nodiscard]] HRESULT get_ReplyTime(platform::DateTime* out) override;
    [[nodiscard]] HRESULT put_ReplyTime(const platform::DateTime& value) override;
    [[nodiscard]] HRESULT get_Organizer(std::string* out) override;
    [[nodiscard]] HRESULT get_Recipients(outlook::ComPtr<outlook::Recipients>* out) override;
    [[nodiscard]] HRESULT get_PropertyAccessor(outlook::ComPtr<outlook::PropertyAccessor>* out) override;
    [[nodiscard]] HRESULT get_MAPIOBJECT(outlook::ComPtr<outlook::IUnknown>* out) override;

    [[nodiscard]] HRESULT Save() override;
    [[nodiscard]] HRESULT Delete() override;

  protected:
    [[nodiscard]] HRESULT PrepareSave() override;

  private:
    HRESULT GetUtc(const char* key, platform::DateTime* out);
    HRESULT PutStartUtc(const char* member, const platform::DateTime& utc);
    HRESULT PutEndUtc(const char* member, const platform::DateTime& utc);
    HRESULT GetZone(const char* member, const char* key, outlook::ComPtr<outlook::TimeZone>* out);
    HRESULT PutZone(const char* member, const char* key, outlook::TimeZone* zone);
    // Writes this occurrence into the master as a changed (or, with `deleted`, a deleted) one: into the
    // stored master at once, or, while the master has unsaved changes, at the master's Save.
    HRESULT SaveOccurrence(bool deleted);

    bool occurrence_ = false;
    bool changed_occurrence_ = false;
    std::int64_t occurrence_day_ = 0;
    outlook::ComPtr<AppointmentObject> master_;
};

}  // namespace host
