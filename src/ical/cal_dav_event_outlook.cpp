// CCalDavEvent::InitOutlookEvent: the event written into an Outlook appointment.
#include <algorithm>

#include "ical/alarm_trigger.h"
#include "ical/cal_dav_event.h"
#include "ical/categories.h"
#include "ical/event_attendees.h"
#include "ical/ical_date.h"
#include "ical/ical_duration.h"
#include "ical/ical_text.h"
#include "ical/outlook_event.h"
#include "ical/outlook_event_repeat.h"
#include "ical/zone_resolver.h"
#include "outlook/application.h"
#include "outlook/exceptions.h"
#include "outlook/mapi_message.h"
#include "outlook/property_accessor.h"
#include "outlook/recipient.h"
#include "outlook/recipients.h"
#include "outlook/recurrence_pattern.h"
#include "outlook/time_zone.h"
#include "outlook/time_zones.h"
#include "platform/text.h"
#include "platform/time_zones.h"
#include "settings/log.h"

namespace {

constexpr const char* kStateFlags =
    "http://schemas.microsoft.com/mapi/id/{00062002-0000-0000-C000-000000000046}/82170003";
constexpr const char* kResponseStatus =
    "http://schemas.microsoft.com/mapi/id/{00062002-0000-0000-C000-000000000046}/82180003";
constexpr const char* kInvited =
    "http://schemas.microsoft.com/mapi/id/{00062002-0000-0000-C000-000000000046}/8229000B";
// Each deleted occurrence is one object-model lookup; a hostile list must not run for hours.
constexpr std::size_t kMaxExceptionDates = 1000;
constexpr std::int64_t kSecondsPerDay = 86400;

// A DTSTART-like value: local time, or wall-clock time of an Outlook zone.
struct EventTime {
    platform::DateTime value = platform::DateTime::Invalid();
    outlook::ComPtr<outlook::TimeZone> zone;
    bool is_date = false;
};

std::string TzidOf(const CICalLine& line) {
    std::string tzid = line.GetParameter("TZID");
    std::erase(tzid, '"');
    return tzid;
}

bool IsDateValue(const CICalLine& line) {
    const ical::ParsedDateTime parsed = ical::ParseDateTimeParts(platform::TrimWhitespace(line.Value()));
    return platform::EqualsIgnoreAsciiCase(line.GetParameter("VALUE"), "DATE") ||
           (parsed.value.IsValid() && !parsed.has_time);
}

// A date for a DATE value; UTC (Z) converted to local time; a TZID through Outlook's zones, tzids.csv
// and then the text's own VTIMEZONE (unknown everywhere: taken as UTC); no TZID and no Z: floating
// local time, as RFC 5545 defines it.
EventTime ResolveTime(const CCalDavEvent& event, std::string_view text, const std::string& tzid, bool as_date,
                      outlook::Application* application) {
    EventTime time;
    const ical::ParsedDateTime parsed = ical::ParseDateTimeParts(platform::TrimWhitespace(text));
    if (!parsed.value.IsValid())
        return time;
    if (as_date || !parsed.has_time) {
        time.value = ical::DateOnly(parsed.value);
        time.is_date = true;
        return time;
    }
    if (parsed.is_utc) {
        time.value = parsed.value.UtcToLocal();
        return time;
    }
    if (tzid.empty()) {
        time.value = parsed.value;
        return time;
    }
    time.zone = ResolveZone(application, tzid, true);
    if (time.zone) {
        time.value = parsed.value;
        return time;
    }
    const CTimeZoneDefinition* definition = event.FindTimeZone(tzid);
    const platform::DateTime utc =
        definition ? definition->ToUtc(parsed.value) : platform::DateTime::Invalid();
    time.value = utc.IsValid() ? utc.UtcToLocal() : parsed.value.UtcToLocal();
    return time;
}

// The local time of a resolved value (Outlook converts a zone's wall-clock time).
platform::DateTime LocalOf(const EventTime& time, outlook::Application* application) {
    if (!time.zone || !time.value.IsValid())
        return time.value;
    outlook::ComPtr<outlook::TimeZones> zones;
    outlook::ComPtr<outlook::TimeZone> current;
    platform::DateTime local;
    if (application == nullptr || FAILED(application->get_TimeZones(&zones)) || !zones ||
        FAILED(zones->get_CurrentTimeZone(&current)) || !current ||
        FAILED(zones->ConvertTime(time.value, time.zone.get(), current.get(), &local))) {
        return platform::DateTime::Invalid();
    }
    return local;
}

// The IANA name of the item's start zone, "" when it has none (its times are local).
std::string SeriesZoneOf(outlook::AppointmentItem* item) {
    outlook::ComPtr<outlook::TimeZone> zone;
    std::string id;
    if (FAILED(item->get_StartTimeZone(&zone)) || !zone || FAILED(zone->get_ID(&id)))
        return {};
    return platform::IanaFromWindowsId(id);
}

void LogFailure(const char* what, HRESULT hr) {
    if (FAILED(hr))
        Log("CCalDavEvent::InitOutlookEvent: Failed to %s. HRESULT: %d.", what, hr);
}

void PutStart(outlook::AppointmentItem* item, const EventTime& time) {
    if (time.zone) {
        LogFailure("put StartTimeZone", item->put_StartTimeZone(time.zone.get()));
        LogFailure("put StartInStartTimeZone", item->put_StartInStartTimeZone(time.value));
    } else {
        LogFailure("put Start", item->put_Start(time.value));
    }
}

void PutEnd(outlook::AppointmentItem* item, const EventTime& time) {
    if (time.zone) {
        LogFailure("put EndTimeZone", item->put_EndTimeZone(time.zone.get()));
        LogFailure("put EndInEndTimeZone", item->put_EndInEndTimeZone(time.value));
    } else {
        LogFailure("put End", item->put_End(time.value));
    }
}

// A named property set to `value` unless it holds that already.
void SetNamedProperty(outlook::PropertyAccessor* accessor, const char* name, const outlook::Variant& value) {
    outlook::Variant current;
    if (SUCCEEDED(accessor->GetProperty(name, &current)) && current == value)
        return;
    LogFailure("set a meeting property", accessor->SetProperty(name, value));
}

bool HasExceptions(outlook::AppointmentItem* item) {
    outlook::ComPtr<outlook::RecurrencePattern> pattern;
    outlook::ComPtr<outlook::Exceptions> exceptions;
    std::int32_t count = 0;
    return SUCCEEDED(item->GetRecurrencePattern(&pattern)) && pattern &&
           SUCCEEDED(pattern->get_Exceptions(&exceptions)) && exceptions &&
           SUCCEEDED(exceptions->get_Count(&count)) && count > 0;
}

}  // namespace

