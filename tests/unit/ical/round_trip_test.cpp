// Appointment -> ToICal -> ParseICal -> InitOutlookEvent into a fresh appointment of the store gives the
// same appointment back, and writes the same text again.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

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

// The addresses of "Recipients", sorted; the organizer's own copy does not list the organizer.
std::string Addresses(const std::string& recipients, const std::string& organizer) {
    std::vector<std::string> list;
    const std::regex entry("([^ /]+)/[^ ]*");
    for (auto it = std::sregex_iterator(recipients.begin(), recipients.end(), entry);
         it != std::sregex_iterator(); ++it) {
        if ((*it)[1] != organizer)
            list.push_back((*it)[1]);
    }
    std::sort(list.begin(), list.end());
    std::string text;
    for (const std::string& address : list)
        text += address + " ";
    return text;
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
        want["Recipients"] = Addresses(want["Recipients"], organizer);
        got["Recipients"] = Addresses(got["Recipients"], organizer);
        for (const char* key :
             {"Subject", "Body", "Location", "Start", "End", "AllDay", "Importance", "BusyStatus", "Reminder",
              "MeetingStatus", "ResponseStatus", "RecurrenceState", "Pattern", "Exceptions", "Recipients"}) {
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

// Rules the store accepts come back unchanged, last-of-month and leap day included. Outlook's fifth
// instance is the last: BYSETPOS=5 would skip months with four Fridays.
TEST_F(RoundTrip, RulesTheStoreAcceptsAreWrittenBackUnchanged) {
    for (const char* rule :
         {"FREQ=MONTHLY;INTERVAL=1;BYDAY=FR;BYSETPOS=-1", "FREQ=MONTHLY;INTERVAL=3;BYDAY=TU;BYSETPOS=2",
          "FREQ=YEARLY;INTERVAL=1;BYDAY=SU;BYMONTH=10;BYSETPOS=-1",
          "FREQ=YEARLY;INTERVAL=2;BYMONTHDAY=29;BYMONTH=2;COUNT=4", "FREQ=DAILY;INTERVAL=3;COUNT=10"}) {
        SCOPED_TRACE(rule);
        const auto copy = calendar_.New();
        testdata::ReadICal(std::string("BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:r\r\nSUMMARY:Rule\r\n"
                                       "DTSTART:20240229T080000Z\r\nDTEND:20240229T090000Z\r\nRRULE:") +
                               rule + "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n",
                           copy.get());
        const std::string text = testdata::WriteICal(copy.get());
        EXPECT_NE(text.find(std::string("RRULE:") + rule + "\r\n"), std::string::npos) << text;
    }
}

}  // namespace
