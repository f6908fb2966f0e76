// The writer's exact text for representative appointments (golden files in tests/data/ical), and the
// rules behind single lines.
#include <gtest/gtest.h>

#include <regex>

#include "fake_outlook.h"
#include "ical/cal_dav_event_repeat.h"
#include "ical/outlook_event.h"
#include "ical/outlook_event_repeat.h"
#include "settings/module_info.h"
#include "test_appointments.h"

namespace {

using platform::DateTime;

// DTSTAMP is the time of writing; it is checked for its form and then masked.
std::string MaskStamp(const std::string& text) {
    return std::regex_replace(text, std::regex("DTSTAMP:[0-9]{8}T[0-9]{6}Z\r\n"), "DTSTAMP:<now>\r\n");
}

// The golden files name the module's version "<version>".
std::string Golden(const std::string& name) {
    const std::string text =
        testing_support::ReadFileOrEmpty(std::string(VELSYNC_ICAL_DATA) + "/" + name + ".ics");
    return std::regex_replace(text, std::regex("<version>"), ModuleVersion());
}

std::string VeventOf(const outlook::ComPtr<fake::Appointment>& item, const std::string& uid = "",
                     const std::string& owner = testdata::kOwner) {
    const auto event = COutlookEvent::CreateFromOutlookObject(item.get());
    return event ? MaskStamp(event->ToICal(false, uid, owner)) : std::string();
}

class IcalWriter : public ::testing::Test {
  protected:
    void SetUp() override { testdata::UseBerlinTime(); }
};

TEST_F(IcalWriter, MatchesTheGoldenTextOfEveryTestAppointment) {
    for (const auto& [name, appointment] : testdata::AllAppointments()) {
        SCOPED_TRACE(name);
        const std::string golden = Golden(name);
        ASSERT_FALSE(golden.empty()) << "missing " << name << ".ics";
        EXPECT_EQ(MaskStamp(testdata::WriteICal(appointment)), golden);
    }
}

TEST_F(IcalWriter, EveryLineEndsWithCrLfAndStampIsNow) {
    const std::string text = testdata::WriteICal(testdata::Timed());
    EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);
    EXPECT_EQ(std::regex_replace(text, std::regex("\r\n"), "").find_first_of("\r\n"), std::string::npos);
    std::smatch stamp;
    ASSERT_TRUE(std::regex_search(text, stamp, std::regex("DTSTAMP:([0-9]{8}T[0-9]{6})Z")));
    const std::string now = DateTime::NowUtc().Format("%Y%m%dT%H%M%S");
    EXPECT_LE(stamp[1].str(), now);
    EXPECT_GE(stamp[1].str(), DateTime::NowUtc().AddSeconds(-120).Format("%Y%m%dT%H%M%S"));
}

TEST_F(IcalWriter, ClassPriorityAndBusyStatusTables) {
    auto item = testdata::Timed();
    struct Row {
        outlook::OlSensitivity sensitivity;
        outlook::OlImportance importance;
        outlook::OlBusyStatus busy;
        const char* lines[3];
    };
    const Row rows[] = {
        {outlook::olNormal,
         outlook::olImportanceLow,
         outlook::olFree,
         {"CLASS:PUBLIC", "PRIORITY:9", "TRANSP:TRANSPARENT\r\nX-MICROSOFT-CDO-BUSYSTATUS:FREE"}},
        {outlook::olPersonal,
         outlook::olImportanceNormal,
         outlook::olTentative,
         {"CLASS:X-PERSONAL", "PRIORITY:5", "TRANSP:OPAQUE\r\nX-MICROSOFT-CDO-BUSYSTATUS:TENTATIVE"}},
        {outlook::olConfidential,
         outlook::olImportanceHigh,
         outlook::olOutOfOffice,
         {"CLASS:CONFIDENTIAL", "PRIORITY:1", "TRANSP:OPAQUE\r\nX-MICROSOFT-CDO-BUSYSTATUS:OOF"}},
    };
    for (const Row& row : rows) {
        item->sensitivity = row.sensitivity;
        item->importance = row.importance;
        item->busy = row.busy;
        const std::string text = VeventOf(item);
        for (const char* line : row.lines) {
            SCOPED_TRACE(line);
            EXPECT_NE(text.find(std::string(line) + "\r\n"), std::string::npos);
        }
    }
    item->sensitivity = static_cast<outlook::OlSensitivity>(7);
    item->importance = static_cast<outlook::OlImportance>(7);
    item->busy = static_cast<outlook::OlBusyStatus>(7);
    const std::string text = VeventOf(item);
    EXPECT_EQ(text.find("CLASS:"), std::string::npos);
    EXPECT_EQ(text.find("PRIORITY:"), std::string::npos);
    EXPECT_EQ(text.find("TRANSP:"), std::string::npos);
}

TEST_F(IcalWriter, FailedReadsOnlySuppressTheirLines) {
    auto item = testdata::Timed();
    item->failing = {
        "Subject",    "Body",       "Location",    "Sensitivity", "CreationTime", "LastModificationTime",
        "Importance", "BusyStatus", "ReminderSet", "StartUTC",    "EndUTC"};
    item->global_id.clear();
    testdata::CapturedLog log;
    const std::string text = VeventOf(item);
    EXPECT_EQ(text, "BEGIN:VEVENT\r\nDTSTAMP:<now>\r\nSEQUENCE:0\r\nEND:VEVENT\r\n");
    EXPECT_NE(log.Text().find("CCalDavEvent::ToICal: Unable to get appointment ID. HRESULT: 0."),
              std::string::npos);
}

