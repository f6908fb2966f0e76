#include "ical/outlook_event.h"

#include "ical/cal_dav_event_repeat.h"
#include "ical/categories.h"
#include "ical/ical_date.h"
#include "ical/ical_text.h"
#include "ical/outlook_event_repeat.h"
#include "outlook/exception.h"
#include "outlook/exceptions.h"
#include "outlook/mapi_message.h"
#include "outlook/recipient.h"
#include "outlook/recipients.h"
#include "outlook/recurrence_pattern.h"
#include "outlook/time_zone.h"
#include "platform/text.h"
#include "platform/time_zones.h"
#include "settings/log.h"
#include "settings/module_info.h"

namespace {

std::string Line(std::string_view name_with_colon, std::string_view value) {
    return std::string(name_with_colon) + std::string(value) + "\r\n";
}

// A timed value: UTC, or the wall-clock time of `tzid` when there is one.
std::string TimeLine(const std::string& name, const platform::DateTime& utc, const std::string& tzid) {
    platform::DateTime wall;
    if (tzid.empty() || !platform::ZoneUtcToWall(tzid, utc, &wall))
        return Line(name + ":", ical::FormatUtcDateTime(utc));
    return Line(name + ";TZID=" + tzid + ":", wall.Format("%Y%m%dT%H%M%S"));
}

// An address goes into a line unescaped; one holding a control character or a quote could end the line
// or forge parameters, so it is not written at all.
bool IsSafeAddress(std::string_view address) {
    for (const char c : address) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == '"')
            return false;
    }
    return true;
}

}  // namespace

COutlookEvent::COutlookEvent(outlook::ComPtr<outlook::AppointmentItem> item,
                             const platform::DateTime& occurrence_date)
    : m_item(std::move(item)),
      m_occurrence_date(occurrence_date.IsValid() ? occurrence_date : platform::DateTime::Invalid()) {}

COutlookEvent::~COutlookEvent() = default;

std::shared_ptr<COutlookEvent> COutlookEvent::CreateFromOutlookObject(
    outlook::IDispatch* item, const platform::DateTime& occurrence_date) {
    outlook::ComPtr<outlook::AppointmentItem> appointment;
    if (item == nullptr || FAILED(outlook::ComPtr<outlook::IDispatch>(item).As(&appointment)) ||
        !appointment) {
        Log("CCalDavEvent::CreateFromOutlookObject: spAppointmentItem is NULL.");
        return nullptr;
    }
    bool recurring = false;
    outlook::OlRecurrenceState state = outlook::olApptNotRecurring;
    const bool is_master = SUCCEEDED(appointment->get_IsRecurring(&recurring)) && recurring &&
                           SUCCEEDED(appointment->get_RecurrenceState(&state)) &&
                           state == outlook::olApptMaster;
    auto event = std::make_shared<COutlookEvent>(appointment, occurrence_date);
    if (is_master) {
        outlook::ComPtr<outlook::RecurrencePattern> pattern;
        const HRESULT hr = appointment->GetRecurrencePattern(&pattern);
        if (FAILED(hr))
            Log("CCalDavEvent::CreateFromOutlookObject: Failed to get recurrence pattern. HRESULT: %d.", hr);
        else if (!pattern)
            Log("CCalDavEvent::CreateFromOutlookObject: spRecPattern is NULL.");
        else
            event->SetRecurrence(CCalDavEventRepeat::CreateFromOutlookObject(pattern.get()));
    }
    return event;
}

void COutlookEvent::SetRecurrence(std::unique_ptr<COutlookEventRepeat> recurrence) {
    m_recurrence = std::move(recurrence);
}

HRESULT COutlookEvent::Save() const {
    const HRESULT hr = m_item ? m_item->Save() : E_POINTER;
    if (FAILED(hr))
        Log("Failed to save appointment.");
    return hr;
}

HRESULT COutlookEvent::Delete() const {
    const HRESULT hr = m_item ? m_item->Delete() : E_POINTER;
    if (FAILED(hr))
        Log("CCalDavCalendar::SynchronizeWithCalendar: Failed to delete appointment.");
    return hr;
}

std::string COutlookEvent::GetGlobalAppointmentID() const {
    std::string id;
    if (!m_item || FAILED(m_item->get_GlobalAppointmentID(&id)))
        return std::string();
    return id;
}

