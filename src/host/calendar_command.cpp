#include "host/calendar_command.h"

#include <algorithm>
#include <cstdlib>
#include <functional>

#include "host/command_line.h"
#include "host/command_output.h"
#include "host/item_command.h"
#include "host/user_session.h"
#include "outlook/appointment_item.h"
#include "outlook/exception.h"
#include "outlook/exceptions.h"
#include "outlook/items.h"
#include "outlook/recipient.h"
#include "outlook/recipients.h"
#include "outlook/recurrence_pattern.h"
#include "outlook/time_zone.h"
#include "outlook/time_zones.h"
#include "platform/text.h"
#include "platform/time_zones.h"

namespace {

using outlook::ComPtr;

constexpr const char* kHelp =
    "velsync calendar: the appointments and calendar folders of the store.\n"
    "\n"
    "  velsync calendar list [--folder PATH] [--from DATE] [--to DATE]\n"
    "                                           appointments of the folder and those below it, recurring\n"
    "                                           ones expanded between the dates (default: today + 30 days)\n"
    "  velsync calendar show ID                 every field of one appointment\n"
    "  velsync calendar add --subject TEXT --start DATE [options]\n"
    "  velsync calendar edit ID [--occurrence DATE] [options]\n"
    "  velsync calendar delete ID [--occurrence DATE]\n"
    "  velsync calendar move ID --to PATH\n"
    "%s"
    "\n"
    "Options of add and edit:\n"
    "  --subject TEXT  --location TEXT  --body TEXT  --start DATE  --end DATE  --duration MINUTES\n"
    "  --all-day  --busy free|tentative|busy|oof  --reminder MINUTES|none  --time-zone ZONE\n"
    "  --attendees ADDR[,ADDR...]  --categories NAME[,NAME...] (\"\" clears them)  --folder PATH (add only)\n"
    "  --repeat daily|weekly|monthly|monthnth|yearly|yearnth|none  --interval N  --days MO,TU,...\n"
    "  --day-of-month N  --month N  --instance 1..5  --count N  --until DATE\n"
    "\n"
    "Dates are YYYY-MM-DD or \"YYYY-MM-DD HH:MM\", local time (with --time-zone: that zone's, an IANA\n"
    "name such as Europe/Berlin or a Windows zone ID). ID is the EntryID that list prints.\n"
    "Common options: --json (one JSON object per line), --answer yes|no (for questions without a terminal).\n"
    "Exit codes: 0 done, 1 failed or refused, 2 wrong arguments, 3 store unavailable.\n";

const std::set<std::string> kFlags = {"json", "all-day", "help"};
const std::set<std::string> kValued = {"folder",   "from",         "to",        "subject",     "start",
                                       "end",      "duration",     "location",  "body",        "busy",
                                       "reminder", "time-zone",    "attendees", "repeat",      "interval",
                                       "days",     "day-of-month", "month",     "instance",    "count",
                                       "until",    "occurrence",   "answer",    "description", "categories"};

std::string Get(outlook::AppointmentItem* item, HRESULT (outlook::AppointmentItem::*getter)(std::string*)) {
    std::string value;
    return SUCCEEDED((item->*getter)(&value)) ? value : std::string();
}

OutputValue GetDate(outlook::AppointmentItem* item,
                    HRESULT (outlook::AppointmentItem::*getter)(platform::DateTime*), bool is_utc = false) {
    platform::DateTime value;
    return OutputValue::Time(SUCCEEDED((item->*getter)(&value)) ? value : platform::DateTime::Invalid(),
                             is_utc);
}

const char* BusyName(outlook::OlBusyStatus status) {
    switch (status) {
        case outlook::olFree:
            return "free";
        case outlook::olTentative:
            return "tentative";
        case outlook::olBusy:
            return "busy";
        case outlook::olOutOfOffice:
            return "oof";
    }
    return "";
}

bool ParseNumber(const std::string& text, int low, int high, std::int32_t* out) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < low || value > high) {
        return false;
    }
    *out = static_cast<std::int32_t>(value);
    return true;
}

