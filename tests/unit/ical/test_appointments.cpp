#include "test_appointments.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <regex>
#include <set>

#include "ical/cal_dav_event.h"
#include "ical/content_component.h"
#include "ical/event_merge.h"
#include "ical/outlook_event.h"
#include "outlook/exception.h"
#include "outlook/exceptions.h"
#include "outlook/items.h"
#include "outlook/mapi_message.h"
#include "outlook/mapi_table.h"
#include "outlook/namespace.h"
#include "outlook/property_accessor.h"
#include "outlook/recipient.h"
#include "outlook/recipients.h"
#include "outlook/recurrence_pattern.h"
#include "outlook/time_zone.h"
#include "outlook/time_zones.h"
#include "platform/time_zones.h"

namespace testdata {
namespace {

constexpr const char* kNamedPrefix =
    "http://schemas.microsoft.com/mapi/id/{00062002-0000-0000-C000-000000000046}/";

// Test data the store refuses is a fault of the test or the store: stop with what failed.
void Must(HRESULT hr, const char* what) {
    if (FAILED(hr)) {
        std::fprintf(stderr, "test appointments: %s failed with 0x%08X\n", what, static_cast<unsigned>(hr));
        std::abort();
    }
}

// Calls in order, each of which must succeed.
void MustAll(std::initializer_list<HRESULT> results, const char* what) {
    for (const HRESULT hr : results)
        Must(hr, what);
}

std::string Local(const DateTime& value) {
    return value.IsValid() ? value.Format("%Y%m%dT%H%M%S") : "invalid";
}

ComPtr<outlook::RecurrencePattern> PatternOf(outlook::AppointmentItem* item) {
    ComPtr<outlook::RecurrencePattern> pattern;
    Must(item->GetRecurrencePattern(&pattern), "GetRecurrencePattern");
    return pattern;
}

struct Occurrence {
    DateTime original;
    bool deleted = false;
    Appointment changed;  // null when deleted
};

std::vector<Occurrence> OccurrencesOf(outlook::RecurrencePattern* pattern) {
    ComPtr<outlook::Exceptions> exceptions;
    std::int32_t count = 0;
    MustAll({pattern->get_Exceptions(&exceptions), exceptions ? exceptions->get_Count(&count) : E_POINTER},
            "Exceptions");
    std::vector<Occurrence> list(static_cast<std::size_t>(count));
    for (std::int32_t i = 1; i <= count; ++i) {
        ComPtr<outlook::Exception> exception;
        Occurrence& entry = list[static_cast<std::size_t>(i - 1)];
        Must(exceptions->Item(i, &exception), "Exceptions.Item");
        MustAll({exception->get_OriginalDate(&entry.original), exception->get_Deleted(&entry.deleted)},
                "Exception");
        if (!entry.deleted)
            Must(exception->get_AppointmentItem(&entry.changed), "get_AppointmentItem");
    }
    return list;
}

ComPtr<outlook::MapiMessage> MessageOf(outlook::AppointmentItem* item) {
    ComPtr<outlook::IUnknown> unknown;
    ComPtr<outlook::MapiMessage> message;
    Must(item->get_MAPIOBJECT(&unknown), "get_MAPIOBJECT");
    Must(unknown.As(&message), "MapiMessage");
    return message;
}

void SetNamed(outlook::AppointmentItem* item, const std::string& id, const outlook::Variant& value) {
    ComPtr<outlook::PropertyAccessor> accessor;
    Must(item->get_PropertyAccessor(&accessor), "get_PropertyAccessor");
    Must(accessor->SetProperty(kNamedPrefix + id, value), "SetProperty");
}

// Resolved recipients with their answers (as the organizer's copy tracks them), and the sender.
void AddPeople(outlook::AppointmentItem* item, const std::string& sender,
               const std::vector<std::pair<std::string, outlook::OlResponseStatus>>& people) {
    Must(item->put_MeetingStatus(outlook::olMeeting), "put_MeetingStatus");
    ComPtr<outlook::Recipients> recipients;
    Must(item->get_Recipients(&recipients), "get_Recipients");
    for (const auto& person : people) {
        ComPtr<outlook::Recipient> recipient;
        bool resolved = false;
        Must(recipients->Add(person.first, &recipient), "Recipients.Add");
        Must(recipient->Resolve(&resolved), "Resolve");
    }
    Must(item->Save(), "Save");
    const auto message = MessageOf(item);
    Must(outlook::HrSetOneProp(message.get(), {outlook::PR_SENDER_EMAIL_ADDRESS_W, outlook::Variant(sender)}),
         "set the sender");
    ComPtr<outlook::MapiTable> table;
    outlook::RowSet rows;
    Must(message->GetRecipientTable(outlook::MAPI_UNICODE, &table), "GetRecipientTable");
    Must(outlook::HrQueryAllRows(table.get(), &rows), "QueryAllRows");
    for (std::size_t i = 0; i < rows.size() && i < people.size(); ++i) {
        const outlook::PropValue* row_id = outlook::FindColumn(rows[i], outlook::PR_ROWID);
        const outlook::Variant answer(static_cast<std::int32_t>(people[i].second));
        Must(row_id ? message->ModifyRecipients(outlook::MODRECIP_MODIFY,
                                                {{*row_id, {outlook::PR_RECIPIENT_TRACKSTATUS, answer}}})
                    : E_FAIL,
             "ModifyRecipients");
    }
    Must(message->SaveChanges(outlook::KEEP_OPEN_READWRITE), "SaveChanges");
}

Appointment Timed(Calendar& calendar, const std::string& subject = "Team meeting") {
    auto item = calendar.New();
    MustAll(
        {item->put_Subject(subject), item->put_Location("Room 1"), item->put_Body("Agenda"),
         item->put_Start(DateTime::FromParts(2024, 1, 10, 9, 0, 0)),
         item->put_End(DateTime::FromParts(2024, 1, 10, 10, 0, 0)), item->put_Sensitivity(outlook::olPrivate),
         item->put_Importance(outlook::olImportanceHigh), item->put_BusyStatus(outlook::olBusy),
         item->put_ReminderSet(true), item->put_ReminderMinutesBeforeStart(15)},
        "timed");
    return item;
}

Appointment AllDay(Calendar& calendar, const std::string& subject, const DateTime& day) {
    auto item = calendar.New();
    MustAll({item->put_Subject(subject), item->put_Start(day), item->put_End(day.AddSeconds(86400)),
             item->put_AllDayEvent(true), item->put_BusyStatus(outlook::olFree),
             item->put_Importance(outlook::olImportanceLow), item->put_Sensitivity(outlook::olPersonal),
             item->put_ReminderSet(false)},
            "all day");
    return item;
}

void DeleteOccurrence(outlook::RecurrencePattern* pattern, const DateTime& start) {
    Appointment occurrence;
    Must(pattern->GetOccurrence(start, &occurrence), "GetOccurrence");
    Must(occurrence->Delete(), "delete an occurrence");
}

Appointment Recurring(Calendar& calendar) {
    auto item = calendar.New();
    MustAll({item->put_Subject("Standup"), item->put_Start(DateTime::FromParts(2024, 1, 8, 9, 0, 0)),
             item->put_End(DateTime::FromParts(2024, 1, 8, 9, 30, 0)),
             item->put_BusyStatus(outlook::olTentative), item->put_ReminderSet(false)},
            "series");
    const auto pattern = PatternOf(item.get());
    MustAll({pattern->put_RecurrenceType(outlook::olRecursWeekly), pattern->put_Interval(2),
             pattern->put_DayOfWeekMask(outlook::olMonday | outlook::olWednesday),
             pattern->put_PatternEndDate(DateTime::FromParts(2024, 3, 27)), item->Save()},
            "weekly pattern");
    DeleteOccurrence(pattern.get(), DateTime::FromParts(2024, 1, 10, 9, 0, 0));
    DeleteOccurrence(pattern.get(), DateTime::FromParts(2024, 1, 22, 9, 0, 0));
    Appointment moved;
    Must(pattern->GetOccurrence(DateTime::FromParts(2024, 1, 24, 9, 0, 0), &moved), "GetOccurrence");
    MustAll(
        {moved->put_Subject("Standup (moved)"), moved->put_Start(DateTime::FromParts(2024, 1, 24, 11, 0, 0)),
         moved->put_End(DateTime::FromParts(2024, 1, 24, 11, 30, 0)), moved->Save()},
        "moved occurrence");
    return item;
}

// Tuesdays and Thursdays 09:30 in Los Angeles across its change to summer time (10 March 2024): the 12th
// deleted, the 14th moved to 11:00. Local time is Berlin's, nine hours ahead, then eight.
Appointment ZonedSeries(Calendar& calendar) {
    auto item = calendar.New();
    ComPtr<outlook::TimeZones> zones;
    ComPtr<outlook::TimeZone> pacific;
    MustAll({calendar.app()->get_TimeZones(&zones), zones->Item("Pacific Standard Time", &pacific)}, "zone");
    MustAll(
        {item->put_Subject("Team sync"), item->put_StartTimeZone(pacific.get()),
         item->put_EndTimeZone(pacific.get()),
         item->put_StartInStartTimeZone(DateTime::FromParts(2024, 3, 5, 9, 30, 0)),
         item->put_EndInEndTimeZone(DateTime::FromParts(2024, 3, 5, 10, 0, 0)), item->put_ReminderSet(false)},
        "zoned series");
    const auto pattern = PatternOf(item.get());
    MustAll({pattern->put_RecurrenceType(outlook::olRecursWeekly),
             pattern->put_DayOfWeekMask(outlook::olTuesday | outlook::olThursday),
             pattern->put_Occurrences(6), item->Save()},
            "zoned pattern");
    DeleteOccurrence(pattern.get(), DateTime::FromParts(2024, 3, 12, 17, 30, 0));
    Appointment moved;
    Must(pattern->GetOccurrence(DateTime::FromParts(2024, 3, 14, 17, 30, 0), &moved), "GetOccurrence");
    MustAll({moved->put_Subject("Team sync (moved)"),
             moved->put_Start(DateTime::FromParts(2024, 3, 14, 19, 0, 0)),
             moved->put_End(DateTime::FromParts(2024, 3, 14, 19, 30, 0)), moved->Save()},
            "moved zoned occurrence");
    return item;
}

Appointment AllDayYearly(Calendar& calendar) {
    auto item = AllDay(calendar, "Birthday", DateTime::FromParts(2024, 6, 1));
    const auto pattern = PatternOf(item.get());
    MustAll({pattern->put_RecurrenceType(outlook::olRecursYearly), pattern->put_Interval(12),
             pattern->put_DayOfMonth(1), pattern->put_MonthOfYear(6),
             pattern->put_PatternEndDate(DateTime::FromParts(2030, 6, 1)), item->Save()},
            "yearly pattern");
    DeleteOccurrence(pattern.get(), DateTime::FromParts(2026, 6, 1));
    return item;
}

Appointment OrganizerMeeting(Calendar& calendar) {
    auto item = Timed(calendar, "Planning");
    SetNamed(item.get(), "82180003", outlook::Variant(std::int32_t{outlook::olResponseOrganized}));
    AddPeople(item.get(), kOwner,
              {{kOwner, outlook::olResponseNone},
               {"anna@example.com", outlook::olResponseAccepted},
               {"bert@example.com", outlook::olResponseNone}});
    return item;
}

Appointment AttendeeMeeting(Calendar& calendar) {
    auto item = Timed(calendar, "Review");
    SetNamed(item.get(), "82180003", outlook::Variant(std::int32_t{outlook::olResponseAccepted}));
    Must(item->put_ReplyTime(DateTime::FromParts(2024, 1, 5, 12, 0, 0)), "put_ReplyTime");
    AddPeople(item.get(), "boss@example.com",
              {{"boss@example.com", outlook::olResponseNone},
               {kOwner, outlook::olResponseNone},
               {"carl@example.com", outlook::olResponseNone}});
    return item;
}

Appointment LongTexts(Calendar& calendar) {
    auto item = Timed(calendar);
    // The subject's 80 characters fold after 67; the location's fold would fall inside the emoji's
    // surrogate pair.
    MustAll(
        {item->put_Subject("Quarterly business review with the regional sales teams and the product owners"),
         item->put_Body("Bring: slides, numbers; notes\\drafts\r\nSecond line\nThird line"),
         item->put_Location(std::string(65, 'x') + "\xF0\x9F\x98\x80" + " end"),
         item->put_ReminderSet(false)},
        "long texts");
    return item;
}

std::string Iso(const DateTime& local, bool date_only) {
    return "\"" + (date_only ? local.Format("%Y-%m-%d") : local.LocalToUtc().Format("%Y-%m-%dT%H:%M:%SZ")) +
           "\"";
}

// The starts of the series' first occurrences (changed ones where they moved to), from the store: every
// local date of the next 400 days asked for its occurrence.
std::string OccurrenceStarts(outlook::AppointmentItem* master, outlook::RecurrencePattern* pattern) {
    constexpr std::size_t kCount = 12;
    DateTime first;
    bool all_day = false;
    MustAll({master->get_Start(&first), master->get_AllDayEvent(&all_day)}, "series start");
    std::set<std::string> starts;
    const DateTime day_one = DateTime::FromUnixSeconds(first.ToUnixSeconds() / 86400 * 86400 - 86400);
    for (int day = 0; day < 400 && starts.size() < kCount; ++day) {
        Appointment occurrence;
        DateTime start;
        if (SUCCEEDED(pattern->GetOccurrence(day_one.AddSeconds(day * 86400LL), &occurrence)) &&
            SUCCEEDED(occurrence->get_Start(&start)))
            starts.insert(Iso(start, all_day));
    }
    std::string json;
    for (const std::string& start : starts)
        json += (json.empty() ? "" : ",") + start;
    return json;
}

std::string EventJson(outlook::AppointmentItem* item, const DateTime& original, const std::string& series) {
    bool all_day = false;
    DateTime start;
    DateTime end;
    MustAll({item->get_AllDayEvent(&all_day), item->get_Start(&start), item->get_End(&end)}, "event times");
    std::string json = "{\"dtstart\":" + Iso(start, all_day) + ",\"dtend\":" + Iso(end, all_day);
    if (original.IsValid())
        json += ",\"recurrence_id\":" + Iso(original, all_day);
    return json + series + "}";
}

}  // namespace

void UseBerlinTime() {
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
}

Calendar::Calendar(bool berlin_time) {
    if (berlin_time)
        UseBerlinTime();
    ComPtr<outlook::NameSpace> session;
    if (FAILED(host::ApplicationObject::Create(home_.root() + "/outlook.db", 500, &app_, &error_)) ||
        FAILED(app_->get_Session(&session)) ||
        FAILED(session->GetDefaultFolder(outlook::olFolderCalendar, &calendar_))) {
        error_ = "no calendar: " + error_;
    }
}

Appointment Calendar::New() {
    ComPtr<outlook::Items> items;
    ComPtr<outlook::IDispatch> item;
    Appointment appointment;
    Must(calendar_ ? calendar_->get_Items(&items) : E_FAIL, "get_Items");
    Must(items->Add(&item), "Items.Add");
    Must(item.As(&appointment), "AppointmentItem");
    return appointment;
}

std::vector<std::pair<std::string, Appointment>> AllAppointments(Calendar& calendar) {
    std::vector<std::pair<std::string, Appointment>> all;
    for (const char* name : {"timed", "all_day", "recurring", "zoned_series", "all_day_yearly",
                             "organizer_meeting", "attendee_meeting", "long_texts"})
        all.emplace_back(name, Named(calendar, name));
    return all;
}

Appointment Named(Calendar& calendar, const std::string& name) {
    Appointment item;
    if (name == "timed")
        item = Timed(calendar);
    else if (name == "all_day")
        item = AllDay(calendar, "Holiday", DateTime::FromParts(2024, 3, 5));
    else if (name == "recurring")
        item = Recurring(calendar);
    else if (name == "zoned_series")
        item = ZonedSeries(calendar);
    else if (name == "all_day_yearly")
        item = AllDayYearly(calendar);
    else if (name == "organizer_meeting")
        item = OrganizerMeeting(calendar);
    else if (name == "attendee_meeting")
        item = AttendeeMeeting(calendar);
    else
        item = LongTexts(calendar);
    Must(item->Save(), "Save");
    return item;
}

std::string WriteICal(outlook::AppointmentItem* item, bool vcalendar, const std::string& uid) {
    const auto event = COutlookEvent::CreateFromOutlookObject(item);
    return event ? event->ToICal(vcalendar, uid, kOwner) : std::string();
}

void ReadICal(const std::string& text, outlook::AppointmentItem* item) {
    CCalDavEvent event;
    event.SetICal(text);
    event.SetOwnerAddress(kOwner);
    const auto target = COutlookEvent::CreateFromOutlookObject(item);
    Must(target ? S_OK : E_NOINTERFACE, "COutlookEvent");
    event.InitOutlookEvent(target);
    Must(item->Save(), "Save");
}

namespace {

void NotOwnedLines(const CContentComponent& component, const std::string& path,
                   std::vector<std::string>* out) {
    const auto& owned = ical::OwnedEventProperties();
    const std::string here = path + "/" + component.Name();
    for (const ContentLine& property : component.Properties()) {
        const bool is_owned = component.HasName("VEVENT") &&
                              std::any_of(owned.begin(), owned.end(),
                                          [&](std::string_view name) { return property.line.HasName(name); });
        if (!is_owned)
            out->push_back(here + "|" + std::regex_replace(property.raw, std::regex("\r\n[ \t]"), ""));
    }
    for (const CContentComponent& child : component.Children())
        NotOwnedLines(child, here, out);
}

}  // namespace

std::vector<std::string> NotOwnedLines(const std::string& text) {
    std::vector<std::string> lines;
    if (const auto root = CContentComponent::Parse(text))
        NotOwnedLines(*root, "", &lines);
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::string MasterValue(const std::string& text, const char* property) {
    const auto root = CContentComponent::Parse(text);
    for (const CContentComponent& child : root ? root->Children() : std::vector<CContentComponent>{}) {
        if (child.HasName("VEVENT") && child.Find("RECURRENCE-ID") == nullptr)
            return child.Find(property) ? child.Find(property)->Value() : "";
    }
    return "no master";
}

std::map<std::string, std::string> Fields(outlook::AppointmentItem* item) {
    std::map<std::string, std::string> fields = {{"Recipients", ""}, {"Pattern", ""}, {"Exceptions", ""}};
    std::string text;
    DateTime date;
    std::int32_t number = 0;
    bool flag = false;
    using TextGetter = HRESULT (outlook::AppointmentItem::*)(std::string*);
    const std::pair<const char*, TextGetter> texts[] = {
        {"Subject", &outlook::AppointmentItem::get_Subject},
        {"Body", &outlook::AppointmentItem::get_Body},
        {"Location", &outlook::AppointmentItem::get_Location}};
    for (const auto& [name, get] : texts)
        fields[name] = SUCCEEDED((item->*get)(&text)) ? text : "failed";
    for (const auto& [name, get] : {std::pair{"Start", &outlook::AppointmentItem::get_Start},
                                    {"End", &outlook::AppointmentItem::get_End},
                                    {"ReplyTime", &outlook::AppointmentItem::get_ReplyTime}})
        fields[name] = SUCCEEDED((item->*get)(&date)) ? Local(date) : "failed";
    outlook::OlImportance importance = outlook::olImportanceNormal;
    outlook::OlBusyStatus busy = outlook::olBusy;
    outlook::OlMeetingStatus meeting = outlook::olNonMeeting;
    outlook::OlResponseStatus response = outlook::olResponseNone;
    outlook::OlRecurrenceState state = outlook::olApptNotRecurring;
    MustAll({item->get_Importance(&importance), item->get_BusyStatus(&busy),
             item->get_MeetingStatus(&meeting), item->get_ResponseStatus(&response),
             item->get_RecurrenceState(&state), item->get_AllDayEvent(&flag)},
            "appointment reads");
    fields["AllDay"] = flag ? "1" : "0";
    fields["Importance"] = std::to_string(importance);
    fields["BusyStatus"] = std::to_string(busy);
    fields["MeetingStatus"] = std::to_string(meeting);
    fields["ResponseStatus"] = std::to_string(response);
    fields["RecurrenceState"] = std::to_string(state);
    MustAll({item->get_ReminderSet(&flag), item->get_ReminderMinutesBeforeStart(&number)}, "reminder");
    fields["Reminder"] = flag ? std::to_string(number) : "off";
    for (const auto& [name, get] : {std::pair{"StartZone", &outlook::AppointmentItem::get_StartTimeZone},
                                    {"EndZone", &outlook::AppointmentItem::get_EndTimeZone}}) {
        ComPtr<outlook::TimeZone> zone;
        fields[name] = SUCCEEDED((item->*get)(&zone)) && zone && SUCCEEDED(zone->get_ID(&text)) ? text : "";
    }
    ComPtr<outlook::PropertyAccessor> accessor;
    Must(item->get_PropertyAccessor(&accessor), "get_PropertyAccessor");
    for (const char* id : {"82170003", "8229000B"}) {
        outlook::Variant value;
        fields[std::string("Named:") + id] =
            SUCCEEDED(accessor->GetProperty(kNamedPrefix + std::string(id), &value)) &&
                    SUCCEEDED(value.ToText(&text))
                ? text
                : "";
    }
    const auto message = MessageOf(item);
    for (const outlook::PropTag tag :
         {outlook::PR_SENDER_EMAIL_ADDRESS_W, outlook::PR_SENT_REPRESENTING_EMAIL_ADDRESS_W,
          outlook::PR_SENDER_NAME_W, outlook::PR_SENT_REPRESENTING_NAME_W}) {
        outlook::PropValue sender;
        const bool read = SUCCEEDED(outlook::HrGetOneProp(message.get(), tag, &sender)) &&
                          SUCCEEDED(sender.value.ToText(&text));
        fields["Sender"] += (fields["Sender"].empty() ? "" : "/") + (read ? text : std::string("-"));
    }
    ComPtr<outlook::MapiTable> table;
    outlook::RowSet rows;
    Must(message->GetRecipientTable(outlook::MAPI_UNICODE, &table), "GetRecipientTable");
    Must(outlook::HrQueryAllRows(table.get(), &rows), "QueryAllRows");
    for (const outlook::PropRow& row : rows) {
        std::string entry;
        for (const outlook::PropTag tag :
             {outlook::PR_EMAIL_ADDRESS_W, outlook::PR_RECIPIENT_TRACKSTATUS, outlook::PR_RECIPIENT_FLAGS}) {
            const outlook::PropValue* column = outlook::FindColumn(row, tag);
            entry += (entry.empty() ? "" : "/") +
                     (column && SUCCEEDED(column->value.ToText(&text)) ? text : std::string("-"));
        }
        fields["Recipients"] += (fields["Recipients"].empty() ? "" : " ") + entry;
    }
    bool recurring = false;
    if (FAILED(item->get_IsRecurring(&recurring)) || !recurring || state != outlook::olApptMaster)
        return fields;
    const auto pattern = PatternOf(item);
    outlook::OlRecurrenceType type = outlook::olRecursDaily;
    Must(pattern->get_RecurrenceType(&type), "get_RecurrenceType");
    std::string parts = "type=" + std::to_string(type);
    for (const auto& [name, get] : {std::pair{"interval", &outlook::RecurrencePattern::get_Interval},
                                    {"day", &outlook::RecurrencePattern::get_DayOfMonth},
                                    {"mask", &outlook::RecurrencePattern::get_DayOfWeekMask},
                                    {"month", &outlook::RecurrencePattern::get_MonthOfYear},
                                    {"instance", &outlook::RecurrencePattern::get_Instance},
                                    {"count", &outlook::RecurrencePattern::get_Occurrences},
                                    {"minutes", &outlook::RecurrencePattern::get_Duration}}) {
        Must((pattern.get()->*get)(&number), name);
        parts += std::string(" ") + name + "=" + std::to_string(number);
    }
    MustAll({pattern->get_NoEndDate(&flag), pattern->get_PatternEndDate(&date)}, "pattern end");
    parts += flag ? " noend" : " until=" + Local(date);
    fields["Pattern"] = parts;
    for (const Occurrence& occurrence : OccurrencesOf(pattern.get())) {
        std::string entry = Local(occurrence.original) + "=";
        if (occurrence.changed && SUCCEEDED(occurrence.changed->get_Subject(&text)) &&
            SUCCEEDED(occurrence.changed->get_Start(&date)))
            entry += text + "@" + Local(date);
        else
            entry += "deleted";
        fields["Exceptions"] += (fields["Exceptions"].empty() ? "" : " ") + entry;
    }
    return fields;
}

std::string ExpectedTimesJson(outlook::AppointmentItem* item) {
    bool recurring = false;
    std::string series;
    std::string changed_events;
    if (SUCCEEDED(item->get_IsRecurring(&recurring)) && recurring) {
        bool all_day = false;
        const auto pattern = PatternOf(item);
        Must(item->get_AllDayEvent(&all_day), "get_AllDayEvent");
        std::string exdates;
        for (const Occurrence& occurrence : OccurrencesOf(pattern.get())) {
            if (occurrence.deleted)
                exdates += (exdates.empty() ? "" : ",") + Iso(occurrence.original, all_day);
            else if (occurrence.changed)
                changed_events += "," + EventJson(occurrence.changed.get(), occurrence.original, "");
        }
        series =
            ",\"exdate\":[" + exdates + "],\"occurrences\":[" + OccurrenceStarts(item, pattern.get()) + "]";
        bool no_end = true;
        DateTime last_day;
        DateTime time;
        platform::DateParts day;
        platform::DateParts clock;
        MustAll({pattern->get_NoEndDate(&no_end), pattern->get_PatternEndDate(&last_day),
                 pattern->get_StartTime(&time)},
                "pattern end");
        Must(last_day.ToParts(&day) && time.ToParts(&clock) ? S_OK : E_FAIL, "date parts");
        std::int32_t count = 0;
        Must(pattern->get_Occurrences(&count), "get_Occurrences");
        if (!no_end && count == 0) {
            // The pattern's time of day is the wall-clock time of the series' zone.
            DateTime last =
                DateTime::FromParts(day.year, day.month, day.day, clock.hour, clock.minute, clock.second);
            ComPtr<outlook::TimeZone> zone;
            std::string id;
            DateTime utc;
            if (!all_day && SUCCEEDED(item->get_StartTimeZone(&zone)) && zone &&
                SUCCEEDED(zone->get_ID(&id)) &&
                platform::ZoneWallToUtc(platform::IanaFromWindowsId(id), last, &utc))
                last = utc.UtcToLocal();
            series += ",\"until\":" + Iso(all_day ? last_day : last, all_day);
        }
    }
    return "{\"events\":[" + EventJson(item, DateTime::Invalid(), series) + changed_events + "]}";
}

}  // namespace testdata