void CCalDavEvent::InitOutlookEvent(const std::shared_ptr<COutlookEvent>& target) const {
    if (!target || target->Item() == nullptr)
        return;
    outlook::AppointmentItem* item = target->Item();
    outlook::ComPtr<outlook::Application> application;
    if (FAILED(item->get_Application(&application)))
        application = nullptr;
    if (FindLine("DTSTART") != nullptr) {
        ApplyTimes(item, application.get());
        ApplyTexts(item);
        ApplyRecurrence(target, application.get());
        ApplyReminder(item);
        ApplyAttendees(item);
    } else if (!m_lines.empty()) {
        Log("CCalDavEvent::InitOutlookEvent: The event has no DTSTART; its properties are not applied.");
    }
    ApplyChangedOccurrences(target, application.get());
}

void CCalDavEvent::ApplyTimes(outlook::AppointmentItem* item, outlook::Application* application) const {
    const CICalLine& dtstart = *FindLine("DTSTART");
    const bool all_day = IsDateValue(dtstart);
    const EventTime start = ResolveTime(*this, dtstart.Value(), TzidOf(dtstart), all_day, application);
    if (!start.value.IsValid()) {
        Log("CCalDavEvent::InitOutlookEvent: Unable to read DTSTART '%s'.", dtstart.Value().c_str());
        return;
    }
    LogFailure("put AllDayEvent", item->put_AllDayEvent(all_day));
    PutStart(item, start);

    EventTime end;
    const CICalLine* dtend = FindLine("DTEND");
    const CICalLine* duration = FindLine("DURATION");
    if (dtend != nullptr) {
        end = ResolveTime(*this, dtend->Value(), TzidOf(*dtend), all_day, application);
    } else if (duration != nullptr) {
        // DURATION instead of DTEND: the end is the start plus the duration, in the start's own frame.
        const std::optional<std::int64_t> seconds = ical::ParseDurationSeconds(duration->Value());
        end = start;
        end.value = start.value.AddSeconds(std::max<std::int64_t>(seconds.value_or(0), 0));
    } else {
        end = start;
    }
    if (all_day) {
        // An all-day event lasts at least its one day, and whole days.
        const std::int64_t days =
            end.value.IsValid() ? platform::SecondsBetween(end.value, start.value) / kSecondsPerDay : 0;
        end.value = ical::DateOnly(start.value.AddSeconds(std::max<std::int64_t>(days, 1) * kSecondsPerDay));
    }
    if (!end.value.IsValid()) {
        Log("CCalDavEvent::InitOutlookEvent: Unable to read DTEND '%s'.",
            dtend ? dtend->Value().c_str() : "");
        return;
    }
    PutEnd(item, end);
    platform::DateTime start_local;
    platform::DateTime end_local;
    if (SUCCEEDED(item->get_Start(&start_local)) && SUCCEEDED(item->get_End(&end_local)) &&
        platform::SecondsBetween(end_local, start_local) < 0) {
        Log("CCalDavEvent::InitOutlookEvent: DTEND lies before DTSTART; the event ends at its start.");
        LogFailure("put End", item->put_End(start_local));
    }
}