// Outlook's category text for a typed list: names trimmed, empty ones left out, joined by ", ".
std::string CategoriesText(const std::string& typed) {
    std::string text;
    std::size_t start = 0;
    while (start <= typed.size()) {
        const std::size_t comma = std::min(typed.find(',', start), typed.size());
        const std::string_view name =
            platform::TrimWhitespace(std::string_view(typed).substr(start, comma - start));
        if (!name.empty()) {
            text += (text.empty() ? "" : ", ") + std::string(name);
        }
        start = comma + 1;
    }
    return text;
}

std::string PatternText(outlook::RecurrencePattern* pattern) {
    static constexpr const char* kTypes[] = {"daily", "weekly", "monthly", "monthnth",
                                             "?",     "yearly", "yearnth"};
    outlook::OlRecurrenceType type = outlook::olRecursDaily;
    std::int32_t interval = 0;
    std::int32_t mask = 0;
    std::int32_t day = 0;
    std::int32_t month = 0;
    std::int32_t instance = 0;
    std::int32_t count = 0;
    bool no_end = false;
    platform::DateTime until;
    (void)pattern->get_RecurrenceType(&type);
    (void)pattern->get_Interval(&interval);
    (void)pattern->get_DayOfWeekMask(&mask);
    (void)pattern->get_DayOfMonth(&day);
    (void)pattern->get_MonthOfYear(&month);
    (void)pattern->get_Instance(&instance);
    (void)pattern->get_Occurrences(&count);
    (void)pattern->get_NoEndDate(&no_end);
    (void)pattern->get_PatternEndDate(&until);
    std::string text = type >= 0 && type <= 6 ? kTypes[type] : "?";
    text += " interval " + std::to_string(interval);
    if (mask != 0) {
        static constexpr const char* kDays[] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};
        text += " days";
        for (int i = 0; i < 7; ++i) {
            if ((mask & (1 << i)) != 0) {
                text += std::string(" ") + kDays[i];
            }
        }
    }
    if (day != 0) {
        text += " day " + std::to_string(day);
    }
    if (month != 0) {
        text += " month " + std::to_string(month);
    }
    if (instance != 0) {
        text += " instance " + std::to_string(instance);
    }
    if (no_end) {
        text += ", no end";
    } else if (count > 0) {
        text += ", " + std::to_string(count) + " times";
    } else {
        text += ", until " + until.Format("%Y-%m-%d");
    }
    return text;
}

class CalendarCommand {
  public:
    CalendarCommand(UserSession* session, CommandOutput* output, const CommandLine* line)
        : session_(session), output_(output), line_(line) {}

    int List();
    int Show();
    int Add();
    int Edit();
    int Delete();
    int Move();

  private:
    ComPtr<outlook::AppointmentItem> Appointment(const std::string& id);
    // The occurrence of `series` named by --occurrence, or the series itself without the option.
    ComPtr<outlook::AppointmentItem> Target(ComPtr<outlook::AppointmentItem> series);
    // Applies the options of add and edit. False (message printed) for a bad value.
    bool Apply(outlook::AppointmentItem* item, bool is_occurrence);
    bool ApplyRepeat(outlook::AppointmentItem* item);
    // The rows of a series' occurrences that overlap [from, to] (local time).
    void AddOccurrences(outlook::AppointmentItem* series, const platform::DateTime& from,
                        const platform::DateTime& to, const std::string& folder,
                        std::vector<OutputRecord>* rows);
    // One line of list: start, end, subject, kind, folder, EntryID.
    OutputRecord Row(outlook::AppointmentItem* item, const std::string& folder, const std::string& kind);

    UserSession* session_;
    CommandOutput* output_;
    const CommandLine* line_;
};

ComPtr<outlook::AppointmentItem> CalendarCommand::Appointment(const std::string& id) {
    auto item = session_->ItemById(id);
    ComPtr<outlook::AppointmentItem> appointment;
    if (item && FAILED(item.As(&appointment))) {
        output_->Error(id + " is not an appointment");
    }
    return appointment;
}

