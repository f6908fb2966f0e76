#include "index/sync_index.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "support/temp_home.h"

namespace {

using platform::DateTime;

class IndexFile : public ::testing::Test {
  protected:
    SyncIndex LoadText(const std::string& bytes) {
        testing_support::WriteFileBytes(path_, bytes);
        SyncIndex index;
        index.Load(path_);
        return index;
    }
    testing_support::TempHome home_;
    std::string path_ = home_.root() + "/test.dat";
};

TEST_F(IndexFile, LoadReadsWhatItCanOfEachLine) {
    struct Row {
        const char* name;
        std::string bytes;
        std::vector<std::string> records;  // server|outlook|date, "-" for an invalid date
    };
    const Row rows[] = {
        {"last line without CR LF",
         "a\tb\t20130405T142800Z\r\nc\td\t20130405T142801Z",
         {"a|b|20130405T142800Z", "c|d|20130405T142801Z"}},
        {"runs of tabs are one separator, leading tabs shift fields",
         "abc\t\tdef\t20130101T000000Z\r\n\tx\ty\t20130101T000000Z\r\n",
         {"abc|def|20130101T000000Z", "x|y|20130101T000000Z"}},
        {"blank lines drop, bad lines load as far as they go",
         "\r\n\r\n  \r\nonly-server\r\na\tb\tgarbage\r\na\tb\r\n\r\n",
         {"only-server||-", "a|b|-", "a|b|-"}},
        {"fields are trimmed", " a \t b \t 20130405T142800Z \r\n", {"a|b|20130405T142800Z"}},
        {"invalid UTF-8 becomes replacement characters",
         "/cal/\xFF.ics\tGID\t20130405T142800Z\r\n",
         {"/cal/\xEF\xBF\xBD.ics|GID|20130405T142800Z"}},
        {"empty file", "", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<std::string> records;
        const SyncIndex index = LoadText(row.bytes);
        for (const IndexRecord& record : index.Records())
            records.push_back(record.ServerId + "|" + record.OutlookId + "|" +
                              (record.synchDate.IsValid() ? SyncIndex::FormatDate(record.synchDate) : "-"));
        EXPECT_EQ(records, row.records);
    }
}

TEST(IndexDate, TextFormsAndTheirReading) {
    EXPECT_EQ(SyncIndex::FormatDate(DateTime::FromParts(2013, 4, 5, 14, 28, 0)), "20130405T142800Z");
    EXPECT_EQ(SyncIndex::ParseDate("20130405T142800Z").Format("%Y-%m-%d %H:%M:%S"), "2013-04-05 14:28:00");
    EXPECT_EQ(SyncIndex::ParseDate("20130405").Format("%Y-%m-%d %H:%M:%S"), "2013-04-05 00:00:00");
    for (const char* bad : {"20130405T1428", "20131305T000000Z", ""})
        EXPECT_EQ(SyncIndex::ParseDate(bad).status(), platform::DateStatus::Invalid) << bad;
}

TEST_F(IndexFile, MissingFileLoadsEmptyAndSaveWritesCrLfLinesInArrayOrder) {
    SyncIndex index;
    index.Load(path_);
    EXPECT_TRUE(index.Records().empty());
    ASSERT_TRUE(index.Add("/cal/1.ics", "GID1", DateTime::FromParts(2013, 4, 5, 14, 28, 0)));
    ASSERT_TRUE(index.Add("/cal/\xC3\xA9.ics", "GID2", DateTime::FromParts(2020, 1, 2, 3, 4, 5)));
    ASSERT_TRUE(index.Save());
    EXPECT_EQ(testing_support::ReadFileOrEmpty(path_),
              "/cal/1.ics\tGID1\t20130405T142800Z\r\n/cal/\xC3\xA9.ics\tGID2\t20200102T030405Z\r\n");
    EXPECT_FALSE(std::filesystem::exists(path_ + ".tmp"));
}

TEST_F(IndexFile, SavingAnEmptyTableTruncatesTheFile) {
    SyncIndex index = LoadText("a\tb\t20130405T142800Z\r\n");
    index.RemoveByServerId("a");
    ASSERT_TRUE(index.Save());
    EXPECT_EQ(std::filesystem::file_size(path_), 0u);
}

TEST_F(IndexFile, FailedSaveKeepsTheOldFileAndTheTable) {
    SyncIndex index = LoadText("a\tb\t20130405T142800Z\r\n");
    ASSERT_TRUE(index.Add("c", "d", DateTime::NowLocal()));
    std::filesystem::create_directory(path_ + ".tmp");  // the temporary file cannot be made
    EXPECT_FALSE(index.Save());
    EXPECT_EQ(testing_support::ReadFileOrEmpty(path_), "a\tb\t20130405T142800Z\r\n");
    EXPECT_EQ(index.Records().size(), 2u);
}

TEST(IndexKeys, FindIgnoresAsciiCaseAndReturnsTheFirstMatch) {
    SyncIndex index;
    ASSERT_TRUE(index.Add("abc", "X1", DateTime::FromParts(2020, 1, 1)));
    ASSERT_TRUE(index.Add("ABC", "X2", DateTime::FromParts(2020, 1, 2)));
    EXPECT_EQ(index.FindByServerId("ABC").OutlookId, "X1");
    EXPECT_EQ(index.FindByOutlookId("x2").ServerId, "ABC");
    EXPECT_FALSE(index.FindByServerId("abd").IsFound());
}

TEST(IndexKeys, RemoveTakesEveryMatchAndKeepsTheOrderOfTheRest) {
    SyncIndex index;
    for (const char* key : {"k", "a", "K", "b", "k"})
        ASSERT_TRUE(index.Add(key, std::string("o") + key, {}));
    index.RemoveByServerId("k");
    ASSERT_EQ(index.Records().size(), 2u);
    EXPECT_EQ(index.Records()[0].ServerId, "a");
    EXPECT_EQ(index.Records()[1].ServerId, "b");
    index.RemoveByOutlookId("OA");
    ASSERT_EQ(index.Records().size(), 1u);
    EXPECT_EQ(index.Records()[0].ServerId, "b");
}

TEST(IndexKeys, KeysWithTabsOrLineBreaksAreRefused) {
    SyncIndex index;
    EXPECT_FALSE(index.Add("/cal/a\tb.ics", "G", {}));
    EXPECT_FALSE(index.Add("/cal/a\r\nb.ics", "G", {}));
    EXPECT_FALSE(index.Add("/cal/ok.ics", "G\n", {}));
    EXPECT_TRUE(index.Records().empty());
}

}  // namespace