void CCalDavEvent::ApplyTexts(outlook::AppointmentItem* item) const {
    if (const CICalLine* line = FindLine("DESCRIPTION"))
        LogFailure("put Body", item->put_Body(platform::SanitizeUtf8(ical::UnescapeText(line->Value()))));
    if (const CICalLine* line = FindLine("LOCATION"))
        LogFailure("put Location",
                   item->put_Location(platform::SanitizeUtf8(ical::UnescapeText(line->Value()))));
    if (const CICalLine* line = FindLine("SUMMARY"))
        LogFailure("put Subject",
                   item->put_Subject(platform::SanitizeUtf8(ical::UnescapeText(line->Value()))));
    if (const CICalLine* line = FindLine("PRIORITY")) {
        // RFC 5545: 1-4 high, 5 normal, 6-9 low; 0 (undefined) and anything else leave it alone.
        const std::string_view value = platform::TrimWhitespace(line->Value());
        if (value.size() == 1 && value[0] >= '1' && value[0] <= '9') {
            const int priority = value[0] - '0';
            const outlook::OlImportance importance = priority < 5    ? outlook::olImportanceHigh
                                                     : priority == 5 ? outlook::olImportanceNormal
                                                                     : outlook::olImportanceLow;
            LogFailure("put Importance", item->put_Importance(importance));
        }
    }
    // Every CATEGORIES line counts; none clears the appointment's categories.
    std::vector<std::string> categories;
    for (const CICalLine& line : m_lines) {
        if (line.HasName("CATEGORIES")) {
            for (std::string& category : ical::SplitCategories(line.Value()))
                categories.push_back(platform::SanitizeUtf8(category));
        }
    }
    LogFailure("put Categories", item->put_Categories(ical::JoinCategories(categories)));
    if (const CICalLine* line = FindLine("CLASS")) {
        static constexpr std::pair<const char*, outlook::OlSensitivity> kClasses[] = {
            {"PUBLIC", outlook::olNormal},
            {"X-PERSONAL", outlook::olPersonal},
            {"PRIVATE", outlook::olPrivate},
            {"CONFIDENTIAL", outlook::olConfidential}};
        for (const auto& [text, sensitivity] : kClasses) {
            if (platform::EqualsIgnoreAsciiCase(platform::TrimWhitespace(line->Value()), text))
                LogFailure("put Sensitivity", item->put_Sensitivity(sensitivity));
        }
    }
    // TRANSP says busy or free; the Microsoft busy status, when there is one, says which kind.
    if (const CICalLine* line = FindLine("TRANSP")) {
        const std::string_view value = platform::TrimWhitespace(line->Value());
        if (platform::EqualsIgnoreAsciiCase(value, "OPAQUE"))
            LogFailure("put BusyStatus", item->put_BusyStatus(outlook::olBusy));
        else if (platform::EqualsIgnoreAsciiCase(value, "TRANSPARENT"))
            LogFailure("put BusyStatus", item->put_BusyStatus(outlook::olFree));
    }
    if (const CICalLine* line = FindLine("X-MICROSOFT-CDO-BUSYSTATUS")) {
        static constexpr std::pair<const char*, outlook::OlBusyStatus> kStatuses[] = {
            {"FREE", outlook::olFree},
            {"TENTATIVE", outlook::olTentative},
            {"BUSY", outlook::olBusy},
            {"OOF", outlook::olOutOfOffice}};
        for (const auto& [text, status] : kStatuses) {
            if (platform::EqualsIgnoreAsciiCase(platform::TrimWhitespace(line->Value()), text))
                LogFailure("put BusyStatus", item->put_BusyStatus(status));
        }
    }
}