ComPtr<outlook::AppointmentItem> CalendarCommand::Target(ComPtr<outlook::AppointmentItem> series) {
    if (!series || !line_->Has("occurrence")) {
        return series;
    }
    const platform::DateTime when = ParseUserDate(line_->Value("occurrence"));
    if (!when.IsValid()) {
        output_->Error("--occurrence needs a date");
        return {};
    }
    ComPtr<outlook::RecurrencePattern> pattern;
    ComPtr<outlook::AppointmentItem> occurrence;
    bool recurring = false;
    HRESULT hr = series->get_IsRecurring(&recurring);
    if (SUCCEEDED(hr) && !recurring) {
        hr = outlook::MAPI_E_NOT_FOUND;
    }
    if (SUCCEEDED(hr)) {
        hr = series->GetRecurrencePattern(&pattern);
    }
    if (SUCCEEDED(hr)) {
        hr = pattern->GetOccurrence(when, &occurrence);
    }
    if (FAILED(hr)) {
        (void)session_->Report("no occurrence on " + line_->Value("occurrence"), hr);
        return {};
    }
    return occurrence;
}

OutputRecord CalendarCommand::Row(outlook::AppointmentItem* item, const std::string& folder,
                                  const std::string& kind) {
    std::string entry_id;
    (void)item->get_EntryID(&entry_id);
    return {{"start", GetDate(item, &outlook::AppointmentItem::get_Start)},
            {"end", GetDate(item, &outlook::AppointmentItem::get_End)},
            {"subject", Get(item, &outlook::AppointmentItem::get_Subject)},
            {"kind", kind},
            {"folder", folder},
            {"entry_id", entry_id}};
}

void CalendarCommand::AddOccurrences(outlook::AppointmentItem* series, const platform::DateTime& from,
                                     const platform::DateTime& to, const std::string& folder,
                                     std::vector<OutputRecord>* rows) {
    ComPtr<outlook::RecurrencePattern> pattern;
    ComPtr<outlook::Application> app;
    ComPtr<outlook::TimeZones> zones;
    ComPtr<outlook::TimeZone> series_zone;
    ComPtr<outlook::TimeZone> local_zone;
    platform::DateTime start_time;
    platform::DateParts time_of_day;
    if (FAILED(series->GetRecurrencePattern(&pattern)) || FAILED(pattern->get_StartTime(&start_time)) ||
        !start_time.ToParts(&time_of_day) || FAILED(series->get_Application(&app)) ||
        FAILED(app->get_TimeZones(&zones)) || FAILED(zones->get_CurrentTimeZone(&local_zone)) ||
        FAILED(series->get_StartTimeZone(&series_zone))) {
        return;
    }
    // The pattern counts days of the series' own zone: an occurrence of a series from another zone can
    // fall on the day before or after here, so the walk reaches a day further each way and asks for
    // each occurrence by its local start.
    for (platform::DateTime day = from.AddSeconds(-86400);
         platform::SecondsBetween(to.AddSeconds(86400), day) >= 0; day = day.AddSeconds(86400)) {
        platform::DateParts date;
        platform::DateTime local;
        if (!day.ToParts(&date) ||
            FAILED(zones->ConvertTime(platform::DateTime::FromParts(date.year, date.month, date.day,
                                                                    time_of_day.hour, time_of_day.minute),
                                      series_zone.get(), local_zone.get(), &local))) {
            continue;
        }
        ComPtr<outlook::AppointmentItem> occurrence;
        platform::DateTime start;
        platform::DateTime end;
        if (FAILED(pattern->GetOccurrence(local, &occurrence)) || FAILED(occurrence->get_Start(&start)) ||
            FAILED(occurrence->get_End(&end)) || platform::SecondsBetween(end, from) < 0 ||
            platform::SecondsBetween(to, start) < 0) {
            continue;
        }
        outlook::OlRecurrenceState state = outlook::olApptOccurrence;
        (void)occurrence->get_RecurrenceState(&state);
        rows->push_back(Row(occurrence.get(), folder,
                            state == outlook::olApptException ? "changed occurrence" : "occurrence"));
    }
}

