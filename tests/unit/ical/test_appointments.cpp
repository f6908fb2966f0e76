#include "test_appointments.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <map>
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
#include "platform/file_system.h"
#include "platform/time_zones.h"
#include "support/escaped_text.h"

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

// "yyyymmddTHHMMSS" as a local time.
DateTime TimeOf(const std::string& text) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    Must(std::sscanf(text.c_str(), "%4d%2d%2dT%2d%2d%2d", &year, &month, &day, &hour, &minute, &second) == 6
             ? S_OK
             : E_INVALIDARG,
         text.c_str());
    return DateTime::FromParts(year, month, day, hour, minute, second);
}

// One line of a file of tests/data/ical/appointments (the steps are told in timed.txt) applied to
// `item`, or to the occurrence `*occurrence` when there is one.
void ApplyStep(Calendar& calendar, outlook::AppointmentItem* item, Appointment* occurrence,
               const std::string& line) {
    using Item = outlook::AppointmentItem;
    using Pattern = outlook::RecurrencePattern;
    static const std::map<std::string, HRESULT (Item::*)(const std::string&)> kTexts = {
        {"Subject", &Item::put_Subject}, {"Location", &Item::put_Location}, {"Body", &Item::put_Body}};
    static const std::map<std::string, HRESULT (Item::*)(const DateTime&)> kTimes = {
        {"Start", &Item::put_Start},
        {"End", &Item::put_End},
        {"ReplyTime", &Item::put_ReplyTime},
        {"StartInStartTimeZone", &Item::put_StartInStartTimeZone},
        {"EndInEndTimeZone", &Item::put_EndInEndTimeZone}};
    static const std::map<std::string, std::function<HRESULT(Item*, std::int32_t)>> kNumbers = {
        {"Sensitivity",
         [](Item* i, std::int32_t n) { return i->put_Sensitivity(outlook::OlSensitivity(n)); }},
        {"Importance", [](Item* i, std::int32_t n) { return i->put_Importance(outlook::OlImportance(n)); }},
        {"BusyStatus", [](Item* i, std::int32_t n) { return i->put_BusyStatus(outlook::OlBusyStatus(n)); }},
        {"MeetingStatus",
         [](Item* i, std::int32_t n) { return i->put_MeetingStatus(outlook::OlMeetingStatus(n)); }},
        {"ReminderMinutesBeforeStart", &Item::put_ReminderMinutesBeforeStart},
        {"ReminderSet", [](Item* i, std::int32_t n) { return i->put_ReminderSet(n != 0); }},
        {"AllDayEvent", [](Item* i, std::int32_t n) { return i->put_AllDayEvent(n != 0); }}};
    static const std::map<std::string, std::function<HRESULT(Pattern*, std::int32_t)>> kParts = {
        {"RecurrenceType",
         [](Pattern* p, std::int32_t n) { return p->put_RecurrenceType(outlook::OlRecurrenceType(n)); }},
        {"Interval", &Pattern::put_Interval},
        {"DayOfWeekMask", &Pattern::put_DayOfWeekMask},
        {"DayOfMonth", &Pattern::put_DayOfMonth},
        {"MonthOfYear", &Pattern::put_MonthOfYear},
        {"Occurrences", &Pattern::put_Occurrences}};
    const std::size_t equals = line.find('=');
    const std::string name = line.substr(0, equals);
    const std::string value =
        equals == std::string::npos ? "" : testing_support::Unescaped(line.substr(equals + 1));
    Item* target = *occurrence ? occurrence->get() : item;
    const char* what = line.c_str();
    if (kTexts.contains(name)) {
        Must((target->*kTexts.at(name))(value), what);
    } else if (kTimes.contains(name)) {
        Must((target->*kTimes.at(name))(TimeOf(value)), what);
    } else if (kNumbers.contains(name)) {
        Must(kNumbers.at(name)(target, std::stoi(value)), what);
    } else if (kParts.contains(name)) {
        Must(kParts.at(name)(PatternOf(item).get(), std::stoi(value)), what);
    } else if (name == "PatternEndDate") {
        Must(PatternOf(item)->put_PatternEndDate(TimeOf(value)), what);
    } else if (name == "StartTimeZone" || name == "EndTimeZone") {
        ComPtr<outlook::TimeZones> zones;
        ComPtr<outlook::TimeZone> zone;
        MustAll({calendar.app()->get_TimeZones(&zones), zones->Item(value, &zone)}, what);
        Must(name == "StartTimeZone" ? target->put_StartTimeZone(zone.get())
                                     : target->put_EndTimeZone(zone.get()),
             what);
    } else if (name.rfind("Named:", 0) == 0) {
        ComPtr<outlook::PropertyAccessor> accessor;
        Must(target->get_PropertyAccessor(&accessor), what);
        Must(accessor->SetProperty(kNamedPrefix + name.substr(6),
                                   outlook::Variant(std::int32_t{std::stoi(value)})),
             what);
    } else if (name == "Recipient") {
        ComPtr<outlook::Recipients> recipients;
        ComPtr<outlook::Recipient> recipient;
        bool resolved = false;
        MustAll({target->get_Recipients(&recipients), recipients->Add(value, &recipient),
                 recipient->Resolve(&resolved)},
                what);
    } else if (name == "Sender" || name == "Answer") {
        const auto message = MessageOf(target);
        if (name == "Sender") {
            Must(outlook::HrSetOneProp(message.get(),
                                       {outlook::PR_SENDER_EMAIL_ADDRESS_W, outlook::Variant(value)}),
                 what);
        } else {
            ComPtr<outlook::MapiTable> table;
            outlook::RowSet rows;
            MustAll({message->GetRecipientTable(outlook::MAPI_UNICODE, &table),
                     outlook::HrQueryAllRows(table.get(), &rows)},
                    what);
            const std::size_t row = std::stoul(value) - 1;
            const outlook::PropValue* id =
                row < rows.size() ? outlook::FindColumn(rows[row], outlook::PR_ROWID) : nullptr;
            const outlook::Variant answer(std::int32_t{std::stoi(value.substr(value.find('|') + 1))});
            Must(id ? message->ModifyRecipients(outlook::MODRECIP_MODIFY,
                                                {{*id, {outlook::PR_RECIPIENT_TRACKSTATUS, answer}}})
                    : E_INVALIDARG,
                 what);
        }
        Must(message->SaveChanges(outlook::KEEP_OPEN_READWRITE), what);
    } else if (name == "Occurrence") {
        Must(PatternOf(item)->GetOccurrence(TimeOf(value), occurrence), what);
    } else if (name == "Save" || name == "Delete") {
        Must(name == "Save" ? target->Save() : target->Delete(), what);
        *occurrence = nullptr;
    } else {
        Must(E_INVALIDARG, what);
    }
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
    std::vector<std::string> names;
    for (const std::string& file : platform::ListFiles(VELSYNC_ICAL_DATA "/appointments")) {
        if (file.ends_with(".txt"))
            names.push_back(file.substr(0, file.size() - 4));
    }
    std::sort(names.begin(), names.end());
    std::vector<std::pair<std::string, Appointment>> all;
    for (const std::string& name : names)
        all.emplace_back(name, Named(calendar, name));
    return all;
}