std::string COutlookEvent::GetSubject() const {
    std::string subject;
    if (!m_item || FAILED(m_item->get_Subject(&subject)))
        return std::string();
    return subject;
}

platform::DateTime COutlookEvent::GetLastModificationTime() const {
    platform::DateTime modified = platform::DateTime::Invalid();
    if (!m_item || FAILED(m_item->get_LastModificationTime(&modified)))
        return platform::DateTime::Invalid();
    return modified;
}

std::string COutlookEvent::MeetingResponseStatusToString(int status, const platform::DateTime& responded_at) {
    const std::string suffix =
        responded_at.IsValid() ? ";RESPONDED-AT=" + ical::FormatUtcDateTime(responded_at) : std::string();
    switch (status) {
        case outlook::olResponseTentative:
            return ";PARTSTAT=TENTATIVE" + suffix;
        case outlook::olResponseAccepted:
            return ";PARTSTAT=ACCEPTED" + suffix;
        case outlook::olResponseDeclined:
            return ";PARTSTAT=DECLINED" + suffix;
        case outlook::olResponseNotResponded:
            return ";PARTSTAT=NEEDS-ACTION;RSVP=TRUE";
        default:
            return {};
    }
}

std::string COutlookEvent::SeriesZone() const {
    bool recurring = false;
    bool all_day = false;
    outlook::OlRecurrenceState state = outlook::olApptNotRecurring;
    platform::DateTime start;
    if (!m_item || FAILED(m_item->get_IsRecurring(&recurring)) || !recurring ||
        FAILED(m_item->get_RecurrenceState(&state)) || state != outlook::olApptMaster ||
        FAILED(m_item->get_AllDayEvent(&all_day)) || all_day || FAILED(m_item->get_StartUTC(&start))) {
        return {};
    }
    outlook::ComPtr<outlook::TimeZone> zone;
    std::string id;
    std::string iana;
    if (SUCCEEDED(m_item->get_StartTimeZone(&zone)) && zone && SUCCEEDED(zone->get_ID(&id)))
        iana = platform::IanaFromWindowsId(id);
    if (iana.empty())
        iana = platform::HostIanaZone();
    return platform::ZoneVTimezone(iana, start).empty() ? std::string() : iana;
}

std::string COutlookEvent::ToICal(bool with_calendar, const std::string& uid,
                                  const std::string& owner_address) const {
    // A series keeps its wall-clock time across daylight-saving changes only when it is written in its
    // zone: in UTC, other clients would move it by an hour for half the year.
    const std::string tzid = SeriesZone();
    std::string text;
    if (with_calendar) {
        text += "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-Velmarquin//ZelOutlookAddin " + ModuleVersion() +
                " MIMEDIR//EN\r\n";
        platform::DateTime start;
        if (!tzid.empty() && SUCCEEDED(m_item->get_StartUTC(&start)))
            text += platform::ZoneVTimezone(tzid, start);
    }
    text += ToVEvent(uid, owner_address, tzid);
    return with_calendar ? text + "END:VCALENDAR\r\n" : text;
}

