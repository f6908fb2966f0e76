// Appointment -> ToICal -> ParseICal -> InitOutlookEvent into a fresh appointment of the store gives the
// same appointment back, and writes the same text again.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "support/data_rows.h"
#include "test_appointments.h"

namespace {

// The unfolded lines in order, without those that differ between two appointments or two moments, and
// CLASS, which the reader does not read. The order of the lines is the golden files' business.
std::vector<std::string> Comparable(const std::string& ics) {
    const std::string unfolded = std::regex_replace(ics, std::regex("\r\n\t"), "");
    const std::regex skipped("(DTSTAMP|LAST-MODIFIED|CREATED|UID|CLASS):.*");
    std::vector<std::string> lines;
    for (std::size_t start = 0, end = 0; (end = unfolded.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
        if (!std::regex_match(unfolded.substr(start, end - start), skipped))
            lines.push_back(unfolded.substr(start, end - start));
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

// The sorted addresses without the organizer's: the organizer's own copy does not list the organizer.
std::string Others(const std::string& addresses, const std::string& organizer) {
    return organizer.empty() ? addresses
                             : std::regex_replace(addresses, std::regex("(^| )" + organizer + "(?= |$)"), "");
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

class RoundTrip : public ::testing::Test {
  protected:
    testdata::Calendar calendar_;
};

TEST_F(RoundTrip, EveryTestAppointmentComesBackTheSameAndWritesTheSameText) {
    for (const auto& [name, original] : testdata::AllAppointments(calendar_)) {
        SCOPED_TRACE(name);
        const std::string text = testdata::WriteICal(original.get());
        const auto copy = calendar_.New();
        testdata::ReadICal(text, copy.get());
        auto want = testdata::Fields(original.get());
        auto got = testdata::Fields(copy.get());
        // iCalendar has one newline; a lone LF comes back as CR LF.
        want["Body"] = std::regex_replace(want["Body"], std::regex("\r?\n"), "\r\n");
        const std::string organizer =
            want["ResponseStatus"] == std::to_string(outlook::olResponseOrganized) ? testdata::kOwner : "";
        want["Addresses"] = Others(want["Addresses"], organizer);
        got["Addresses"] = Others(got["Addresses"], organizer);
        for (const char* key :
             {"Subject", "Body", "Location", "Start", "End", "AllDay", "Importance", "BusyStatus", "Reminder",
              "MeetingStatus", "ResponseStatus", "RecurrenceState", "Pattern", "Exceptions", "Addresses"}) {
            EXPECT_EQ(got[key], want[key]) << key;
        }
        // The store does not make the user the sender of a meeting the user organizes, as Outlook does:
        // the organizer's own copy writes no ORGANIZER line.
        const std::string own_organizer = "ORGANIZER:MAILTO:" + organizer + "\r\n";
        const std::size_t at = organizer.empty() ? std::string::npos : text.find(own_organizer);
        EXPECT_EQ(
            Comparable(testdata::WriteICal(copy.get())),
            Comparable(at == std::string::npos ? text : std::string(text).erase(at, own_organizer.size())));
        // The next run applies the same server text to the appointment again: nothing changes.
        testdata::ReadICal(text, copy.get());
        EXPECT_EQ(testdata::Fields(copy.get())["Exceptions"], want["Exceptions"]);
    }
}

// Outlook cannot undelete an occurrence nor undo a change one by one: a server copy that brings back a
// deleted occurrence and drops a changed one still leaves Outlook with exactly the server's exceptions.
TEST_F(RoundTrip, ServerThatRestoresOccurrencesRemovesTheirExceptions) {
    const auto series = testdata::Named(calendar_, "recurring");
    const auto copy = calendar_.New();
    std::string text = testdata::WriteICal(series.get());
    testdata::ReadICal(text, copy.get());
    ASSERT_EQ(Count(text, "\r\nEXDATE"), 2u) << text;

    const std::size_t exdate = text.find("\r\nEXDATE") + 2;
    text.erase(exdate, text.find("\r\n", exdate) + 2 - exdate);
    const std::size_t changed = text.find("BEGIN:VEVENT", text.find("BEGIN:VEVENT") + 1);
    ASSERT_NE(changed, std::string::npos);
    text.erase(changed, text.find("END:VEVENT\r\n", changed) + 12 - changed);
    testdata::ReadICal(text, copy.get());

    const std::string exceptions = testdata::Fields(copy.get())["Exceptions"];
    EXPECT_TRUE(std::regex_match(exceptions, std::regex("[^ ]+=deleted"))) << exceptions;
    const std::string written = testdata::WriteICal(copy.get());
    EXPECT_EQ(Count(written, "\r\nEXDATE"), 1u) << written;
    EXPECT_EQ(Count(written, "RECURRENCE-ID"), 0u) << written;
}

TEST_F(RoundTrip, RulesTheStoreAcceptsAreWrittenBackUnchanged) {
    for (const auto& row : testing_support::ReadDataRows(VELSYNC_ICAL_DATA "/roundtrip-rrule-rows.txt", 1)) {
        SCOPED_TRACE(row[0]);
        const auto copy = calendar_.New();
        testdata::ReadICal(
            "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:r\r\nSUMMARY:Rule\r\nDTSTART:20240229T080000Z\r\n"
            "DTEND:20240229T090000Z\r\nRRULE:" +
                row[0] + "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n",
            copy.get());
        const std::string text = testdata::WriteICal(copy.get());
        EXPECT_NE(text.find("RRULE:" + row[0] + "\r\n"), std::string::npos) << text;
    }
}

}  // namespace