void CCalDavEvent::ApplyRecurrence(const std::shared_ptr<COutlookEvent>& target,
                                   outlook::Application* application) const {
    outlook::AppointmentItem* item = target->Item();
    outlook::OlRecurrenceState state = outlook::olApptNotRecurring;
    if (FAILED(item->get_RecurrenceState(&state)) || state == outlook::olApptOccurrence ||
        state == outlook::olApptException) {
        return;  // an occurrence carries no rule of its own
    }
    const CICalLine* rrule = FindLine("RRULE");
    bool recurring = false;
    if (rrule == nullptr) {
        if (SUCCEEDED(item->get_IsRecurring(&recurring)) && recurring)
            LogFailure("clear the recurrence pattern", item->ClearRecurrencePattern());
        return;
    }
    // Outlook cannot bring back a deleted occurrence nor undo a changed one, so a series with exceptions
    // starts afresh: the server's EXDATEs and changed occurrences are applied to it again below.
    if (SUCCEEDED(item->get_IsRecurring(&recurring)) && recurring && HasExceptions(item))
        LogFailure("clear the recurrence pattern", item->ClearRecurrencePattern());
    outlook::ComPtr<outlook::RecurrencePattern> pattern;
    HRESULT hr = item->GetRecurrencePattern(&pattern);
    if (FAILED(hr) || !pattern) {
        LogFailure("get the recurrence pattern", FAILED(hr) ? hr : E_POINTER);
        return;
    }
    auto repeat = std::make_unique<COutlookEventRepeat>(pattern);
    repeat->SetRuleLine(*rrule);
    // The pattern keeps the series' wall-clock time in its start zone: a series of another zone than
    // the machine's must not be taken as local time, or its offset counts twice.
    platform::DateTime start = platform::DateTime::Invalid();
    platform::DateTime start_utc;
    platform::DateTime end_utc;
    if (SUCCEEDED(item->get_StartInStartTimeZone(&start)) && SUCCEEDED(item->get_StartUTC(&start_utc)) &&
        SUCCEEDED(item->get_EndUTC(&end_utc))) {
        const std::int64_t seconds = platform::SecondsBetween(end_utc, start_utc);
        LogFailure("put PatternStartDate", pattern->put_PatternStartDate(ical::DateOnly(start)));
        LogFailure("put StartTime", pattern->put_StartTime(start));
        LogFailure("put EndTime", pattern->put_EndTime(start.AddSeconds(seconds)));
        // End and start time of day alone cannot tell an all-day or multi-day occurrence.
        LogFailure("put Duration", pattern->put_Duration(static_cast<std::int32_t>(seconds / 60)));
    } else {
        start = platform::DateTime::Invalid();
    }
    repeat->ApplyRuleLine(start, SeriesZoneOf(item));
    target->SetRecurrence(std::move(repeat));

    std::size_t deleted = 0;
    for (const CICalLine& line : m_lines) {
        if (!line.HasName("EXDATE"))
            continue;
        const bool as_date = platform::EqualsIgnoreAsciiCase(line.GetParameter("VALUE"), "DATE");
        std::string_view values = line.Value();
        while (!values.empty() && deleted < kMaxExceptionDates) {
            const std::size_t comma = values.find(',');
            const std::string_view piece = values.substr(0, comma);
            values = comma == std::string_view::npos ? std::string_view() : values.substr(comma + 1);
            ++deleted;
            const platform::DateTime local =
                LocalOf(ResolveTime(*this, piece, TzidOf(line), as_date, application), application);
            outlook::ComPtr<outlook::AppointmentItem> occurrence;
            if (!local.IsValid() || FAILED(pattern->GetOccurrence(local, &occurrence)) || !occurrence) {
                Log("CCalDavEvent::InitOutlookEvent: No occurrence at EXDATE '%.*s'.",
                    static_cast<int>(piece.size()), piece.data());
                continue;
            }
            LogFailure("delete an occurrence", occurrence->Delete());
        }
    }
    if (deleted >= kMaxExceptionDates)
        Log("CCalDavEvent::InitOutlookEvent: More than %zu EXDATE values; the rest are ignored.",
            kMaxExceptionDates);
}