int CalendarCommand::List() {
    auto root = session_->FolderBelow("Calendar", line_->Value("folder", "Calendar"));
    if (!root) {
        return kExitFailed;
    }
    const platform::DateTime today = ParseUserDate(platform::DateTime::NowLocal().Format("%Y-%m-%d"));
    const platform::DateTime from = line_->Has("from") ? ParseUserDate(line_->Value("from")) : today;
    platform::DateTime to =
        line_->Has("to") ? ParseUserDate(line_->Value("to")) : today.AddSeconds(std::int64_t{30} * 86400);
    if (!from.IsValid() || !to.IsValid()) {
        output_->Error("--from and --to need dates");
        return kExitUsage;
    }
    // The range ends at the end of its last day; expansion is bounded to ten years.
    to = to.AddSeconds(86400 - 1);
    if (platform::SecondsBetween(to, from) > 3660LL * 86400) {
        output_->Error("the range is longer than ten years");
        return kExitUsage;
    }
    std::vector<OutputRecord> rows;
    for (const auto& folder : session_->Tree(root.get())) {
        const std::string path = session_->PathOf(folder.get());
        ComPtr<outlook::Items> items;
        if (FAILED(folder->get_Items(&items))) {
            continue;
        }
        ComPtr<outlook::IDispatch> item;
        for (HRESULT hr = items->GetFirst(&item); SUCCEEDED(hr) && item; hr = items->GetNext(&item)) {
            ComPtr<outlook::AppointmentItem> appointment;
            if (FAILED(item.As(&appointment))) {
                continue;
            }
            bool recurring = false;
            (void)appointment->get_IsRecurring(&recurring);
            if (!recurring) {
                platform::DateTime start;
                platform::DateTime end;
                if (SUCCEEDED(appointment->get_Start(&start)) && SUCCEEDED(appointment->get_End(&end)) &&
                    platform::SecondsBetween(end, from) >= 0 && platform::SecondsBetween(to, start) >= 0) {
                    rows.push_back(Row(appointment.get(), path, "single"));
                }
                continue;
            }
            AddOccurrences(appointment.get(), from, to, path, &rows);
        }
    }
    // By start, as a calendar reads; "YYYY-MM-DD HH:MM" sorts as the times do.
    std::stable_sort(rows.begin(), rows.end(), [](const OutputRecord& a, const OutputRecord& b) {
        return a[0].second.text < b[0].second.text;
    });
    for (const OutputRecord& row : rows) {
        output_->Record(row, true);
    }
    return kExitOk;
}