Appointment Named(Calendar& calendar, const std::string& name) {
    const std::string path = VELSYNC_ICAL_DATA "/appointments/" + name + ".txt";
    std::string text;
    Must(platform::ReadWholeFile(path, &text) == 0 ? S_OK : E_INVALIDARG, path.c_str());
    auto item = calendar.New();
    Appointment occurrence;
    for (std::size_t start = 0, end = 0; start < text.size(); start = end + 1) {
        end = std::min(text.find('\n', start), text.size());
        const std::string line = text.substr(start, end - start);
        if (!line.empty() && line[0] != '#')
            ApplyStep(calendar, item.get(), &occurrence, line);
    }
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

std::map<std::string, std::string> Fields(outlook::AppointmentItem* item, Clock clock) {
    std::map<std::string, std::string> fields = {
        {"Recipients", ""}, {"Addresses", ""}, {"Pattern", ""}, {"Exceptions", ""}};
    std::string text;
    DateTime date;
    std::int32_t number = 0;
    bool all_day = false;
    Must(item->get_AllDayEvent(&all_day), "get_AllDayEvent");
    const auto stamp = [clock](const DateTime& time, bool date_only) {
        if (clock == Clock::kLocal || !time.IsValid())
            return Local(time);
        return date_only ? time.Format("%Y%m%d") : time.LocalToUtc().Format("%Y%m%dT%H%M%SZ");
    };
    using TextGetter = HRESULT (outlook::AppointmentItem::*)(std::string*);
    const std::pair<const char*, TextGetter> texts[] = {
        {"Subject", &outlook::AppointmentItem::get_Subject},
        {"Body", &outlook::AppointmentItem::get_Body},
        {"Location", &outlook::AppointmentItem::get_Location},
        {"Categories", &outlook::AppointmentItem::get_Categories}};
    for (const auto& [name, get] : texts)
        fields[name] = SUCCEEDED((item->*get)(&text)) ? text : "failed";
    for (const auto& [name, get] : {std::pair{"Start", &outlook::AppointmentItem::get_Start},
                                    {"End", &outlook::AppointmentItem::get_End},
                                    {"ReplyTime", &outlook::AppointmentItem::get_ReplyTime}})
        fields[name] = SUCCEEDED((item->*get)(&date)) ? stamp(date, all_day && name[0] != 'R') : "failed";
    bool flag = false;
    outlook::OlSensitivity sensitivity = outlook::olNormal;
    outlook::OlImportance importance = outlook::olImportanceNormal;
    outlook::OlBusyStatus busy = outlook::olBusy;
    outlook::OlMeetingStatus meeting = outlook::olNonMeeting;
    outlook::OlResponseStatus response = outlook::olResponseNone;
    outlook::OlRecurrenceState state = outlook::olApptNotRecurring;
    MustAll({item->get_Importance(&importance), item->get_BusyStatus(&busy),
             item->get_MeetingStatus(&meeting), item->get_ResponseStatus(&response),
             item->get_RecurrenceState(&state), item->get_Sensitivity(&sensitivity)},
            "appointment reads");
    fields["AllDay"] = all_day ? "1" : "0";
    fields["Sensitivity"] = std::to_string(sensitivity);
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
    std::vector<std::string> addresses;
    for (const outlook::PropRow& row : rows) {
        std::string entry;
        for (const outlook::PropTag tag :
             {outlook::PR_EMAIL_ADDRESS_W, outlook::PR_RECIPIENT_TRACKSTATUS, outlook::PR_RECIPIENT_FLAGS}) {
            const outlook::PropValue* column = outlook::FindColumn(row, tag);
            entry += (entry.empty() ? "" : "/") +
                     (column && SUCCEEDED(column->value.ToText(&text)) ? text : std::string("-"));
        }
        fields["Recipients"] += (fields["Recipients"].empty() ? "" : " ") + entry;
        addresses.push_back(entry.substr(0, entry.find('/')));
    }
    std::sort(addresses.begin(), addresses.end());
    for (const std::string& address : addresses)
        fields["Addresses"] += (fields["Addresses"].empty() ? "" : " ") + address;
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
    fields["PatternEnd"] = date.Format("%Y%m%d");
    for (const Occurrence& occurrence : OccurrencesOf(pattern.get())) {
        std::string entry = stamp(occurrence.original, false) + "=";
        if (occurrence.changed && SUCCEEDED(occurrence.changed->get_Subject(&text)) &&
            SUCCEEDED(occurrence.changed->get_Start(&date)))
            entry += text + "@" + stamp(date, false);
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
