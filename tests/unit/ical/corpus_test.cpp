// Events as other calendar programs write them (tests/data/ical/corpus): each is read into the host's
// store and checked against the fields beside it (<name>.expect, times in UTC so that every process
// zone expects the same), then edited locally and written back over the original: only the properties
// the writer owns may differ, and the result reads back to the same appointment.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "ical/event_merge.h"
#include "support/temp_home.h"
#include "test_appointments.h"

namespace {

using Fields = std::map<std::string, std::string>;

Fields ReadExpect(const std::string& path) {
    Fields fields;
    const std::string text = testing_support::ReadFileOrEmpty(path);
    for (std::size_t start = 0, end = 0; start < text.size(); start = end + 1) {
        end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(start, end - start);
        const std::size_t equals = line.find('=');
        if (!line.empty() && line[0] != '#' && equals != std::string::npos)
            fields[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return fields;
}

class IcalCorpus : public ::testing::Test {
  protected:
    testdata::Calendar calendar_{false};
};

TEST_F(IcalCorpus, EventsOfOtherClientsReadRightAndKeepWhatTheWriterDoesNotOwn) {
    const std::filesystem::path folder = VELSYNC_ICAL_DATA "/corpus";
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() == ".ics")
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    ASSERT_GE(files.size(), 8u);
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        const std::string original = testing_support::ReadFileOrEmpty(file.string());
        const Fields want = ReadExpect(std::filesystem::path(file).replace_extension(".expect").string());
        ASSERT_FALSE(want.empty()) << "no .expect beside it";
        const auto item = calendar_.New();
        testdata::ReadICal(original, item.get());
        const Fields got = testdata::Fields(item.get(), testdata::Clock::kUtc);
        for (const auto& [key, value] : want) {
            ASSERT_TRUE(got.contains(key)) << key;
            EXPECT_EQ(got.at(key), value) << key;
        }

        // A local edit written back over the original.
        ASSERT_EQ(item->put_Subject(want.at("Subject") + " (edited)"), S_OK);
        ASSERT_EQ(item->Save(), S_OK);
        const std::string merged = ical::MergeWrittenEvent(
            original, testdata::WriteICal(item.get(), true, testdata::MasterValue(original, "UID")));
        EXPECT_EQ(testdata::NotOwnedLines(merged), testdata::NotOwnedLines(original)) << merged;
        EXPECT_EQ(testdata::MasterValue(merged, "SUMMARY"), want.at("Subject") + " (edited)");
        EXPECT_EQ(testdata::MasterValue(merged, "SEQUENCE"), testdata::MasterValue(original, "SEQUENCE"));

        const auto copy = calendar_.New();
        testdata::ReadICal(merged, copy.get());
        Fields again = testdata::Fields(copy.get(), testdata::Clock::kUtc);
        again["Subject"] = want.at("Subject");
        for (const auto& [key, value] : want)
            EXPECT_EQ(again[key], value) << "read back: " << key << "\n" << merged;
    }
}

}  // namespace
