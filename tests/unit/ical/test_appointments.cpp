#include "test_appointments.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "ical/outlook_event.h"
#include "settings/log.h"

namespace testdata {
namespace {

using platform::DateTime;

std::shared_ptr<fake::RecipientData> Person(const std::string& address, outlook::OlResponseStatus response) {
    auto data = std::make_shared<fake::RecipientData>();
    data->name = address;
    data->address = address;
    data->entry_id = "EID:" + address;
    data->response = response;
    return data;
}

std::string Iso(const DateTime& value, bool date_only) {
    return date_only ? value.Format("%Y-%m-%d") : value.Format("%Y-%m-%dT%H:%M:%SZ");
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string EventJson(const fake::Appointment& item, const DateTime& recurrence_id_local) {
    std::string json =
        "{\"dtstart\":" + Quoted(Iso(item.all_day ? item.start : item.start.LocalToUtc(), item.all_day));
    json += ",\"dtend\":" + Quoted(Iso(item.all_day ? item.end : item.end.LocalToUtc(), item.all_day));
    if (recurrence_id_local.IsValid()) {
        json +=
            ",\"recurrence_id\":" +
            Quoted(Iso(item.all_day ? recurrence_id_local : recurrence_id_local.LocalToUtc(), item.all_day));
    }
    if (item.pattern) {
        json += ",\"exdate\":[";
        bool first = true;
        for (const fake::ExceptionData& exception : item.pattern->exceptions) {
            if (!exception.deleted)
                continue;
            json += (first ? "" : ",") +
                    Quoted(Iso(item.all_day ? exception.original_date : exception.original_date.LocalToUtc(),
                               item.all_day));
            first = false;
        }
        json += "]";
        if (!item.pattern->no_end && item.pattern->pattern_end.IsValid()) {
            platform::DateParts end;
            platform::DateParts time;
            (void)item.pattern->pattern_end.ToParts(&end);
            (void)item.pattern->start_time.ToParts(&time);
            const DateTime last =
                DateTime::FromParts(end.year, end.month, end.day, time.hour, time.minute, time.second);
            json += ",\"until\":" +
                    Quoted(Iso(item.all_day ? item.pattern->pattern_end : last.LocalToUtc(), item.all_day));
        }
    }
    return json + "}";
}

}  // namespace

CapturedLog::CapturedLog() {
    std::filesystem::create_directories(m_home.app_data() + "/Velmarquin");
    SetLogEnabled(true);
}

CapturedLog::~CapturedLog() {
    SetLogEnabled(false);
}

std::string CapturedLog::Text() const {
    return testing_support::ReadFileOrEmpty(m_home.app_data() + "/Velmarquin/HarrowgateAddin/Logs/addin.log");
}

void UseBerlinTime() {
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
}

fake::ComPtr<fake::Appointment> Timed() {
    auto item = fake::Make<fake::Appointment>();
    item->subject = "Team meeting";
    item->location = "Room 1";
    item->body = "Agenda";
    item->sensitivity = outlook::olPrivate;
    item->importance = outlook::olImportanceHigh;
    item->reminder_set = true;
    item->reminder_minutes = 15;
    return item;
}

fake::ComPtr<fake::Appointment> AllDay() {
    auto item = fake::Make<fake::Appointment>();
    item->subject = "Holiday";
    item->all_day = true;
    item->start = DateTime::FromParts(2024, 3, 5);
    item->end = DateTime::FromParts(2024, 3, 6);
    item->busy = outlook::olFree;
    item->importance = outlook::olImportanceLow;
    item->sensitivity = outlook::olPersonal;
    return item;
}

fake::ComPtr<fake::Appointment> Recurring() {
    auto item = fake::Make<fake::Appointment>();
    item->subject = "Standup";
    item->start = DateTime::FromParts(2024, 1, 8, 9, 0, 0);
    item->end = DateTime::FromParts(2024, 1, 8, 9, 30, 0);
    item->state = outlook::olApptMaster;
    item->busy = outlook::olTentative;
    item->pattern = fake::Make<fake::Pattern>(item.get());
    fake::Pattern& pattern = *item->pattern;
    pattern.type = outlook::olRecursWeekly;
    pattern.interval = 2;
    pattern.day_of_week_mask = outlook::olMonday | outlook::olWednesday;
    pattern.no_end = false;
    pattern.pattern_start = DateTime::FromParts(2024, 1, 8);
    pattern.pattern_end = DateTime::FromParts(2024, 3, 27);
    pattern.start_time = item->start;
    pattern.end_time = item->end;
    pattern.duration = 30;
    pattern.exceptions.push_back({DateTime::FromParts(2024, 1, 10, 9, 0, 0), true, nullptr});
    pattern.exceptions.push_back({DateTime::FromParts(2024, 1, 22, 9, 0, 0), true, nullptr});
    auto moved = fake::Make<fake::Appointment>();
    moved->subject = "Standup (moved)";
    moved->state = outlook::olApptException;
    moved->busy = outlook::olTentative;
    moved->start = DateTime::FromParts(2024, 1, 24, 11, 0, 0);
    moved->end = DateTime::FromParts(2024, 1, 24, 11, 30, 0);
    moved->original_date = DateTime::FromParts(2024, 1, 24, 9, 0, 0);
    moved->parent = item->pattern.get();
    pattern.exceptions.push_back({moved->original_date, false, moved});
    return item;
}

fake::ComPtr<fake::Appointment> AllDayYearly() {
    auto item = AllDay();
    item->subject = "Birthday";
    item->start = DateTime::FromParts(2024, 6, 1);
    item->end = DateTime::FromParts(2024, 6, 2);
    item->state = outlook::olApptMaster;
    item->pattern = fake::Make<fake::Pattern>(item.get());
    fake::Pattern& pattern = *item->pattern;
    pattern.type = outlook::olRecursYearly;
    pattern.interval = 12;
    pattern.day_of_month = 1;
    pattern.month_of_year = 6;
    pattern.no_end = false;
    pattern.pattern_start = item->start;
    pattern.pattern_end = DateTime::FromParts(2030, 6, 1);
    pattern.start_time = item->start;
    pattern.end_time = item->end;
    pattern.duration = 1440;
    pattern.exceptions.push_back({DateTime::FromParts(2026, 6, 1), true, nullptr});
    return item;
}

fake::ComPtr<fake::Appointment> OrganizerMeeting() {
    auto item = Timed();
    item->subject = "Planning";
    item->meeting = outlook::olMeeting;
    item->response = outlook::olResponseOrganized;
    item->mapi[outlook::PR_SENDER_EMAIL_ADDRESS_W] = outlook::Variant(std::string(kOwner));
    item->recipients = {Person(kOwner, outlook::olResponseNone),
                        Person("anna@example.com", outlook::olResponseAccepted),
                        Person("bert@example.com", outlook::olResponseNone)};
    return item;
}

fake::ComPtr<fake::Appointment> AttendeeMeeting() {
    auto item = Timed();
    item->subject = "Review";
    item->meeting = outlook::olMeeting;
    item->response = outlook::olResponseAccepted;
    item->reply_time = DateTime::FromParts(2024, 1, 5, 12, 0, 0);
    item->mapi[outlook::PR_SENDER_EMAIL_ADDRESS_W] = outlook::Variant(std::string("boss@example.com"));
    item->recipients = {Person("boss@example.com", outlook::olResponseNone),
                        Person(kOwner, outlook::olResponseNone),
                        Person("carl@example.com", outlook::olResponseNone)};
    return item;
}

fake::ComPtr<fake::Appointment> LongTexts() {
    auto item = Timed();
    // 80 characters: the fold falls after 67 of them.
    item->subject = "Quarterly business review with the regional sales teams and the product owners";
    item->body = "Bring: slides, numbers; notes\\drafts\r\nSecond line\nThird line";
    // The fold would fall inside the emoji's surrogate pair.
    item->location = std::string(65, 'x') + "\xF0\x9F\x98\x80" + " end";
    item->reminder_set = false;
    return item;
}

std::vector<NamedAppointment> AllAppointments() {
    return {{"timed", Timed()},
            {"all_day", AllDay()},
            {"recurring", Recurring()},
            {"all_day_yearly", AllDayYearly()},
            {"organizer_meeting", OrganizerMeeting()},
            {"attendee_meeting", AttendeeMeeting()},
            {"long_texts", LongTexts()}};
}

std::string WriteICal(const outlook::ComPtr<fake::Appointment>& appointment) {
    const auto event = COutlookEvent::CreateFromOutlookObject(appointment.get());
    return event ? event->ToICal(true, "", kOwner) : std::string();
}

std::string ExpectedTimesJson(const outlook::ComPtr<fake::Appointment>& appointment) {
    std::string json = "{\"events\":[" + EventJson(*appointment, DateTime::Invalid());
    if (appointment->pattern) {
        for (const fake::ExceptionData& exception : appointment->pattern->exceptions) {
            if (!exception.deleted && exception.item)
                json += "," + EventJson(*exception.item, exception.original_date);
        }
    }
    return json + "]}";
}

}  // namespace testdata