int CalendarCommand::Show() {
    if (line_->Positional().empty()) {
        output_->Error("show needs an ID");
        return kExitUsage;
    }
    auto appointment = Target(Appointment(line_->Positional()[0]));
    if (!appointment) {
        return kExitFailed;
    }
    auto* item = appointment.get();
    OutputRecord record;
    std::string entry_id;
    (void)item->get_EntryID(&entry_id);
    record.push_back({"entry_id", entry_id});
    record.push_back(
        {"global_appointment_id", Get(item, &outlook::AppointmentItem::get_GlobalAppointmentID)});
    record.push_back({"subject", Get(item, &outlook::AppointmentItem::get_Subject)});
    record.push_back({"start", GetDate(item, &outlook::AppointmentItem::get_Start)});
    record.push_back({"end", GetDate(item, &outlook::AppointmentItem::get_End)});
    record.push_back({"start_utc", GetDate(item, &outlook::AppointmentItem::get_StartUTC, true)});
    bool flag = false;
    (void)item->get_AllDayEvent(&flag);
    record.push_back({"all_day", OutputValue::Flag(flag)});
    ComPtr<outlook::TimeZone> zone;
    std::string zone_id;
    if (SUCCEEDED(item->get_StartTimeZone(&zone))) {
        (void)zone->get_ID(&zone_id);
    }
    record.push_back({"time_zone", zone_id});
    record.push_back({"location", Get(item, &outlook::AppointmentItem::get_Location)});
    record.push_back({"body", Get(item, &outlook::AppointmentItem::get_Body)});
    outlook::OlBusyStatus busy = outlook::olBusy;
    (void)item->get_BusyStatus(&busy);
    record.push_back({"busy", BusyName(busy)});
    outlook::OlImportance importance = outlook::olImportanceNormal;
    (void)item->get_Importance(&importance);
    record.push_back({"importance", importance == outlook::olImportanceHigh  ? "high"
                                    : importance == outlook::olImportanceLow ? "low"
                                                                             : "normal"});
    record.push_back({"categories", Get(item, &outlook::AppointmentItem::get_Categories)});
    outlook::OlSensitivity sensitivity = outlook::olNormal;
    (void)item->get_Sensitivity(&sensitivity);
    static constexpr const char* kSensitivities[] = {"normal", "personal", "private", "confidential"};
    record.push_back(
        {"sensitivity", sensitivity >= outlook::olNormal && sensitivity <= outlook::olConfidential
                            ? kSensitivities[sensitivity]
                            : ""});
    std::int32_t minutes = 0;
    (void)item->get_ReminderSet(&flag);
    (void)item->get_ReminderMinutesBeforeStart(&minutes);
    record.push_back({"reminder", flag ? std::to_string(minutes) + " minutes" : "none"});
    ComPtr<outlook::Recipients> recipients;
    std::string attendees;
    std::int32_t count = 0;
    if (SUCCEEDED(item->get_Recipients(&recipients)) && SUCCEEDED(recipients->get_Count(&count))) {
        for (std::int32_t i = 1; i <= count; ++i) {
            ComPtr<outlook::Recipient> recipient;
            std::string address;
            if (SUCCEEDED(recipients->Item(i, &recipient))) {
                if (FAILED(recipient->get_Address(&address)) || address.empty()) {
                    (void)recipient->get_Name(&address);
                }
                attendees += (attendees.empty() ? "" : ", ") + address;
            }
        }
    }
    record.push_back({"attendees", attendees});
    outlook::OlRecurrenceState state = outlook::olApptNotRecurring;
    (void)item->get_RecurrenceState(&state);
    static constexpr const char* kStates[] = {"single", "series", "occurrence", "changed occurrence"};
    record.push_back({"recurrence_state", kStates[state]});
    ComPtr<outlook::RecurrencePattern> pattern;
    if (state == outlook::olApptMaster && SUCCEEDED(item->GetRecurrencePattern(&pattern))) {
        record.push_back({"recurrence", PatternText(pattern.get())});
        ComPtr<outlook::Exceptions> exceptions;
        std::string text;
        if (SUCCEEDED(pattern->get_Exceptions(&exceptions)) && SUCCEEDED(exceptions->get_Count(&count))) {
            for (std::int32_t i = 1; i <= count; ++i) {
                ComPtr<outlook::Exception> exception;
                platform::DateTime original;
                bool deleted = false;
                if (SUCCEEDED(exceptions->Item(i, &exception)) &&
                    SUCCEEDED(exception->get_OriginalDate(&original))) {
                    (void)exception->get_Deleted(&deleted);
                    text += (text.empty() ? "" : ", ") + FormatUserDate(original) +
                            (deleted ? " deleted" : " changed");
                }
            }
        }
        record.push_back({"exceptions", text});
    }
    record.push_back({"created", GetDate(item, &outlook::AppointmentItem::get_CreationTime)});
    record.push_back({"modified", GetDate(item, &outlook::AppointmentItem::get_LastModificationTime)});
    output_->Record(record, false);
    return kExitOk;
}

