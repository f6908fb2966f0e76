// The writer's exact text for representative appointments of the host's store (golden files in
// tests/data/ical), and the rules behind single lines.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "host/fault_hook.h"
#include "ical/cal_dav_event_repeat.h"
#include "ical/outlook_event.h"
#include "outlook/recipient.h"
#include "outlook/recipients.h"
#include "outlook/recurrence_pattern.h"
#include "outlook/time_zone.h"
#include "outlook/time_zones.h"
#include "settings/log.h"
#include "settings/module_info.h"
#include "support/data_rows.h"
#include "test_appointments.h"

namespace {

using platform::DateTime;

// The lines that carry the time of writing or the store's own stamps and id; their values are checked
// against the appointment on their own.
std::string Masked(const std::string& text) {
    return std::regex_replace(
        text, std::regex("(DTSTAMP|CREATED|LAST-MODIFIED|UID):[^\r]*\r\n(\t[^\r]*\r\n)*"), "$1:<x>\r\n");
}

std::string Utc(const DateTime& local) {
    return local.LocalToUtc().Format("%Y%m%dT%H%M%SZ");
}

class IcalWriter : public ::testing::Test {
  protected:
    void SetUp() override { host::ClearFaults(); }
    void TearDown() override { host::ClearFaults(); }

    std::string Vevent(const testdata::Appointment& item, const std::string& uid = "") {
        return Masked(testdata::WriteICal(item.get(), false, uid));
    }

    testdata::Calendar calendar_;
};

TEST_F(IcalWriter, MatchesTheGoldenTextOfEveryTestAppointment) {
    ASSERT_EQ(calendar_.error(), "");
    for (const auto& [name, appointment] : testdata::AllAppointments(calendar_)) {
        SCOPED_TRACE(name);
        const std::string golden = testing_support::ReadFileOrEmpty(VELSYNC_ICAL_DATA "/" + name + ".ics");
        ASSERT_FALSE(golden.empty()) << "missing " << name << ".ics";
        // The golden files name the module's version "<version>".
        EXPECT_EQ(Masked(testdata::WriteICal(appointment.get())),
                  Masked(std::regex_replace(golden, std::regex("<version>"), ModuleVersion())));
    }
}

// The golden files hold the rest of the text, line ends included.
TEST_F(IcalWriter, StampsAndIdComeFromTheAppointment) {
    const auto item = testdata::Named(calendar_, "timed");
    const std::string text = testdata::WriteICal(item.get());
    std::smatch stamp;
    ASSERT_TRUE(std::regex_search(text, stamp, std::regex("DTSTAMP:([0-9]{8}T[0-9]{6})Z")));
    EXPECT_LE(stamp[1].str(), DateTime::NowUtc().Format("%Y%m%dT%H%M%S"));
    EXPECT_GE(stamp[1].str(), DateTime::NowUtc().AddSeconds(-120).Format("%Y%m%dT%H%M%S"));
    DateTime created;
    DateTime modified;
    std::string id;
    ASSERT_EQ(item->get_CreationTime(&created), S_OK);
    ASSERT_EQ(item->get_LastModificationTime(&modified), S_OK);
    ASSERT_EQ(item->get_GlobalAppointmentID(&id), S_OK);
    EXPECT_NE(text.find("\r\nCREATED:" + Utc(created) + "\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\nLAST-MODIFIED:" + Utc(modified) + "\r\n"), std::string::npos) << text;
    ASSERT_FALSE(id.empty());
    EXPECT_NE(std::regex_replace(text, std::regex("\r\n\t"), "").find("\r\nUID:" + id + "\r\n"),
              std::string::npos)
        << text;
    // The server's UID replaces the appointment's own.
    EXPECT_NE(testdata::WriteICal(item.get(), false, "server-uid-1").find("\r\nUID:server-uid-1\r\n"),
              std::string::npos);
}

TEST_F(IcalWriter, FailedReadsOnlySuppressTheirLines) {
    const auto item = testdata::Named(calendar_, "timed");
    for (const auto& row : testing_support::ReadDataRows(VELSYNC_ICAL_DATA "/writer-failed-reads.txt", 1))
        host::SetFault(row[0], E_FAIL);
    testing_support::TempHome home;
    std::filesystem::create_directories(home.app_data() + "/Velmarquin");
    SetLogEnabled(true);
    EXPECT_EQ(Vevent(item), "BEGIN:VEVENT\r\nDTSTAMP:<x>\r\nSEQUENCE:0\r\nEND:VEVENT\r\n");
    SetLogEnabled(false);
    const std::string log =
        testing_support::ReadFileOrEmpty(home.app_data() + "/Velmarquin/HarrowgateAddin/Logs/addin.log");
    EXPECT_NE(log.find("CCalDavEvent::ToICal: Unable to get appointment ID. HRESULT: -2147467259."),
              std::string::npos)
        << log;
}

TEST_F(IcalWriter, MeetingResponseParameters) {
    const DateTime at = DateTime::FromParts(2024, 1, 5, 11, 0, 0);
    // The golden files hold the accepted answer.
    for (const auto& [status, expected] : {std::pair{1, ""},
                                           {4, ";PARTSTAT=DECLINED;RESPONDED-AT=20240105T110000Z"},
                                           {5, ";PARTSTAT=NEEDS-ACTION;RSVP=TRUE"}}) {
        EXPECT_EQ(COutlookEvent::MeetingResponseStatusToString(status, at), expected) << status;
    }
    EXPECT_EQ(COutlookEvent::MeetingResponseStatusToString(3, DateTime::Invalid()), ";PARTSTAT=ACCEPTED");
}

TEST_F(IcalWriter, RecipientsWithControlCharactersAreSkipped) {
    const auto item = testdata::Named(calendar_, "organizer_meeting");
    outlook::ComPtr<outlook::Recipients> recipients;
    outlook::ComPtr<outlook::Recipient> evil;
    ASSERT_EQ(item->get_Recipients(&recipients), S_OK);
    ASSERT_EQ(recipients->Add("evil@example.com\r\nATTENDEE:mailto:forged@example.com", &evil), S_OK);
    ASSERT_EQ(item->Save(), S_OK);
    const std::string text = Vevent(item);
    EXPECT_EQ(text.find("evil"), std::string::npos) << text;
    EXPECT_EQ(text.find("forged"), std::string::npos) << text;
    EXPECT_NE(text.find("ATTENDEE;PARTSTAT=ACCEPTED:MAILTO:anna@example.com\r\n"), std::string::npos) << text;
}

TEST_F(IcalWriter, SomethingElseGivesNoEventAndNoRecurrence) {
    outlook::ComPtr<outlook::TimeZones> zones;
    outlook::ComPtr<outlook::TimeZone> zone;
    ASSERT_EQ(calendar_.app()->get_TimeZones(&zones), S_OK);
    ASSERT_EQ(zones->get_CurrentTimeZone(&zone), S_OK);
    EXPECT_EQ(COutlookEvent::CreateFromOutlookObject(nullptr), nullptr);
    EXPECT_EQ(COutlookEvent::CreateFromOutlookObject(zone.get()), nullptr);
    EXPECT_EQ(CCalDavEventRepeat::CreateFromOutlookObject(nullptr), nullptr);
    EXPECT_EQ(CCalDavEventRepeat::CreateFromOutlookObject(testdata::Named(calendar_, "timed").get()),
              nullptr);
}

}  // namespace
