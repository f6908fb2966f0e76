// Server texts read into appointments of the host's store by CCalDavEvent::InitOutlookEvent, case by
// case from tests/data/ical/reader-rows.txt.
#include <gtest/gtest.h>

#include <fstream>

#include "outlook/namespace.h"
#include "support/escaped_text.h"
#include "test_appointments.h"

namespace {

struct ReaderCase {
    std::string name;
    std::vector<std::string> before;  // lines of an event read first
    std::vector<std::string> lines;
    std::map<std::string, std::string> after;
};

std::string TextOf(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    if (!lines.empty() && lines[0] == "BEGIN:VCALENDAR")
        return text;
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:x\r\n" + text +
           "END:VEVENT\r\nEND:VCALENDAR\r\n";
}

std::vector<ReaderCase> LoadCases(const std::string& path) {
    std::ifstream file(path);
    EXPECT_TRUE(file) << path;
    std::vector<ReaderCase> cases;
    bool open = false;
    for (std::string line; std::getline(file, line);) {
        if (line.empty()) {
            open = false;
            continue;
        }
        // "# name" opens a case; "##" lines are the file's own comments.
        if (line[0] == '#') {
            if (line.rfind("# ", 0) == 0) {
                cases.push_back(ReaderCase{line.substr(2), {}, {}, {}});
                open = true;
            }
            continue;
        }
        if (!open) {
            ADD_FAILURE() << "a line outside a case: " << line;
            continue;
        }
        ReaderCase& row = cases.back();
        const std::size_t equals = line.find('=');
        if (line.rfind("> ", 0) == 0 && equals != std::string::npos)
            row.after[line.substr(2, equals - 2)] = testing_support::Unescaped(line.substr(equals + 1));
        else if (line.rfind("< ", 0) == 0)
            row.before.push_back(line.substr(2));
        else if (line[0] == '\t' && !row.lines.empty())
            row.lines.back() += "\r\n" + line;
        else
            row.lines.push_back(line);
    }
    return cases;
}

// The item as the store holds it, read back through another object: nothing the reader set may wait
// for a later Save.
testdata::Appointment StoredCopy(testdata::Calendar& calendar, outlook::AppointmentItem* item) {
    std::string entry_id;
    outlook::ComPtr<outlook::NameSpace> session;
    outlook::ComPtr<outlook::IDispatch> stored;
    testdata::Appointment copy;
    EXPECT_EQ(item->get_EntryID(&entry_id), S_OK);
    EXPECT_EQ(calendar.app()->get_Session(&session), S_OK);
    EXPECT_EQ(session->GetItemFromID(entry_id, &stored), S_OK);
    EXPECT_EQ(stored.As(&copy), S_OK);
    return copy;
}

TEST(IcalReader, EveryCaseOfTheRowsFile) {
    testdata::Calendar calendar;
    ASSERT_EQ(calendar.error(), "");
    const auto cases = LoadCases(VELSYNC_ICAL_DATA "/reader-rows.txt");
    EXPECT_GE(cases.size(), 34u);
    for (const ReaderCase& row : cases) {
        SCOPED_TRACE(row.name);
        ASSERT_FALSE(row.lines.empty());
        ASSERT_FALSE(row.after.empty());
        const auto item = calendar.New();
        if (!row.before.empty())
            testdata::ReadICal(TextOf(row.before), item.get());
        testdata::ReadICal(TextOf(row.lines), item.get());
        const auto fields = testdata::Fields(StoredCopy(calendar, item.get()).get());
        for (const auto& [key, value] : row.after) {
            ASSERT_TRUE(fields.contains(key)) << "no field " << key;
            EXPECT_EQ(fields.at(key), value) << key;
        }
    }
}

}  // namespace