std::string COutlookEvent::ToVEvent(const std::string& uid, const std::string& owner_address,
                                    const std::string& tzid) const {
    std::string text = "BEGIN:VEVENT\r\n";
    outlook::AppointmentItem* item = m_item.get();
    if (item == nullptr) {
        return text + "DTSTAMP:" + ical::FormatUtcDateTime(platform::DateTime::NowUtc()) +
               "\r\nSEQUENCE:0\r\nEND:VEVENT\r\n";
    }

    outlook::OlSensitivity sensitivity = outlook::olNormal;
    if (SUCCEEDED(item->get_Sensitivity(&sensitivity))) {
        static constexpr const char* kClasses[] = {"PUBLIC", "X-PERSONAL", "PRIVATE", "CONFIDENTIAL"};
        if (sensitivity >= outlook::olNormal && sensitivity <= outlook::olConfidential)
            text += Line("CLASS:", kClasses[sensitivity]);
    }
    platform::DateTime date;
    if (SUCCEEDED(item->get_CreationTime(&date)) && date.IsValid())
        text += Line("CREATED:", ical::FormatUtcDateTime(date.LocalToUtc()));
    bool all_day = false;
    if (FAILED(item->get_AllDayEvent(&all_day)))
        all_day = false;
    if (all_day) {
        if (SUCCEEDED(item->get_End(&date)) && date.IsValid())
            text += Line("DTEND;VALUE=DATE:", ical::FormatDate(date));
    } else if (SUCCEEDED(item->get_EndUTC(&date)) && date.IsValid()) {
        text += TimeLine("DTEND", date, tzid);
    }
    text += Line("DTSTAMP:", ical::FormatUtcDateTime(platform::DateTime::NowUtc()));
    if (all_day) {
        if (SUCCEEDED(item->get_Start(&date)) && date.IsValid())
            text += Line("DTSTART;VALUE=DATE:", ical::FormatDate(date));
    } else if (SUCCEEDED(item->get_StartUTC(&date)) && date.IsValid()) {
        text += TimeLine("DTSTART", date, tzid);
    }
    outlook::OlRecurrenceState state = outlook::olApptNotRecurring;
    const bool state_read = SUCCEEDED(item->get_RecurrenceState(&state));
    if (state_read && state == outlook::olApptException && m_occurrence_date.IsValid()) {
        // The occurrence date is UTC; an all-day occurrence is named by its local date.
        if (all_day)
            text += Line("RECURRENCE-ID;VALUE=DATE:", ical::FormatDate(m_occurrence_date.UtcToLocal()));
        else
            text += TimeLine("RECURRENCE-ID", m_occurrence_date, tzid);
    }
    std::string value;
    if (SUCCEEDED(item->get_Body(&value)) && !value.empty())
        text += ical::FoldLine("DESCRIPTION:", ical::EscapeText(value));
    if (SUCCEEDED(item->get_LastModificationTime(&date)) && date.IsValid())
        text += Line("LAST-MODIFIED:", ical::FormatUtcDateTime(date.LocalToUtc()));
    if (SUCCEEDED(item->get_Location(&value)) && !value.empty())
        text += ical::FoldLine("LOCATION:", ical::EscapeText(value));
    if (SUCCEEDED(item->get_Categories(&value)))
        text += ical::CategoriesLine(value);
    outlook::OlImportance importance = outlook::olImportanceNormal;
    if (SUCCEEDED(item->get_Importance(&importance))) {
        if (importance == outlook::olImportanceLow)
            text += "PRIORITY:9\r\n";
        else if (importance == outlook::olImportanceNormal)
            text += "PRIORITY:5\r\n";
        else if (importance == outlook::olImportanceHigh)
            text += "PRIORITY:1\r\n";
    }
    text += "SEQUENCE:0\r\n";
    if (SUCCEEDED(item->get_Subject(&value)))
        text += ical::FoldLine("SUMMARY:", ical::EscapeText(value));
    outlook::OlBusyStatus busy = outlook::olBusy;
    if (SUCCEEDED(item->get_BusyStatus(&busy))) {
        static constexpr const char* kBusy[] = {"FREE", "TENTATIVE", "BUSY", "OOF"};
        if (busy >= outlook::olFree && busy <= outlook::olOutOfOffice) {
            text += busy == outlook::olFree ? "TRANSP:TRANSPARENT\r\n" : "TRANSP:OPAQUE\r\n";
            text += Line("X-MICROSOFT-CDO-BUSYSTATUS:", kBusy[busy]);
        }
    }
    std::string global_id;
    const HRESULT id_hr = item->get_GlobalAppointmentID(&global_id);
    if (FAILED(id_hr) || global_id.empty())
        Log("CCalDavEvent::ToICal: Unable to get appointment ID. HRESULT: %d.", id_hr);
    else
        text += ical::FoldLine("UID:", ical::EscapeNewlines(uid.empty() ? global_id : uid));
    bool recurring = false;
    const bool is_master = state_read && state == outlook::olApptMaster &&
                           SUCCEEDED(item->get_IsRecurring(&recurring)) && recurring;
    if (is_master)
        AppendRecurrence(&text, all_day, tzid);
    bool reminder = false;
    std::int32_t minutes = 0;
    if (SUCCEEDED(item->get_ReminderSet(&reminder)) && reminder &&
        SUCCEEDED(item->get_ReminderMinutesBeforeStart(&minutes))) {
        text += "BEGIN:VALARM\r\nTRIGGER:-PT" + std::to_string(minutes) +
                "M\r\nACTION:DISPLAY\r\nDESCRIPTION:Reminder\r\nEND:VALARM\r\n";
    }
    outlook::OlMeetingStatus meeting = outlook::olNonMeeting;
    if (SUCCEEDED(item->get_MeetingStatus(&meeting)) && meeting != outlook::olNonMeeting)
        AppendAttendees(&text, owner_address);
    text += "END:VEVENT\r\n";
    if (is_master && m_recurrence) {
        for (const auto& occurrence : m_recurrence->ChangedOccurrences())
            text += occurrence->ToVEvent(uid, owner_address, tzid);
    }
    return text;
}