TEST_F(IcalWriter, UidArgumentReplacesTheAppointmentsOwn) {
    auto item = testdata::Timed();
    EXPECT_NE(VeventOf(item, "server-uid-1").find("\r\nUID:server-uid-1\r\n"), std::string::npos);
    item->failing = {"GlobalAppointmentID"};
    EXPECT_EQ(VeventOf(item, "server-uid-1").find("UID:"), std::string::npos);
}

TEST_F(IcalWriter, ReminderAndNonMeeting) {
    auto item = testdata::Timed();
    item->reminder_minutes = 45;
    const std::string text = VeventOf(item);
    EXPECT_NE(
        text.find(
            "BEGIN:VALARM\r\nTRIGGER:-PT45M\r\nACTION:DISPLAY\r\nDESCRIPTION:Reminder\r\nEND:VALARM\r\n"),
        std::string::npos);
    EXPECT_EQ(text.find("ORGANIZER"), std::string::npos);
    EXPECT_EQ(text.find("ATTENDEE"), std::string::npos);
}

TEST_F(IcalWriter, MeetingResponseParameters) {
    const DateTime at = DateTime::FromParts(2024, 1, 5, 11, 0, 0);
    EXPECT_EQ(COutlookEvent::MeetingResponseStatusToString(2, at),
              ";PARTSTAT=TENTATIVE;RESPONDED-AT=20240105T110000Z");
    EXPECT_EQ(COutlookEvent::MeetingResponseStatusToString(3, DateTime::Invalid()), ";PARTSTAT=ACCEPTED");
    EXPECT_EQ(COutlookEvent::MeetingResponseStatusToString(4, at),
              ";PARTSTAT=DECLINED;RESPONDED-AT=20240105T110000Z");
    EXPECT_EQ(COutlookEvent::MeetingResponseStatusToString(5, at), ";PARTSTAT=NEEDS-ACTION;RSVP=TRUE");
    EXPECT_EQ(COutlookEvent::MeetingResponseStatusToString(0, at), "");
    EXPECT_EQ(COutlookEvent::MeetingResponseStatusToString(1, at), "");
}

TEST_F(IcalWriter, RecipientsWithoutAddressOrWithControlCharactersAreSkipped) {
    auto item = testdata::OrganizerMeeting();
    item->recipients[1]->address.clear();
    item->recipients[1]->name.clear();
    item->recipients[2]->address = "evil@example.com\r\nATTENDEE:mailto:forged@example.com";
    const std::string text = VeventOf(item);
    EXPECT_EQ(text.find("anna@example.com"), std::string::npos);
    EXPECT_EQ(text.find("forged"), std::string::npos);
    EXPECT_NE(text.find("ORGANIZER:MAILTO:me@example.com\r\n"), std::string::npos);
}

TEST_F(IcalWriter, AllDayChangedOccurrenceIsNamedByItsLocalDate) {
    auto item = testdata::AllDayYearly();
    auto moved = fake::Make<fake::Appointment>();
    moved->subject = "Birthday party";
    moved->all_day = true;
    moved->state = outlook::olApptException;
    moved->start = DateTime::FromParts(2025, 6, 2);
    moved->end = DateTime::FromParts(2025, 6, 3);
    item->pattern->exceptions.push_back({DateTime::FromParts(2025, 6, 1), false, moved});
    const std::string text = VeventOf(item);
    // Local midnight of 2025-06-01 is 22:00 UTC the day before; the date must stay the 1st.
    EXPECT_NE(text.find("RECURRENCE-ID;VALUE=DATE:20250601\r\n"), std::string::npos);
    EXPECT_NE(text.find("DTSTART;VALUE=DATE:20250602\r\n"), std::string::npos);
}

TEST_F(IcalWriter, NotAnAppointmentGivesNoEvent) {
    testdata::CapturedLog log;
    EXPECT_EQ(COutlookEvent::CreateFromOutlookObject(nullptr), nullptr);
    auto zone = fake::Make<fake::TimeZone>("UTC", 0);
    EXPECT_EQ(COutlookEvent::CreateFromOutlookObject(zone.get()), nullptr);
    EXPECT_NE(log.Text().find("CCalDavEvent::CreateFromOutlookObject: spAppointmentItem is NULL."),
              std::string::npos);
}

TEST_F(IcalWriter, RecurrenceOfSomethingElseIsNone) {
    testdata::CapturedLog log;
    EXPECT_EQ(CCalDavEventRepeat::CreateFromOutlookObject(nullptr), nullptr);
    auto item = testdata::Timed();
    EXPECT_EQ(CCalDavEventRepeat::CreateFromOutlookObject(item.get()), nullptr);
    EXPECT_NE(log.Text().find("CCalDavEventRepeat::CreateFromOutlookObject: spRecPattern is NULL."),
              std::string::npos);
    // A changed occurrence without its original date has no RECURRENCE-ID.
    item->state = outlook::olApptException;
    EXPECT_EQ(VeventOf(item).find("RECURRENCE-ID"), std::string::npos);
}

TEST_F(IcalWriter, SeriesKeepsChangedOccurrencesWithUtcOriginalDates) {
    const auto event = COutlookEvent::CreateFromOutlookObject(testdata::Recurring().get());
    ASSERT_NE(event, nullptr);
    ASSERT_NE(event->Recurrence(), nullptr);
    ASSERT_EQ(event->Recurrence()->ChangedOccurrences().size(), 1u);
    EXPECT_EQ(event->Recurrence()->ChangedOccurrences()[0]->OccurrenceDate().Format("%Y%m%dT%H%M%S"),
              "20240124T080000");
    EXPECT_EQ(COutlookEvent::CreateFromOutlookObject(testdata::Timed().get())->Recurrence(), nullptr);
}

}  // namespace
