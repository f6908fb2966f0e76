#include "host/appointment_object.h"

#include <algorithm>

#include "host/mapi_message_object.h"
#include "host/property_accessor_object.h"
#include "host/recipients_object.h"
#include "host/recurrence_pattern_object.h"
#include "host/series.h"
#include "host/time_zone_object.h"
#include "outlook/mapi_prop.h"
#include "platform/time_zones.h"

namespace host {
namespace {

// Calendars write four-digit years: a time whose year has more, in UTC or in local time, is refused.
bool HasFourDigitYear(const platform::DateTime& utc) {
    platform::DateParts in_utc;
    platform::DateParts local;
    return utc.ToParts(&in_utc) && utc.UtcToLocal().ToParts(&local) && in_utc.year >= 1 &&
           in_utc.year <= 9999 && local.year >= 1 && local.year <= 9999;
}

constexpr const char* kResponseStatusKey = "id/{00062002-0000-0000-C000-000000000046}/82180003";

// The index of the exception of `day` in the list, or -1.
int FindException(const std::vector<PropertyBag>& exceptions, std::int64_t day) {
    for (std::size_t i = 0; i < exceptions.size(); ++i) {
        if (BagLong(exceptions[i], "OriginalDay", -1) == day) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace

AppointmentObject::AppointmentObject(outlook::ComPtr<ApplicationObject> app, ItemRecord record)
    : ItemObject(std::move(app), std::move(record), "AppointmentItem") {}

const std::vector<std::string>& AppointmentObject::OccurrenceFields() {
    static const std::vector<std::string> kFields = {
        "Subject",     "Body",       "Location",    "StartUTC",    "EndUTC",
        "BusyStatus",  "Importance", "Sensitivity", "ReminderSet", "ReminderMinutesBeforeStart",
        "AllDayEvent", "Categories"};
    return kFields;
}

HRESULT AppointmentObject::MakeOccurrence(const outlook::ComPtr<AppointmentObject>& master, std::int64_t day,
                                          outlook::ComPtr<AppointmentObject>* out) {
    const ItemRecord& source = master->record_;
    Series series;
    HRESULT hr = Series::FromRecord(source, &series);
    if (FAILED(hr)) {
        return hr;
    }
    if (!series.HasDay(day)) {
        return outlook::MAPI_E_NOT_FOUND;
    }
    const int index = FindException(source.exceptions, day);
    if (index >= 0 && BagBool(source.exceptions[static_cast<std::size_t>(index)], "Deleted")) {
        return outlook::MAPI_E_NOT_FOUND;
    }
    ItemRecord record = source;
    record.pattern.reset();
    record.exceptions.clear();
    const platform::DateTime start = series.StartUtc(day);
    record.fields["StartUTC"] = start;
    record.fields["EndUTC"] = start.AddSeconds(static_cast<std::int64_t>(series.duration_minutes()) * 60);
    if (index >= 0) {
        for (const auto& [key, value] : source.exceptions[static_cast<std::size_t>(index)]) {
            if (std::find(OccurrenceFields().begin(), OccurrenceFields().end(), key) !=
                OccurrenceFields().end()) {
                record.fields[key] = value;
            }
        }
    }
    auto occurrence = internal::Make<AppointmentObject>(master->app_, std::move(record));
    occurrence->occurrence_ = true;
    occurrence->changed_occurrence_ = index >= 0;
    occurrence->occurrence_day_ = day;
    occurrence->master_ = master;
    occurrence->saved_ = true;
    *out = occurrence;
    return S_OK;
}

HRESULT AppointmentObject::get_GlobalAppointmentID(std::string* out) {
    return Return("AppointmentItem.get_GlobalAppointmentID", out, record_.global_id);
}

HRESULT AppointmentObject::get_Location(std::string* out) {
    return GetText("Location", out);
}
HRESULT AppointmentObject::put_Location(const std::string& value) {
    return PutField("Location", value);
}
HRESULT AppointmentObject::get_Categories(std::string* out) {
    return GetText("Categories", out);
}
HRESULT AppointmentObject::put_Categories(const std::string& value) {
    return PutField("Categories", value);
}

HRESULT AppointmentObject::get_Sensitivity(outlook::OlSensitivity* out) {
    return Return(
        "AppointmentItem.get_Sensitivity", out,
        static_cast<outlook::OlSensitivity>(BagLong(record_.fields, "Sensitivity", outlook::olNormal)));
}
HRESULT AppointmentObject::put_Sensitivity(outlook::OlSensitivity value) {
    if (value < outlook::olNormal || value > outlook::olConfidential) {
        return E_INVALIDARG;
    }
    return PutField("Sensitivity", static_cast<std::int32_t>(value));
}

HRESULT AppointmentObject::get_Importance(outlook::OlImportance* out) {
    return Return("AppointmentItem.get_Importance", out,
                  static_cast<outlook::OlImportance>(
                      BagLong(record_.fields, "Importance", outlook::olImportanceNormal)));
}
HRESULT AppointmentObject::put_Importance(outlook::OlImportance value) {
    if (value < outlook::olImportanceLow || value > outlook::olImportanceHigh) {
        return E_INVALIDARG;
    }
    return PutField("Importance", static_cast<std::int32_t>(value));
}

HRESULT AppointmentObject::get_BusyStatus(outlook::OlBusyStatus* out) {
    return Return("AppointmentItem.get_BusyStatus", out,
                  static_cast<outlook::OlBusyStatus>(BagLong(record_.fields, "BusyStatus", outlook::olBusy)));
}
HRESULT AppointmentObject::put_BusyStatus(outlook::OlBusyStatus value) {
    if (value < outlook::olFree || value > outlook::olOutOfOffice) {
        return E_INVALIDARG;
    }
    return PutField("BusyStatus", static_cast<std::int32_t>(value));
}

HRESULT AppointmentObject::get_AllDayEvent(bool* out) {
    return GetBool("AllDayEvent", out);
}
HRESULT AppointmentObject::put_AllDayEvent(bool value) {
    return PutField("AllDayEvent", value);
}

HRESULT AppointmentObject::GetUtc(const char* key, platform::DateTime* out) {
    *out = BagDate(record_.fields, key);
    return out->IsValid() ? S_OK : E_FAIL;
}

HRESULT AppointmentObject::get_Start(platform::DateTime* out) {
    platform::DateTime utc;
    HRESULT hr = Check("AppointmentItem.get_Start", out);
    if (SUCCEEDED(hr)) {
        hr = GetUtc("StartUTC", &utc);
    }
    if (SUCCEEDED(hr)) {
        *out = utc.UtcToLocal();
    }
    return hr;
}

HRESULT AppointmentObject::PutStartUtc(const char* member, const platform::DateTime& utc) {
    HRESULT hr = CheckFault(member);
    if (FAILED(hr)) {
        return hr;
    }
    if (!utc.IsValid()) {
        return E_INVALIDARG;
    }
    // Putting the start keeps the duration, as Outlook does.
    const platform::DateTime start = BagDate(record_.fields, "StartUTC");
    const platform::DateTime end = BagDate(record_.fields, "EndUTC");
    const std::int64_t duration = start.IsValid() && end.IsValid() ? SecondsBetween(end, start) : 1800;
    record_.fields["StartUTC"] = utc;
    record_.fields["EndUTC"] = utc.AddSeconds(duration);
    if (record_.pattern) {
        platform::DateTime wall = ZoneUtcToWall(BagText(record_.fields, "StartTimeZone"), utc);
        platform::DateParts parts;
        if (wall.ToParts(&parts)) {
            (*record_.pattern)["StartTime"] = static_cast<std::int32_t>(parts.hour * 60 + parts.minute);
        }
    }
    saved_ = false;
    return S_OK;
}

HRESULT AppointmentObject::PutEndUtc(const char* member, const platform::DateTime& utc) {
    HRESULT hr = CheckFault(member);
    if (FAILED(hr)) {
        return hr;
    }
    if (!utc.IsValid()) {
        return E_INVALIDARG;
    }
    record_.fields["EndUTC"] = utc;
    const platform::DateTime start = BagDate(record_.fields, "StartUTC");
    if (record_.pattern && start.IsValid() && SecondsBetween(utc, start) >= 0) {
        (*record_.pattern)["Duration"] = static_cast<std::int32_t>(SecondsBetween(utc, start) / 60);
    }
    saved_ = false;
    return S_OK;
}

HRESULT AppointmentObject::put_Start(const platform::DateTime& value) {
    return PutStartUtc("AppointmentItem.put_Start", value.IsValid() ? value.LocalToUtc() : value);
}

HRESULT AppointmentObject::get_End(platform::DateTime* out) {
    platform::DateTime utc;
    HRESULT hr = Check("AppointmentItem.get_End", out);
    if (SUCCEEDED(hr)) {
        hr = GetUtc("EndUTC", &utc);
    }
    if (SUCCEEDED(hr)) {
        *out = utc.UtcToLocal();
    }
    return hr;
}

HRESULT AppointmentObject::put_End(const platform::DateTime& value) {
    return PutEndUtc("AppointmentItem.put_End", value.IsValid() ? value.LocalToUtc() : value);
}

HRESULT AppointmentObject::get_StartUTC(platform::DateTime* out) {
    HRESULT hr = Check("AppointmentItem.get_StartUTC", out);
    return FAILED(hr) ? hr : GetUtc("StartUTC", out);
}
HRESULT AppointmentObject::put_StartUTC(const platform::DateTime& value) {
    return PutStartUtc("AppointmentItem.put_StartUTC", value);
}
HRESULT AppointmentObject::get_EndUTC(platform::DateTime* out) {
    HRESULT hr = Check("AppointmentItem.get_EndUTC", out);
    return FAILED(hr) ? hr : GetUtc("EndUTC", out);
}
HRESULT AppointmentObject::put_EndUTC(const platform::DateTime& value) {
    return PutEndUtc("AppointmentItem.put_EndUTC", value);
}

HRESULT AppointmentObject::get_Duration(std::int32_t* out) {
    HRESULT hr = Check("AppointmentItem.get_Duration", out);
    if (FAILED(hr)) {
        return hr;
    }
    const platform::DateTime start = BagDate(record_.fields, "StartUTC");
    const platform::DateTime end = BagDate(record_.fields, "EndUTC");
    *out = start.IsValid() && end.IsValid() ? static_cast<std::int32_t>(SecondsBetween(end, start) / 60) : 0;
    return S_OK;
}

HRESULT AppointmentObject::put_Duration(std::int32_t minutes) {
    if (minutes < 0) {
        return E_INVALIDARG;
    }
    const platform::DateTime start = BagDate(record_.fields, "StartUTC");
    if (!start.IsValid()) {
        return E_FAIL;
    }
    return PutEndUtc("AppointmentItem.put_Duration",
                     start.AddSeconds(static_cast<std::int64_t>(minutes) * 60));
}

HRESULT AppointmentObject::GetZone(const char* member, const char* key,
                                   outlook::ComPtr<outlook::TimeZone>* out) {
    HRESULT hr = Check(member, out);
    if (FAILED(hr)) {
        return hr;
    }
    std::string id = BagText(record_.fields, key);
    if (id.empty()) {
        id = TimeZoneObject::LocalWindowsId();
    }
    *out = internal::Make<TimeZoneObject>(id);
    return S_OK;
}

HRESULT AppointmentObject::PutZone(const char* member, const char* key, outlook::TimeZone* zone) {
    HRESULT hr = CheckFault(member);
    if (FAILED(hr)) {
        return hr;
    }
    std::string id;
    if (zone == nullptr || FAILED(zone->get_ID(&id)) || platform::IanaFromWindowsId(id).empty()) {
        return E_INVALIDARG;
    }
    record_.fields[key] = id;
    saved_ = false;
    return S_OK;
}

HRESULT AppointmentObject::get_StartTimeZone(outlook::ComPtr<outlook::TimeZone>* out) {
    return GetZone("AppointmentItem.get_StartTimeZone", "StartTimeZone", out);
}
HRESULT AppointmentObject::put_StartTimeZone(outlook::TimeZone* value) {
    return PutZone("AppointmentItem.put_StartTimeZone", "StartTimeZone", value);
}
HRESULT AppointmentObject::get_EndTimeZone(outlook::ComPtr<outlook::TimeZone>* out) {
    return GetZone("AppointmentItem.get_EndTimeZone", "EndTimeZone", out);
}
HRESULT AppointmentObject::put_EndTimeZone(outlook::TimeZone* value) {
    return PutZone("AppointmentItem.put_EndTimeZone", "EndTimeZone", value);
}

HRESULT AppointmentObject::get_StartInStartTimeZone(platform::DateTime* out) {
    platform::DateTime utc;
    HRESULT hr = Check("AppointmentItem.get_StartInStartTimeZone", out);
    if (SUCCEEDED(hr)) {
        hr = GetUtc("StartUTC", &utc);
    }
    if (SUCCEEDED(hr)) {
        *out = ZoneUtcToWall(BagText(record_.fields, "StartTimeZone"), utc);
    }
    return hr;
}
HRESULT AppointmentObject::put_StartInStartTimeZone(const platform::DateTime& value) {
    if (!value.IsValid()) {
        return E_INVALIDARG;
    }
    return PutStartUtc("AppointmentItem.put_StartInStartTimeZone",
                       ZoneWallToUtc(BagText(record_.fields, "StartTimeZone"), value));
}
HRESULT AppointmentObject::get_EndInEndTimeZone(platform::DateTime* out) {
    platform::DateTime utc;
    HRESULT hr = Check("AppointmentItem.get_EndInEndTimeZone", out);
    if (SUCCEEDED(hr)) {
        hr = GetUtc("EndUTC", &utc);
    }
    if (SUCCEEDED(hr)) {
        *out = ZoneUtcToWall(BagText(record_.fields, "EndTimeZone"), utc);
    }
    return hr;
}
HRESULT AppointmentObject::put_EndInEndTimeZone(const platform::DateTime& value) {
    if (!value.IsValid()) {
        return E_INVALIDARG;
    }
    return PutEndUtc("AppointmentItem.put_EndInEndTimeZone",
                     ZoneWallToUtc(BagText(record_.fields, "EndTimeZone"), value));
}

HRESULT AppointmentObject::get_ReminderSet(bool* out) {
    return GetBool("ReminderSet", out);
}
HRESULT AppointmentObject::put_ReminderSet(bool value) {
    return PutField("ReminderSet", value);
}
HRESULT AppointmentObject::get_ReminderMinutesBeforeStart(std::int32_t* out) {
    return GetLong("ReminderMinutesBeforeStart", 15, out);
}
HRESULT AppointmentObject::put_ReminderMinutesBeforeStart(std::int32_t value) {
    if (value < 0) {
        return E_INVALIDARG;
    }
    return PutField("ReminderMinutesBeforeStart", value);
}

HRESULT AppointmentObject::get_IsRecurring(bool* out) {
    return Return("AppointmentItem.get_IsRecurring", out, occurrence_ || record_.pattern.has_value());
}

HRESULT AppointmentObject::get_RecurrenceState(outlook::OlRecurrenceState* out) {
    outlook::OlRecurrenceState state = outlook::olApptNotRecurring;
    if (occurrence_) {
        state = changed_occurrence_ ? outlook::olApptException : outlook::olApptOccurrence;
    } else if (record_.pattern) {
        state = outlook::olApptMaster;
    }
    return Return("AppointmentItem.get_RecurrenceState", out, state);
}

HRESULT AppointmentObject::GetRecurrencePattern(outlook::ComPtr<outlook::RecurrencePattern>* out) {
    HRESULT hr = Check("AppointmentItem.GetRecurrencePattern", out);
    if (FAILED(hr)) {
        return hr;
    }
    if (occurrence_) {
        return outlook::MAPI_E_NO_SUPPORT;
    }
    if (!record_.pattern) {
        // A new pattern is weekly on the start's weekday from the start's date, without end.
        const platform::DateTime start = BagDate(record_.fields, "StartUTC");
        const platform::DateTime end = BagDate(record_.fields, "EndUTC");
        if (!start.IsValid() || !end.IsValid()) {
            return E_FAIL;
        }
        const platform::DateTime wall = ZoneUtcToWall(BagText(record_.fields, "StartTimeZone"), start);
        const std::int64_t day = DayOf(wall);
        PropertyBag pattern;
        pattern["RecurrenceType"] = static_cast<std::int32_t>(outlook::olRecursWeekly);
        pattern["Interval"] = std::int32_t{1};
        pattern["DayOfWeekMask"] = static_cast<std::int32_t>(1 << WeekdayOfDay(day));
        pattern["NoEndDate"] = true;
        pattern["PatternStartDate"] = DateOfDay(day);
        pattern["StartTime"] = static_cast<std::int32_t>((wall.ToUnixSeconds() - day * 86400) / 60);
        pattern["Duration"] = static_cast<std::int32_t>(SecondsBetween(end, start) / 60);
        record_.pattern = std::move(pattern);
        saved_ = false;
    }
    *out = internal::Make<RecurrencePatternObject>(outlook::ComPtr<AppointmentObject>(this));
    return S_OK;
}

HRESULT AppointmentObject::ClearRecurrencePattern() {
    HRESULT hr = CheckFault("AppointmentItem.ClearRecurrencePattern");
    if (FAILED(hr)) {
        return hr;
    }
    if (occurrence_) {
        return outlook::MAPI_E_NO_SUPPORT;
    }
    if (record_.pattern) {
        record_.pattern.reset();
        record_.exceptions.clear();
        saved_ = false;
    }
    return S_OK;
}

HRESULT AppointmentObject::get_MeetingStatus(outlook::OlMeetingStatus* out) {
    return Return("AppointmentItem.get_MeetingStatus", out,
                  static_cast<outlook::OlMeetingStatus>(
                      BagLong(record_.fields, "MeetingStatus", outlook::olNonMeeting)));
}
HRESULT AppointmentObject::put_MeetingStatus(outlook::OlMeetingStatus value) {
    if (value != outlook::olNonMeeting && value != outlook::olMeeting &&
        value != outlook::olMeetingReceived && value != outlook::olMeetingCanceled) {
        return E_INVALIDARG;
    }
    return PutField("MeetingStatus", static_cast<std::int32_t>(value));
}

HRESULT AppointmentObject::get_ResponseStatus(outlook::OlResponseStatus* out) {
    HRESULT hr = Check("AppointmentItem.get_ResponseStatus", out);
    if (FAILED(hr)) {
        return hr;
    }
    auto it = record_.named.find(kResponseStatusKey);
    std::int32_t status = 0;
    if (it != record_.named.end() && SUCCEEDED(it->second.ToLong(&status))) {
        *out = static_cast<outlook::OlResponseStatus>(status);
    } else {
        *out = BagLong(record_.fields, "MeetingStatus") == outlook::olMeeting ? outlook::olResponseOrganized
                                                                              : outlook::olResponseNone;
    }
    return S_OK;
}

HRESULT AppointmentObject::get_ReplyTime(platform::DateTime* out) {
    HRESULT hr = Check("AppointmentItem.get_ReplyTime", out);
    if (FAILED(hr)) {
        return hr;
    }
    const platform::DateTime utc = BagDate(record_.fields, "ReplyTimeUTC");
    *out = utc.IsValid() ? utc.UtcToLocal() : platform::DateTime::Null();
    return S_OK;
}
HRESULT AppointmentObject::put_ReplyTime(const platform::DateTime& value) {
    if (!value.IsValid()) {
        return E_INVALIDARG;
    }
    return PutField("ReplyTimeUTC", value.LocalToUtc());
}

HRESULT AppointmentObject::get_Organizer(std::string* out) {
    HRESULT hr = Check("AppointmentItem.get_Organizer", out);
    if (FAILED(hr)) {
        return hr;
    }
    std::string name = BagText(record_.named, MapiMessageObject::TagKey(outlook::PR_SENDER_NAME_W));
    if (name.empty()) {
        name = BagText(record_.named, MapiMessageObject::TagKey(outlook::PR_SENDER_EMAIL_ADDRESS_W));
    }
    *out = name;
    return S_OK;
}

HRESULT AppointmentObject::get_Recipients(outlook::ComPtr<outlook::Recipients>* out) {
    HRESULT hr = Check("AppointmentItem.get_Recipients", out);
    if (SUCCEEDED(hr)) {
        *out = internal::Make<RecipientsObject>(static_cast<RecordOwner*>(this));
    }
    return hr;
}

HRESULT AppointmentObject::get_PropertyAccessor(outlook::ComPtr<outlook::PropertyAccessor>* out) {
    HRESULT hr = Check("AppointmentItem.get_PropertyAccessor", out);
    if (SUCCEEDED(hr)) {
        *out = internal::Make<PropertyAccessorObject>(static_cast<RecordOwner*>(this));
    }
    return hr;
}

HRESULT AppointmentObject::get_MAPIOBJECT(outlook::ComPtr<outlook::IUnknown>* out) {
    HRESULT hr = Check("AppointmentItem.get_MAPIOBJECT", out);
    if (SUCCEEDED(hr)) {
        auto message = internal::Make<MapiMessageObject>(static_cast<RecordOwner*>(this));
        *out = outlook::ComPtr<outlook::IUnknown>(static_cast<outlook::MapiMessage*>(message.get()));
    }
    return hr;
}

HRESULT AppointmentObject::PrepareSave() {
    const platform::DateTime start = BagDate(record_.fields, "StartUTC");
    const platform::DateTime end = BagDate(record_.fields, "EndUTC");
    if (!start.IsValid() || !end.IsValid() || SecondsBetween(end, start) < 0 || !HasFourDigitYear(start) ||
        !HasFourDigitYear(end)) {
        return E_INVALIDARG;
    }
    if (!record_.pattern) {
        return S_OK;
    }
    Series::FillDefaults(&*record_.pattern);
    Series series;
    HRESULT hr = Series::FromRecord(record_, &series);
    if (FAILED(hr)) {
        return hr;
    }
    std::int64_t first = 0;
    if (!series.FirstDay(&first)) {
        return E_INVALIDARG;
    }
    // The master shows the first occurrence.
    const platform::DateTime first_start = series.StartUtc(first);
    record_.fields["StartUTC"] = first_start;
    record_.fields["EndUTC"] =
        first_start.AddSeconds(static_cast<std::int64_t>(series.duration_minutes()) * 60);
    // A changed pattern drops the exceptions it no longer has an occurrence for.
    auto& exceptions = record_.exceptions;
    exceptions.erase(
        std::remove_if(exceptions.begin(), exceptions.end(),
                       [&](const PropertyBag& e) { return !series.HasDay(BagLong(e, "OriginalDay", -1)); }),
        exceptions.end());
    std::sort(exceptions.begin(), exceptions.end(), [](const PropertyBag& a, const PropertyBag& b) {
        return BagLong(a, "OriginalDay") < BagLong(b, "OriginalDay");
    });
    return S_OK;
}

HRESULT AppointmentObject::SaveOccurrence(bool deleted) {
    // A series with unsaved changes (a new one, or one whose pattern is being changed) keeps the exception
    // until its own Save writes both in one go; a saved series is written at once.
    if (master_->deleted_) {
        return outlook::MAPI_E_OBJECT_DELETED;
    }
    const bool held = !master_->saved_;
    outlook::ComPtr<AppointmentObject> master = master_;
    HRESULT hr = S_OK;
    if (!held) {
        ItemRecord stored;
        hr = app_->store().LoadItem(master_->record_.row_id, &stored);
        if (FAILED(hr)) {
            return hr;
        }
        master = internal::Make<AppointmentObject>(app_, std::move(stored));
    }
    Series series;
    hr = Series::FromRecord(master->record_, &series);
    if (FAILED(hr)) {
        return hr;
    }
    PropertyBag exception;
    exception["OriginalDay"] = static_cast<std::int32_t>(occurrence_day_);
    exception["Deleted"] = deleted;
    if (!deleted) {
        // Keep only what differs from the series, so later series changes still show.
        PropertyBag base = master->record_.fields;
        const platform::DateTime start = series.StartUtc(occurrence_day_);
        base["StartUTC"] = start;
        base["EndUTC"] = start.AddSeconds(static_cast<std::int64_t>(series.duration_minutes()) * 60);
        for (const std::string& key : OccurrenceFields()) {
            auto mine = record_.fields.find(key);
            auto theirs = base.find(key);
            if (mine != record_.fields.end() && (theirs == base.end() || !(mine->second == theirs->second))) {
                exception[key] = mine->second;
            }
        }
    }
    auto& exceptions = master->record_.exceptions;
    const int index = FindException(exceptions, occurrence_day_);
    if (index >= 0) {
        exceptions[static_cast<std::size_t>(index)] = exception;
    } else {
        exceptions.push_back(exception);
    }
    if (!held) {
        hr = master->SaveRecord();
        if (FAILED(hr)) {
            return hr;
        }
        master_->record_.exceptions = master->record_.exceptions;
        master_->record_.fields["LastModificationTimeUTC"] =
            master->record_.fields["LastModificationTimeUTC"];
        record_.fields["LastModificationTimeUTC"] = master->record_.fields["LastModificationTimeUTC"];
    }
    changed_occurrence_ = !deleted;
    saved_ = true;
    return S_OK;
}

HRESULT AppointmentObject::Save() {
    if (!occurrence_) {
        return ItemObject::Save();
    }
    HRESULT hr = CheckFault("OutlookItem.Save");
    if (FAILED(hr)) {
        return hr;
    }
    if (deleted_) {
        return outlook::MAPI_E_OBJECT_DELETED;
    }
    const platform::DateTime start = BagDate(record_.fields, "StartUTC");
    const platform::DateTime end = BagDate(record_.fields, "EndUTC");
    if (!start.IsValid() || !end.IsValid() || SecondsBetween(end, start) < 0) {
        return E_INVALIDARG;
    }
    return SaveOccurrence(false);
}

HRESULT AppointmentObject::Delete() {
    if (!occurrence_) {
        return ItemObject::Delete();
    }
    HRESULT hr = CheckFault("OutlookItem.Delete");
    if (FAILED(hr)) {
        return hr;
    }
    if (deleted_) {
        return outlook::MAPI_E_OBJECT_DELETED;
    }
    // Deleting one occurrence changes the series: the series' item handlers may refuse it.
    for (const auto& sink : app_->events().SinksFor<outlook::ItemEvents>(EventKey())) {
        bool cancel = false;
        sink->BeforeDelete(this, &cancel);
        if (cancel) {
            return outlook::MAPI_E_USER_CANCEL;
        }
    }
    hr = SaveOccurrence(true);
    if (SUCCEEDED(hr)) {
        deleted_ = true;
    }
    return hr;
}

}  // namespace host