void CCalDavEvent::ApplyReminder(outlook::AppointmentItem* item) const {
    const CICalLine* trigger = FindLine("TRIGGER");
    if (trigger == nullptr) {
        LogFailure("put ReminderSet", item->put_ReminderSet(false));
        return;
    }
    platform::DateTime start_utc;
    platform::DateTime end_utc;
    if (FAILED(item->get_StartUTC(&start_utc)))
        start_utc = platform::DateTime::Invalid();
    if (FAILED(item->get_EndUTC(&end_utc)))
        end_utc = platform::DateTime::Invalid();
    const std::optional<int> minutes = ical::ReminderMinutesFromTrigger(*trigger, start_utc, end_utc);
    if (!minutes) {
        // One unusable alarm must not stop the event or the run: no reminder.
        Log("CCalDavEvent::InitOutlookEvent: Unusable TRIGGER '%s'; no reminder is set.",
            trigger->Value().c_str());
        LogFailure("put ReminderSet", item->put_ReminderSet(false));
        return;
    }
    LogFailure("put ReminderSet", item->put_ReminderSet(true));
    LogFailure("put ReminderMinutesBeforeStart", item->put_ReminderMinutesBeforeStart(*minutes));
}

void CCalDavEvent::ApplyAttendees(outlook::AppointmentItem* item) const {
    const CEventAttendees attendees = CEventAttendees::FromLines(m_lines);
    const std::string& organizer = attendees.OrganizerAddress();
    const bool user_is_organizer =
        !organizer.empty() && platform::EqualsIgnoreAsciiCase(organizer, m_owner_address);

    outlook::ComPtr<outlook::Recipients> recipients;
    HRESULT hr = item->get_Recipients(&recipients);
    if (FAILED(hr) || !recipients) {
        LogFailure("get Recipients", FAILED(hr) ? hr : E_POINTER);
        return;
    }
    // The recipients Outlook has now, by 1-based index; additions go after them, so the indices of
    // the ones to remove stay valid until they are removed from the last to the first.
    std::vector<std::pair<std::int32_t, std::string>> noted;
    std::int32_t count = 0;
    if (FAILED(recipients->get_Count(&count)))
        count = 0;
    for (std::int32_t i = 1; i <= count; ++i) {
        outlook::ComPtr<outlook::Recipient> recipient;
        if (FAILED(recipients->Item(i, &recipient)) || !recipient)
            continue;
        std::string address;
        if (FAILED(recipient->get_Address(&address)) || address.empty()) {
            if (FAILED(recipient->get_Name(&address)))
                address.clear();
        }
        noted.emplace_back(i, address);
    }
    for (const std::string& wanted : attendees.WantedAddresses()) {
        const auto match = std::find_if(noted.begin(), noted.end(), [&](const auto& entry) {
            return !entry.second.empty() && platform::EqualsIgnoreAsciiCase(entry.second, wanted);
        });
        if (match != noted.end()) {
            noted.erase(match);
        } else if (!(user_is_organizer && platform::EqualsIgnoreAsciiCase(wanted, organizer))) {
            outlook::ComPtr<outlook::Recipient> added;
            LogFailure("add a recipient", recipients->Add(wanted, &added));
        }
    }
    bool all_resolved = false;
    (void)recipients->ResolveAll(&all_resolved);
    for (auto entry = noted.rbegin(); entry != noted.rend(); ++entry)
        LogFailure("remove a recipient", recipients->Remove(entry->first));

    if (FAILED(recipients->get_Count(&count)) || count < 1) {
        LogFailure("put MeetingStatus", item->put_MeetingStatus(outlook::olNonMeeting));
        return;
    }
    LogFailure("put MeetingStatus", item->put_MeetingStatus(outlook::olMeeting));
    outlook::ComPtr<outlook::PropertyAccessor> accessor;
    if (FAILED(item->get_PropertyAccessor(&accessor)))
        accessor = nullptr;
    if (!user_is_organizer) {
        const EventAttendee* own = attendees.Find(m_owner_address);
        int status = MeetingResponseStatusStringToInt(own ? own->role : std::string());
        // NEEDS-ACTION and other answers Outlook has no value for: the user has not responded yet.
        if (status < 0)
            status = outlook::olResponseNotResponded;
        // An answer tells the busy status only where the text does not say it.
        if (FindLine("TRANSP") == nullptr && FindLine("X-MICROSOFT-CDO-BUSYSTATUS") == nullptr)
            LogFailure("put BusyStatus", item->put_BusyStatus(static_cast<outlook::OlBusyStatus>(
                                             IntResponseStatusToIntBusyStatus(status))));
        platform::DateTime replied = own ? own->response_time : platform::DateTime::Invalid();
        if (!replied.IsValid()) {
            const CICalLine* modified = FindLine("LAST-MODIFIED");
            replied = modified ? ical::ParseICalDate(modified->Value(), ical::kAlwaysUtc)
                               : platform::DateTime::Invalid();
        }
        if (replied.IsValid())
            LogFailure("put ReplyTime", item->put_ReplyTime(replied));
        if (accessor) {
            SetNamedProperty(accessor.get(), kStateFlags, outlook::Variant(std::int32_t{3}));
            SetNamedProperty(accessor.get(), kResponseStatus,
                             outlook::Variant(static_cast<std::int32_t>(status)));
        }
    } else if (accessor) {
        SetNamedProperty(accessor.get(), kInvited, outlook::Variant(true));
    }

    // The message is the item's own: what is set on it here is saved with the item, by the caller.
    outlook::ComPtr<outlook::IUnknown> mapi_object;
    outlook::ComPtr<outlook::MapiMessage> message;
    if (FAILED(item->get_MAPIOBJECT(&mapi_object)) || !mapi_object || FAILED(mapi_object.As(&message)))
        return;
    if (!user_is_organizer && !organizer.empty()) {
        for (const outlook::PropTag tag :
             {outlook::PR_SENDER_EMAIL_ADDRESS_W, outlook::PR_SENT_REPRESENTING_EMAIL_ADDRESS_W,
              outlook::PR_SENDER_NAME_W, outlook::PR_SENT_REPRESENTING_NAME_W}) {
            LogFailure("set the organizer",
                       outlook::HrSetOneProp(message.get(), {tag, outlook::Variant(organizer)}));
        }
    }
    outlook::ComPtr<outlook::MapiTable> table;
    outlook::RowSet rows;
    if (FAILED(message->GetRecipientTable(outlook::MAPI_UNICODE, &table)) ||
        FAILED(outlook::HrQueryAllRows(table.get(), &rows))) {
        return;
    }
    for (const outlook::PropRow& row : rows) {
        const outlook::PropValue* row_id = outlook::FindColumn(row, outlook::PR_ROWID);
        const outlook::PropValue* email = outlook::FindColumn(row, outlook::PR_EMAIL_ADDRESS_W);
        std::string address;
        if (row_id == nullptr || email == nullptr || FAILED(email->value.ToText(&address)) || address.empty())
            continue;
        const EventAttendee* entry = attendees.Find(address);
        const int status = MeetingResponseStatusStringToInt(entry ? entry->role : std::string());
        outlook::PropTag column = 0;
        std::int32_t wanted = 0;
        if (user_is_organizer && status >= 0) {
            column = outlook::PR_RECIPIENT_TRACKSTATUS;
            wanted = status;
        } else if (!user_is_organizer && status == outlook::olResponseOrganized) {
            column = outlook::PR_RECIPIENT_FLAGS;
            wanted = 3;
        } else {
            continue;
        }
        const outlook::PropValue* current = outlook::FindColumn(row, column);
        if (current != nullptr && current->value == outlook::Variant(wanted))
            continue;
        const outlook::RowSet change = {{*row_id, {column, outlook::Variant(wanted)}}};
        LogFailure("modify a recipient", message->ModifyRecipients(outlook::MODRECIP_MODIFY, change));
    }
}