bool CalendarCommand::ApplyRepeat(outlook::AppointmentItem* item) {
    const std::string repeat = platform::AsciiLower(line_->Value("repeat"));
    if (repeat == "none") {
        return SUCCEEDED(item->ClearRecurrencePattern());
    }
    const std::vector<std::pair<std::string, outlook::OlRecurrenceType>> types = {
        {"daily", outlook::olRecursDaily},     {"weekly", outlook::olRecursWeekly},
        {"monthly", outlook::olRecursMonthly}, {"monthnth", outlook::olRecursMonthNth},
        {"yearly", outlook::olRecursYearly},   {"yearnth", outlook::olRecursYearNth}};
    ComPtr<outlook::RecurrencePattern> pattern;
    HRESULT hr = item->GetRecurrencePattern(&pattern);
    if (FAILED(hr)) {
        session_->Report("cannot repeat this appointment", hr);
        return false;
    }
    auto fail = [&](const std::string& what) {
        output_->Error(what);
        return false;
    };
    std::int32_t number = 0;
    // The order a rule parser puts them in: instance first, then the type, then the rest.
    if (line_->Has("instance")) {
        if (!ParseNumber(line_->Value("instance"), 1, 5, &number) || FAILED(pattern->put_Instance(number))) {
            return fail("--instance must be 1 to 5 (5: the last)");
        }
    }
    if (line_->Has("repeat")) {
        bool known = false;
        for (const auto& [name, type] : types) {
            if (name == repeat) {
                known = SUCCEEDED(pattern->put_RecurrenceType(type));
            }
        }
        if (!known) {
            return fail("--repeat must be daily, weekly, monthly, monthnth, yearly, yearnth or none");
        }
    }
    if (line_->Has("interval") &&
        (!ParseNumber(line_->Value("interval"), 1, 999, &number) || FAILED(pattern->put_Interval(number)))) {
        return fail("--interval must be 1 to 999");
    }
    if (line_->Has("day-of-month") && (!ParseNumber(line_->Value("day-of-month"), 1, 31, &number) ||
                                       FAILED(pattern->put_DayOfMonth(number)))) {
        return fail("--day-of-month must be 1 to 31");
    }
    if (line_->Has("days")) {
        static constexpr const char* kCodes[] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};
        std::int32_t mask = 0;
        std::string days = line_->Value("days") + ",";
        for (std::size_t start = 0, comma = 0; (comma = days.find(',', start)) != std::string::npos;
             start = comma + 1) {
            std::string code(platform::TrimWhitespace(std::string_view(days).substr(start, comma - start)));
            bool known = false;
            for (int i = 0; i < 7; ++i) {
                if (platform::EqualsIgnoreAsciiCase(code, kCodes[i])) {
                    mask |= 1 << i;
                    known = true;
                }
            }
            if (!known) {
                return fail("--days takes SU,MO,TU,WE,TH,FR,SA");
            }
        }
        if (FAILED(pattern->put_DayOfWeekMask(mask))) {
            return fail("--days takes SU,MO,TU,WE,TH,FR,SA");
        }
    }
    if (line_->Has("month") &&
        (!ParseNumber(line_->Value("month"), 1, 12, &number) || FAILED(pattern->put_MonthOfYear(number)))) {
        return fail("--month must be 1 to 12");
    }
    if (line_->Has("count") &&
        (!ParseNumber(line_->Value("count"), 1, 999, &number) || FAILED(pattern->put_Occurrences(number)))) {
        return fail("--count must be 1 to 999");
    }
    if (line_->Has("until")) {
        const platform::DateTime until = ParseUserDate(line_->Value("until"));
        if (!until.IsValid() || FAILED(pattern->put_PatternEndDate(until))) {
            return fail("--until needs a date");
        }
    }
    return true;
}