void COutlookEvent::AppendRecurrence(std::string* text, bool all_day, const std::string& tzid) const {
    if (m_recurrence)
        *text += m_recurrence->GetRRuleLine(all_day, tzid);
    outlook::ComPtr<outlook::RecurrencePattern> pattern;
    outlook::ComPtr<outlook::Exceptions> exceptions;
    std::int32_t count = 0;
    if (FAILED(m_item->GetRecurrencePattern(&pattern)) || !pattern ||
        FAILED(pattern->get_Exceptions(&exceptions)) || !exceptions ||
        FAILED(exceptions->get_Count(&count))) {
        return;
    }
    for (std::int32_t i = 1; i <= count; ++i) {
        outlook::ComPtr<outlook::Exception> exception;
        if (FAILED(exceptions->Item(i, &exception)) || !exception)
            break;
        bool deleted = false;
        platform::DateTime original;
        if (FAILED(exception->get_Deleted(&deleted)) || !deleted ||
            FAILED(exception->get_OriginalDate(&original)) || !original.IsValid()) {
            continue;
        }
        // The occurrence's own local start, in UTC; a date for an all-day series.
        if (all_day)
            *text += Line("EXDATE;VALUE=DATE:", ical::FormatDate(original));
        else
            *text += TimeLine("EXDATE", original.LocalToUtc(), tzid);
    }
}

void COutlookEvent::AppendAttendees(std::string* text, const std::string& owner_address) const {
    std::string organizer;
    outlook::ComPtr<outlook::IUnknown> mapi_object;
    outlook::ComPtr<outlook::MapiMessage> message;
    if (SUCCEEDED(m_item->get_MAPIOBJECT(&mapi_object)) && mapi_object &&
        SUCCEEDED(mapi_object.As(&message))) {
        outlook::PropValue sender;
        if (SUCCEEDED(outlook::HrGetOneProp(message.get(), outlook::PR_SENDER_EMAIL_ADDRESS_W, &sender)) &&
            FAILED(sender.value.ToText(&organizer))) {
            organizer.clear();
        }
    }
    outlook::OlResponseStatus own_status = outlook::olResponseNone;
    if (FAILED(m_item->get_ResponseStatus(&own_status)))
        own_status = outlook::olResponseNone;
    outlook::ComPtr<outlook::Recipients> recipients;
    std::int32_t count = 0;
    if (FAILED(m_item->get_Recipients(&recipients)) || !recipients || FAILED(recipients->get_Count(&count)))
        return;
    for (std::int32_t i = 1; i <= count; ++i) {
        outlook::ComPtr<outlook::Recipient> recipient;
        if (FAILED(recipients->Item(i, &recipient)) || !recipient)
            break;
        std::string address;
        if (FAILED(recipient->get_Address(&address)) || address.empty()) {
            if (FAILED(recipient->get_Name(&address)))
                address.clear();
        }
        if (address.empty() || !IsSafeAddress(address))
            continue;
        if (!organizer.empty() && platform::EqualsIgnoreAsciiCase(address, organizer)) {
            *text += ical::FoldLine("ORGANIZER:", "MAILTO:" + address);
            continue;
        }
        int status = outlook::olResponseNone;
        platform::DateTime responded = platform::DateTime::Invalid();
        if (own_status == outlook::olResponseOrganized) {
            outlook::OlResponseStatus answer = outlook::olResponseNone;
            if (SUCCEEDED(recipient->get_MeetingResponseStatus(&answer)))
                status = answer == outlook::olResponseNone ? outlook::olResponseNotResponded : answer;
        } else if (platform::EqualsIgnoreAsciiCase(address, owner_address)) {
            status = own_status;
            // ReplyTime is local; RESPONDED-AT is UTC.
            if (SUCCEEDED(m_item->get_ReplyTime(&responded)) && responded.IsValid())
                responded = responded.LocalToUtc();
            else
                responded = platform::DateTime::Invalid();
        }
        *text += ical::FoldLine("ATTENDEE" + MeetingResponseStatusToString(status, responded) + ":",
                                "MAILTO:" + address);
    }
}