void CCalDavEvent::ApplyChangedOccurrences(const std::shared_ptr<COutlookEvent>& target,
                                           outlook::Application* application) const {
    if (m_changed.empty())
        return;
    outlook::AppointmentItem* item = target->Item();
    bool recurring = false;
    outlook::ComPtr<outlook::RecurrencePattern> pattern;
    // Only a series has occurrences; asking a single appointment for its pattern would make it recur.
    if (FAILED(item->get_IsRecurring(&recurring)) || !recurring ||
        FAILED(item->GetRecurrencePattern(&pattern)) || !pattern) {
        Log("CCalDavEvent::InitOutlookEvent: The appointment has no recurrence; changed occurrences are "
            "skipped.");
        return;
    }
    for (const auto& changed : m_changed) {
        const CICalLine* recurrence_id = changed->FindLine("RECURRENCE-ID");
        if (recurrence_id == nullptr)
            continue;
        const bool as_date = platform::EqualsIgnoreAsciiCase(recurrence_id->GetParameter("VALUE"), "DATE");
        const platform::DateTime local = LocalOf(
            ResolveTime(*changed, recurrence_id->Value(), TzidOf(*recurrence_id), as_date, application),
            application);
        outlook::ComPtr<outlook::AppointmentItem> occurrence;
        if (!local.IsValid() || FAILED(pattern->GetOccurrence(local, &occurrence)) || !occurrence) {
            Log("CCalDavEvent::InitOutlookEvent: No occurrence at RECURRENCE-ID '%s'.",
                recurrence_id->Value().c_str());
            continue;
        }
        const std::shared_ptr<COutlookEvent> wrapped =
            COutlookEvent::CreateFromOutlookObject(occurrence.get(), local.LocalToUtc());
        if (!wrapped)
            continue;
        changed->InitOutlookEvent(wrapped);
        (void)wrapped->Save();
    }
}