bool CalendarCommand::Apply(outlook::AppointmentItem* item, bool is_occurrence) {
    auto fail = [&](const std::string& what) {
        output_->Error(what);
        return false;
    };
    if (line_->Has("subject") && FAILED(item->put_Subject(line_->Value("subject")))) {
        return fail("cannot set the subject");
    }
    if (line_->Has("location") && FAILED(item->put_Location(line_->Value("location")))) {
        return fail("cannot set the location");
    }
    if (line_->Has("body") && FAILED(item->put_Body(line_->Value("body")))) {
        return fail("cannot set the body");
    }
    if (line_->Has("categories") &&
        FAILED(item->put_Categories(CategoriesText(line_->Value("categories"))))) {
        return fail("cannot set the categories");
    }
    if (line_->Has("time-zone")) {
        // Outlook's zones are Windows IDs; people on Linux know the IANA names.
        const std::string windows_id = platform::WindowsIdFromIana(line_->Value("time-zone"));
        ComPtr<outlook::TimeZones> zones;
        ComPtr<outlook::TimeZone> zone;
        ComPtr<outlook::Application> app;
        if (FAILED(item->get_Application(&app)) || FAILED(app->get_TimeZones(&zones)) ||
            FAILED(zones->Item(windows_id.empty() ? line_->Value("time-zone") : windows_id, &zone)) ||
            FAILED(item->put_StartTimeZone(zone.get())) || FAILED(item->put_EndTimeZone(zone.get()))) {
            return fail("unknown time zone " + line_->Value("time-zone") +
                        " (an IANA name such as Europe/Berlin, or a Windows zone ID)");
        }
    }
    if (line_->Has("start")) {
        const platform::DateTime start = ParseUserDate(line_->Value("start"));
        HRESULT hr = E_INVALIDARG;
        if (start.IsValid()) {
            hr = line_->Has("time-zone") ? item->put_StartInStartTimeZone(start) : item->put_Start(start);
        }
        if (FAILED(hr)) {
            return fail("--start needs a date");
        }
    }
    if (line_->Has("end")) {
        const platform::DateTime end = ParseUserDate(line_->Value("end"));
        HRESULT hr = E_INVALIDARG;
        if (end.IsValid()) {
            hr = line_->Has("time-zone") ? item->put_EndInEndTimeZone(end) : item->put_End(end);
        }
        if (FAILED(hr)) {
            return fail("--end needs a date");
        }
    }
    std::int32_t number = 0;
    if (line_->Has("duration") && (!ParseNumber(line_->Value("duration"), 0, 999 * 1440, &number) ||
                                   FAILED(item->put_Duration(number)))) {
        return fail("--duration must be minutes");
    }
    if (line_->Has("all-day")) {
        platform::DateTime start;
        platform::DateParts parts;
        // An all-day appointment runs from midnight to midnight.
        if (FAILED(item->get_Start(&start)) || !start.ToParts(&parts) ||
            FAILED(item->put_AllDayEvent(true)) ||
            FAILED(item->put_Start(platform::DateTime::FromParts(parts.year, parts.month, parts.day))) ||
            (!line_->Has("end") && FAILED(item->put_Duration(1440)))) {
            return fail("cannot make it an all-day appointment");
        }
    }
    if (line_->Has("busy")) {
        const std::string busy = platform::AsciiLower(line_->Value("busy"));
        const std::vector<std::pair<std::string, outlook::OlBusyStatus>> names = {
            {"free", outlook::olFree},
            {"tentative", outlook::olTentative},
            {"busy", outlook::olBusy},
            {"oof", outlook::olOutOfOffice}};
        bool known = false;
        for (const auto& [name, status] : names) {
            if (name == busy) {
                known = SUCCEEDED(item->put_BusyStatus(status));
            }
        }
        if (!known) {
            return fail("--busy must be free, tentative, busy or oof");
        }
    }
    if (line_->Has("reminder")) {
        if (line_->Value("reminder") == "none") {
            (void)item->put_ReminderSet(false);
        } else if (ParseNumber(line_->Value("reminder"), 0, 999 * 1440, &number)) {
            (void)item->put_ReminderSet(true);
            (void)item->put_ReminderMinutesBeforeStart(number);
        } else {
            return fail("--reminder must be minutes or none");
        }
    }
    if (line_->Has("attendees")) {
        ComPtr<outlook::Recipients> recipients;
        if (FAILED(item->get_Recipients(&recipients))) {
            return fail("cannot change the attendees");
        }
        std::int32_t count = 0;
        (void)recipients->get_Count(&count);
        for (; count > 0; --count) {
            (void)recipients->Remove(count);
        }
        std::string list = line_->Value("attendees") + ",";
        for (std::size_t start = 0, comma = 0; (comma = list.find(',', start)) != std::string::npos;
             start = comma + 1) {
            std::string address(
                platform::TrimWhitespace(std::string_view(list).substr(start, comma - start)));
            ComPtr<outlook::Recipient> recipient;
            if (!address.empty() && FAILED(recipients->Add(address, &recipient))) {
                return fail("cannot add attendee " + address);
            }
        }
        bool all = false;
        (void)recipients->ResolveAll(&all);
        if (!all) {
            output_->Error("warning: some attendees did not resolve");
        }
        (void)recipients->get_Count(&count);
        (void)item->put_MeetingStatus(count > 0 ? outlook::olMeeting : outlook::olNonMeeting);
    }
    const bool repeats = line_->Has("repeat") || line_->Has("interval") || line_->Has("days") ||
                         line_->Has("day-of-month") || line_->Has("month") || line_->Has("instance") ||
                         line_->Has("count") || line_->Has("until");
    if (repeats) {
        if (is_occurrence) {
            return fail("an occurrence cannot have its own repetition; edit the series");
        }
        return ApplyRepeat(item);
    }
    return true;
}

