// A small in-memory stand-in for the object-model objects the iCalendar mapping touches: one appointment
// with its pattern, exceptions, recipients, named properties, MAPI message and the time zones. Only the
// behaviour the mapping relies on is modelled; what it does not call answers E_NOTIMPL.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "outlook/application.h"
#include "outlook/appointment_item.h"
#include "outlook/exception.h"
#include "outlook/exceptions.h"
#include "outlook/mapi_message.h"
#include "outlook/property_accessor.h"
#include "outlook/recipient.h"
#include "outlook/recipients.h"
#include "outlook/recurrence_pattern.h"
#include "outlook/time_zone.h"
#include "outlook/time_zones.h"

namespace fake {

using outlook::ComPtr;
using platform::DateTime;

// Reference counting and QueryInterface for one interface (and its bases IDispatch and IUnknown).
template <class Interface>
class Counted : public Interface {
  public:
    std::uint32_t AddRef() override { return ++m_refs; }
    std::uint32_t Release() override {
        const std::uint32_t left = --m_refs;
        if (left == 0)
            delete this;
        return left;
    }
    HRESULT QueryInterface(outlook::Iid iid, void** out) override {
        if (out == nullptr)
            return E_POINTER;
        if (iid == Interface::kIid || iid == outlook::IDispatch::kIid || iid == outlook::IUnknown::kIid ||
            ExtraInterface(iid)) {
            *out = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    virtual ~Counted() = default;

  protected:
    virtual bool ExtraInterface(outlook::Iid) const { return false; }

  private:
    std::uint32_t m_refs = 0;
};

template <class T, class... Args>
ComPtr<T> Make(Args&&... args) {
    return ComPtr<T>(new T(std::forward<Args>(args)...));
}

// A zone with a fixed distance from UTC, or the process zone (TZ) when `local`.
class TimeZone : public Counted<outlook::TimeZone> {
  public:
    TimeZone(std::string id, int utc_offset_minutes, bool local = false)
        : m_id(std::move(id)), m_offset(utc_offset_minutes), m_local(local) {}
    HRESULT get_ID(std::string* out) override { return *out = m_id, S_OK; }
    HRESULT get_Name(std::string* out) override { return *out = m_id, S_OK; }
    HRESULT get_Bias(std::int32_t* out) override { return *out = -m_offset, S_OK; }
    HRESULT get_DaylightBias(std::int32_t* out) override { return *out = 0, S_OK; }
    DateTime ToUtc(const DateTime& wall) const {
        return m_local ? wall.LocalToUtc() : wall.AddSeconds(-60LL * m_offset);
    }
    DateTime FromUtc(const DateTime& utc) const {
        return m_local ? utc.UtcToLocal() : utc.AddSeconds(60LL * m_offset);
    }

  private:
    std::string m_id;
    int m_offset;
    bool m_local;
};

class TimeZones : public Counted<outlook::TimeZones> {
  public:
    TimeZones();
    HRESULT get_Count(std::int32_t* out) override {
        return *out = static_cast<std::int32_t>(m_zones.size()), S_OK;
    }
    HRESULT Item(std::int32_t index, ComPtr<outlook::TimeZone>* out) override;
    HRESULT Item(const std::string& id, ComPtr<outlook::TimeZone>* out) override;
    HRESULT get_CurrentTimeZone(ComPtr<outlook::TimeZone>* out) override;
    HRESULT ConvertTime(const DateTime& source_time, outlook::TimeZone* source,
                        outlook::TimeZone* destination, DateTime* out) override;

  private:
    std::vector<ComPtr<TimeZone>> m_zones;
    ComPtr<TimeZone> m_current;
};

class Application : public Counted<outlook::Application> {
  public:
    Application() : m_zones(Make<TimeZones>()) {}
    HRESULT get_Session(ComPtr<outlook::NameSpace>*) override { return E_NOTIMPL; }
    HRESULT ActiveExplorer(ComPtr<outlook::Explorer>*) override { return E_NOTIMPL; }
    HRESULT CreateItem(outlook::OlItemType, ComPtr<outlook::IDispatch>*) override { return E_NOTIMPL; }
    HRESULT get_TimeZones(ComPtr<outlook::TimeZones>* out) override { return *out = m_zones, S_OK; }
    HRESULT Advise(const std::shared_ptr<outlook::ApplicationEvents>&, outlook::EventCookie*) override {
        return E_NOTIMPL;
    }
    HRESULT Unadvise(outlook::EventCookie) override { return E_NOTIMPL; }

  private:
    ComPtr<TimeZones> m_zones;
};

struct RecipientData {
    std::string name;
    std::string address;
    std::string entry_id;
    outlook::OlResponseStatus response = outlook::olResponseNone;
    std::int32_t flags = 0;
};

class Recipient : public Counted<outlook::Recipient> {
  public:
    explicit Recipient(std::shared_ptr<RecipientData> data) : m_data(std::move(data)) {}
    HRESULT get_Address(std::string* out) override { return *out = m_data->address, S_OK; }
    HRESULT get_Name(std::string* out) override { return *out = m_data->name, S_OK; }
    HRESULT get_EntryID(std::string* out) override { return *out = m_data->entry_id, S_OK; }
    HRESULT get_Resolved(bool* out) override { return *out = !m_data->address.empty(), S_OK; }
    HRESULT Resolve(bool* out) override;
    HRESULT get_Type(outlook::OlMeetingRecipientType* out) override {
        return *out = outlook::olRequired, S_OK;
    }
    HRESULT put_Type(outlook::OlMeetingRecipientType) override { return S_OK; }
    HRESULT get_MeetingResponseStatus(outlook::OlResponseStatus* out) override {
        return *out = m_data->response, S_OK;
    }

  private:
    std::shared_ptr<RecipientData> m_data;
};

class Recipients : public Counted<outlook::Recipients> {
  public:
    explicit Recipients(std::vector<std::shared_ptr<RecipientData>>* list) : m_list(list) {}
    HRESULT get_Count(std::int32_t* out) override {
        return *out = static_cast<std::int32_t>(m_list->size()), S_OK;
    }
    HRESULT Item(std::int32_t index, ComPtr<outlook::Recipient>* out) override;
    HRESULT Add(const std::string& name, ComPtr<outlook::Recipient>* out) override;
    HRESULT Remove(std::int32_t index) override;
    HRESULT ResolveAll(bool* out) override;

  private:
    std::vector<std::shared_ptr<RecipientData>>* m_list;
};

class PropertyAccessor : public Counted<outlook::PropertyAccessor> {
  public:
    explicit PropertyAccessor(std::map<std::string, outlook::Variant>* values) : m_values(values) {}
    HRESULT GetProperty(const std::string& name, outlook::Variant* out) override;
    HRESULT SetProperty(const std::string& name, const outlook::Variant& value) override;

  private:
    std::map<std::string, outlook::Variant>* m_values;
};

class Appointment;

class MapiTable : public Counted<outlook::MapiTable> {
  public:
    explicit MapiTable(outlook::RowSet rows) : m_rows(std::move(rows)) {}
    HRESULT QueryAllRows(outlook::RowSet* out) override { return *out = m_rows, S_OK; }

  private:
    outlook::RowSet m_rows;
};

class MapiMessage : public Counted<outlook::MapiMessage> {
  public:
    explicit MapiMessage(Appointment* owner) : m_owner(owner) {}
    HRESULT GetProp(outlook::PropTag tag, outlook::PropValue* out) override;
    HRESULT SetProp(const outlook::PropValue& value) override;
    HRESULT SaveChanges(std::uint32_t) override { return S_OK; }
    HRESULT GetRecipientTable(std::uint32_t flags, ComPtr<outlook::MapiTable>* out) override;
    HRESULT ModifyRecipients(std::uint32_t flags, const outlook::RowSet& rows) override;

  private:
    Appointment* m_owner;  // kept alive by the holder of the message's appointment
};

class Pattern;

// One appointment: a single one, a series master (with `pattern`), or an occurrence of one.
class Appointment : public Counted<outlook::AppointmentItem> {
  public:
    Appointment();
    ~Appointment() override;

    // The data, open to the tests.
    std::string subject, body, location, global_id = "040000008200E00074C5B7101A82E00800000000";
    DateTime start = DateTime::FromParts(2024, 1, 10, 9, 0, 0);
    DateTime end = DateTime::FromParts(2024, 1, 10, 10, 0, 0);
    DateTime creation = DateTime::FromParts(2024, 1, 2, 8, 0, 0);
    DateTime modified = DateTime::FromParts(2024, 1, 3, 8, 0, 0);
    DateTime reply_time = DateTime::Null();
    bool all_day = false, reminder_set = false;
    std::int32_t reminder_minutes = 15;
    outlook::OlSensitivity sensitivity = outlook::olNormal;
    outlook::OlImportance importance = outlook::olImportanceNormal;
    outlook::OlBusyStatus busy = outlook::olBusy;
    outlook::OlMeetingStatus meeting = outlook::olNonMeeting;
    outlook::OlResponseStatus response = outlook::olResponseNone;
    outlook::OlRecurrenceState state = outlook::olApptNotRecurring;
    ComPtr<outlook::TimeZone> start_zone, end_zone;
    std::vector<std::shared_ptr<RecipientData>> recipients;
    std::map<std::string, outlook::Variant> named;
    std::map<outlook::PropTag, outlook::Variant> mapi;
    ComPtr<Pattern> pattern;    // of a master
    Pattern* parent = nullptr;  // of an occurrence (the master keeps the pattern alive)
    DateTime original_date = DateTime::Invalid();
    int saves = 0;
    bool deleted = false;
    // Reads that fail with E_FAIL, by member name ("Subject", "GlobalAppointmentID" ...).
    std::vector<std::string> failing;

    ComPtr<Application> application = Make<Application>();

    // OutlookItem
    HRESULT get_Application(ComPtr<outlook::Application>* out) override { return *out = application, S_OK; }
    HRESULT get_Session(ComPtr<outlook::NameSpace>*) override { return E_NOTIMPL; }
    HRESULT get_Parent(ComPtr<outlook::MAPIFolder>*) override { return E_NOTIMPL; }
    HRESULT get_Class(outlook::OlItemType* out) override { return *out = outlook::olAppointmentItem, S_OK; }
    HRESULT get_EntryID(std::string*) override { return E_NOTIMPL; }
    HRESULT get_Subject(std::string* out) override { return Get("Subject", subject, out); }
    HRESULT put_Subject(const std::string& value) override { return subject = value, S_OK; }
    HRESULT get_Body(std::string* out) override { return Get("Body", body, out); }
    HRESULT put_Body(const std::string& value) override { return body = value, S_OK; }
    HRESULT get_CreationTime(DateTime* out) override { return Get("CreationTime", creation, out); }
    HRESULT get_LastModificationTime(DateTime* out) override {
        return Get("LastModificationTime", modified, out);
    }
    HRESULT get_Saved(bool* out) override { return *out = true, S_OK; }
    HRESULT get_UserProperties(ComPtr<outlook::UserProperties>*) override { return E_NOTIMPL; }
    HRESULT Save() override;
    HRESULT Delete() override;
    HRESULT Move(outlook::MAPIFolder*, ComPtr<outlook::IDispatch>*) override { return E_NOTIMPL; }
    HRESULT Advise(const std::shared_ptr<outlook::ItemEvents>&, outlook::EventCookie*) override {
        return E_NOTIMPL;
    }
    HRESULT Unadvise(outlook::EventCookie) override { return E_NOTIMPL; }

    // AppointmentItem
    HRESULT get_GlobalAppointmentID(std::string* out) override {
        return Get("GlobalAppointmentID", global_id, out);
    }
    HRESULT get_Location(std::string* out) override { return Get("Location", location, out); }
    HRESULT put_Location(const std::string& value) override { return location = value, S_OK; }
    HRESULT get_Sensitivity(outlook::OlSensitivity* out) override {
        return Get("Sensitivity", sensitivity, out);
    }
    HRESULT put_Sensitivity(outlook::OlSensitivity value) override { return sensitivity = value, S_OK; }
    HRESULT get_Importance(outlook::OlImportance* out) override { return Get("Importance", importance, out); }
    HRESULT put_Importance(outlook::OlImportance value) override { return importance = value, S_OK; }
    HRESULT get_BusyStatus(outlook::OlBusyStatus* out) override { return Get("BusyStatus", busy, out); }
    HRESULT put_BusyStatus(outlook::OlBusyStatus value) override { return busy = value, S_OK; }
    HRESULT get_AllDayEvent(bool* out) override { return Get("AllDayEvent", all_day, out); }
    HRESULT put_AllDayEvent(bool value) override { return all_day = value, S_OK; }
    HRESULT get_Start(DateTime* out) override { return Get("Start", start, out); }
    HRESULT put_Start(const DateTime& value) override;
    HRESULT get_End(DateTime* out) override { return Get("End", end, out); }
    HRESULT put_End(const DateTime& value) override;
    HRESULT get_StartUTC(DateTime* out) override { return Get("StartUTC", start.LocalToUtc(), out); }
    HRESULT put_StartUTC(const DateTime& value) override { return put_Start(value.UtcToLocal()); }
    HRESULT get_EndUTC(DateTime* out) override { return Get("EndUTC", end.LocalToUtc(), out); }
    HRESULT put_EndUTC(const DateTime& value) override { return put_End(value.UtcToLocal()); }
    HRESULT get_Duration(std::int32_t* out) override;
    HRESULT put_Duration(std::int32_t minutes) override { return put_End(start.AddSeconds(60LL * minutes)); }
    HRESULT get_StartTimeZone(ComPtr<outlook::TimeZone>* out) override { return *out = start_zone, S_OK; }
    HRESULT put_StartTimeZone(outlook::TimeZone* value) override;
    HRESULT get_StartInStartTimeZone(DateTime*) override { return E_NOTIMPL; }
    HRESULT put_StartInStartTimeZone(const DateTime& value) override;
    HRESULT get_EndTimeZone(ComPtr<outlook::TimeZone>* out) override { return *out = end_zone, S_OK; }
    HRESULT put_EndTimeZone(outlook::TimeZone* value) override;
    HRESULT get_EndInEndTimeZone(DateTime*) override { return E_NOTIMPL; }
    HRESULT put_EndInEndTimeZone(const DateTime& value) override;
    HRESULT get_ReminderSet(bool* out) override { return Get("ReminderSet", reminder_set, out); }
    HRESULT put_ReminderSet(bool value) override { return reminder_set = value, S_OK; }
    HRESULT get_ReminderMinutesBeforeStart(std::int32_t* out) override {
        return Get("ReminderMinutesBeforeStart", reminder_minutes, out);
    }
    HRESULT put_ReminderMinutesBeforeStart(std::int32_t value) override {
        return reminder_minutes = value, S_OK;
    }
    HRESULT get_IsRecurring(bool* out) override { return *out = state != outlook::olApptNotRecurring, S_OK; }
    HRESULT get_RecurrenceState(outlook::OlRecurrenceState* out) override {
        return Get("RecurrenceState", state, out);
    }
    HRESULT GetRecurrencePattern(ComPtr<outlook::RecurrencePattern>* out) override;
    HRESULT ClearRecurrencePattern() override;
    HRESULT get_MeetingStatus(outlook::OlMeetingStatus* out) override {
        return Get("MeetingStatus", meeting, out);
    }
    HRESULT put_MeetingStatus(outlook::OlMeetingStatus value) override { return meeting = value, S_OK; }
    HRESULT get_ResponseStatus(outlook::OlResponseStatus* out) override {
        return Get("ResponseStatus", response, out);
    }
    HRESULT get_ReplyTime(DateTime* out) override { return Get("ReplyTime", reply_time, out); }
    HRESULT put_ReplyTime(const DateTime& value) override { return reply_time = value, S_OK; }
    HRESULT get_Organizer(std::string*) override { return E_NOTIMPL; }
    HRESULT get_Recipients(ComPtr<outlook::Recipients>* out) override;
    HRESULT get_PropertyAccessor(ComPtr<outlook::PropertyAccessor>* out) override;
    HRESULT get_MAPIOBJECT(ComPtr<outlook::IUnknown>* out) override;

  private:
    template <class T>
    HRESULT Get(const char* name, const T& value, T* out) const {
        for (const std::string& failing_name : failing) {
            if (failing_name == name)
                return E_FAIL;
        }
        *out = value;
        return S_OK;
    }
};

struct ExceptionData {
    DateTime original_date;
    bool deleted = false;
    ComPtr<Appointment> item;  // the changed occurrence
};

class Exception : public Counted<outlook::Exception> {
  public:
    explicit Exception(ExceptionData data) : m_data(std::move(data)) {}
    HRESULT get_AppointmentItem(ComPtr<outlook::AppointmentItem>* out) override {
        return *out = m_data.item, S_OK;
    }
    HRESULT get_Deleted(bool* out) override { return *out = m_data.deleted, S_OK; }
    HRESULT get_OriginalDate(DateTime* out) override { return *out = m_data.original_date, S_OK; }

  private:
    ExceptionData m_data;
};

class Exceptions : public Counted<outlook::Exceptions> {
  public:
    explicit Exceptions(std::vector<ExceptionData> list) : m_list(std::move(list)) {}
    HRESULT get_Count(std::int32_t* out) override {
        return *out = static_cast<std::int32_t>(m_list.size()), S_OK;
    }
    HRESULT Item(std::int32_t index, ComPtr<outlook::Exception>* out) override;

  private:
    std::vector<ExceptionData> m_list;
};

// A pattern whose occurrences are every day, week, month or year of its type after PatternStartDate
// (the fake does not check the weekday or month parts); GetOccurrence hands out an occurrence item and
// keeps it, so a changed or deleted occurrence becomes an exception.
class Pattern : public Counted<outlook::RecurrencePattern> {
  public:
    explicit Pattern(Appointment* master) : m_master(master) {}

    outlook::OlRecurrenceType type = outlook::olRecursWeekly;
    std::int32_t interval = 1, day_of_month = 0, day_of_week_mask = 0, month_of_year = 0, instance = 0;
    bool no_end = true;
    std::int32_t occurrences = 0;
    DateTime pattern_start = DateTime::Invalid(), pattern_end = DateTime::Invalid();
    DateTime start_time = DateTime::Invalid(), end_time = DateTime::Invalid();
    std::int32_t duration = 60;
    std::vector<ExceptionData> exceptions;
    std::vector<std::string> puts;  // the order the reader put the parts in

    HRESULT get_RecurrenceType(outlook::OlRecurrenceType* out) override { return *out = type, S_OK; }
    HRESULT put_RecurrenceType(outlook::OlRecurrenceType value) override;
    HRESULT get_Interval(std::int32_t* out) override { return *out = interval, S_OK; }
    HRESULT put_Interval(std::int32_t value) override { return Put("Interval", &interval, value); }
    HRESULT get_DayOfMonth(std::int32_t* out) override { return *out = day_of_month, S_OK; }
    HRESULT put_DayOfMonth(std::int32_t value) override { return Put("DayOfMonth", &day_of_month, value); }
    HRESULT get_DayOfWeekMask(std::int32_t* out) override { return *out = day_of_week_mask, S_OK; }
    HRESULT put_DayOfWeekMask(std::int32_t value) override {
        return Put("DayOfWeekMask", &day_of_week_mask, value);
    }
    HRESULT get_MonthOfYear(std::int32_t* out) override { return *out = month_of_year, S_OK; }
    HRESULT put_MonthOfYear(std::int32_t value) override { return Put("MonthOfYear", &month_of_year, value); }
    HRESULT get_Instance(std::int32_t* out) override { return *out = instance, S_OK; }
    HRESULT put_Instance(std::int32_t value) override;
    HRESULT get_NoEndDate(bool* out) override { return *out = no_end, S_OK; }
    HRESULT put_NoEndDate(bool value) override;
    HRESULT get_Occurrences(std::int32_t* out) override { return *out = occurrences, S_OK; }
    HRESULT put_Occurrences(std::int32_t value) override;
    HRESULT get_PatternStartDate(DateTime* out) override { return *out = pattern_start, S_OK; }
    HRESULT put_PatternStartDate(const DateTime& value) override { return pattern_start = value, S_OK; }
    HRESULT get_PatternEndDate(DateTime* out) override { return *out = pattern_end, S_OK; }
    HRESULT put_PatternEndDate(const DateTime& value) override;
    HRESULT get_StartTime(DateTime* out) override { return *out = start_time, S_OK; }
    HRESULT put_StartTime(const DateTime& value) override { return start_time = value, S_OK; }
    HRESULT get_EndTime(DateTime* out) override { return *out = end_time, S_OK; }
    HRESULT put_EndTime(const DateTime& value) override { return end_time = value, S_OK; }
    HRESULT get_Duration(std::int32_t* out) override { return *out = duration, S_OK; }
    HRESULT put_Duration(std::int32_t minutes) override { return duration = minutes, S_OK; }
    HRESULT get_Exceptions(ComPtr<outlook::Exceptions>* out) override {
        return *out = Make<Exceptions>(exceptions), S_OK;
    }
    HRESULT GetOccurrence(const DateTime& start, ComPtr<outlook::AppointmentItem>* out) override;
    HRESULT get_Parent(ComPtr<outlook::AppointmentItem>*) override { return E_NOTIMPL; }

    // The occurrence item was saved changed, or deleted.
    void OccurrenceChanged(Appointment* occurrence);

  private:
    HRESULT Put(const char* name, std::int32_t* field, std::int32_t value) {
        puts.emplace_back(name);
        *field = value;
        return S_OK;
    }
    Appointment* m_master;
};

}  // namespace fake