int CalendarCommand::Add() {
    if (!line_->Has("start")) {
        output_->Error("add needs --start");
        return kExitUsage;
    }
    ComPtr<outlook::AppointmentItem> appointment;
    const int code = NewItem(session_, "Calendar", line_->Value("folder", "Calendar"),
                             outlook::olAppointmentItem, "an appointment", &appointment);
    if (code != kExitOk) {
        return code;
    }
    // An hour unless told otherwise.
    (void)appointment->put_Duration(60);
    if (!Apply(appointment.get(), false)) {
        return kExitUsage;
    }
    HRESULT hr = appointment->Save();
    if (FAILED(hr)) {
        return session_->Report("cannot save the appointment", hr);
    }
    std::string entry_id;
    if (FAILED(appointment->get_EntryID(&entry_id)) || !session_->ItemById(entry_id)) {
        output_->Error("the appointment was removed again (the folder is read-only)");
        return kExitFailed;
    }
    output_->Record(
        {{"entry_id", entry_id}, {"subject", Get(appointment.get(), &outlook::AppointmentItem::get_Subject)}},
        true);
    return kExitOk;
}

int CalendarCommand::Edit() {
    if (line_->Positional().empty()) {
        output_->Error("edit needs an ID");
        return kExitUsage;
    }
    auto series = Appointment(line_->Positional()[0]);
    auto target = Target(series);
    if (!target) {
        return kExitFailed;
    }
    if (!Apply(target.get(), line_->Has("occurrence"))) {
        return kExitUsage;
    }
    HRESULT hr = target->Save();
    if (FAILED(hr)) {
        return session_->Report("cannot save the appointment", hr);
    }
    output_->Message("saved");
    return kExitOk;
}

int CalendarCommand::Delete() {
    if (line_->Positional().empty()) {
        output_->Error("delete needs an ID");
        return kExitUsage;
    }
    auto target = Target(Appointment(line_->Positional()[0]));
    if (!target) {
        return kExitFailed;
    }
    HRESULT hr = target->Delete();
    if (FAILED(hr)) {
        return session_->Report("cannot delete the appointment", hr);
    }
    output_->Message("deleted");
    return kExitOk;
}

// The ID must name an appointment; the move itself is any item's.
int CalendarCommand::Move() {
    if (!line_->Positional().empty() && line_->Has("to") && !Appointment(line_->Positional()[0])) {
        return kExitFailed;
    }
    return MoveItem(session_, output_, "Calendar", *line_);
}

}  // namespace

int RunCalendarCommand(const std::vector<std::string>& args) {
    // Each action on a command object of its own.
    const auto action = [](const std::function<int(CalendarCommand&)>& run) {
        return [run](UserSession* session, CommandOutput* output, const CommandLine& line) {
            CalendarCommand command(session, output, &line);
            return run(command);
        };
    };
    const ItemCommand calendar{"calendar",
                               "Calendar",
                               kHelp,
                               kFlags,
                               kValued,
                               {{"list", action([](CalendarCommand& c) { return c.List(); })},
                                {"show", action([](CalendarCommand& c) { return c.Show(); })},
                                {"add", action([](CalendarCommand& c) { return c.Add(); })},
                                {"edit", action([](CalendarCommand& c) { return c.Edit(); })},
                                {"delete", action([](CalendarCommand& c) { return c.Delete(); })},
                                {"move", action([](CalendarCommand& c) { return c.Move(); })}}};
    return RunItemCommand(calendar, args);
}
