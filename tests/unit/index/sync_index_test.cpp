#include "index/sync_index.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <sstream>
#include <vector>

#include "platform/write_order.h"
#include "support/escaped_text.h"
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

// Each file of tests/data/index: "FILE:" and "JOURNAL:" texts (with \t \r \n \xHH escapes; a missing
// section is a missing file), the records loaded from them (server|outlook|date|etag|lm, "-" for an invalid
// date), and optionally "SAVED:", the file text after Save().
struct IndexCase {
    std::string name;
    std::optional<std::string> file, journal, saved;
    std::vector<std::string> records;
};

std::vector<IndexCase> ReadIndexCases() {
    std::vector<IndexCase> cases;
    for (const auto& entry : std::filesystem::directory_iterator(VELSYNC_INDEX_DATA)) {
        IndexCase item{entry.path().filename().string(), {}, {}, {}, {}};
        std::istringstream lines(testing_support::ReadFileOrEmpty(entry.path().string()));
        std::string line, section;
        while (std::getline(lines, line)) {
            if (line.starts_with("#"))
                continue;
            if (line.ends_with(":")) {
                section = line;
                if (section == "FILE:")
                    item.file = "";
                else if (section == "JOURNAL:")
                    item.journal = "";
                else if (section == "SAVED:")
                    item.saved = "";
                continue;
            }
            if (section == "FILE:")
                *item.file += testing_support::Unescaped(line);
            else if (section == "JOURNAL:")
                *item.journal += testing_support::Unescaped(line);
            else if (section == "SAVED:")
                *item.saved += testing_support::Unescaped(line);
            else if (section == "RECORDS:")
                item.records.push_back(testing_support::Unescaped(line));
        }
        cases.push_back(std::move(item));
    }
    return cases;
}

std::vector<std::string> Describe(const SyncIndex& index) {
    auto date = [](const DateTime& value, const char* unknown) {
        return value.IsValid() ? SyncIndex::FormatDate(value) : std::string(unknown);
    };
    std::vector<std::string> records;
    for (const IndexRecord& record : index.Records()) {
        records.push_back(record.ServerId + "|" + record.OutlookId + "|" + date(record.synchDate, "-") + "|" +
                          record.serverETag + "|" + date(record.outlookLastModified, ""));
    }
    return records;
}

TEST_F(IndexFile, FilesAndJournalsLoadAndCompactAsTheDataFilesSay) {
    const std::vector<IndexCase> cases = ReadIndexCases();
    ASSERT_GE(cases.size(), 10u);
    for (const IndexCase& item : cases) {
        SCOPED_TRACE(item.name);
        std::filesystem::remove(path_);
        std::filesystem::remove(path_ + ".journal");
        if (item.file)
            testing_support::WriteFileBytes(path_, *item.file);
        if (item.journal)
            testing_support::WriteFileBytes(path_ + ".journal", *item.journal);
        SyncIndex index;
        index.Load(path_);
        EXPECT_EQ(Describe(index), item.records);

        ASSERT_TRUE(index.Save());
        EXPECT_FALSE(std::filesystem::exists(path_ + ".journal"));
        if (item.saved) {
            EXPECT_EQ(testing_support::ReadFileOrEmpty(path_), *item.saved);
        }
        SyncIndex reloaded;
        reloaded.Load(path_);
        EXPECT_EQ(Describe(reloaded), item.records);
    }
}

TEST_F(IndexFile, ChangesInTheJournalSurviveAnEndWithoutSave) {
    SyncIndex index = LoadText("/c/1.ics\tG1\t20200101T000000Z\r\n/c/2.ics\tG2\t20200101T000000Z\r\n");
    index.RemoveByOutlookId("g1");
    IndexRecord changed{"/c/1.ics", "G1", DateTime::FromParts(2020, 1, 2), "\"e1\"",
                        DateTime::FromParts(2020, 1, 1, 12)};
    ASSERT_TRUE(index.Add(changed));
    index.RemoveByServerId("/C/2.ICS");
    ASSERT_TRUE(index.Add("/c/3.ics", "G3", DateTime::FromParts(2020, 1, 3)));
    ASSERT_TRUE(index.AppendChangesToJournal());
    ASSERT_TRUE(index.Add("/c/4.ics", "G4", DateTime::FromParts(2020, 1, 4)));  // never written

    SyncIndex after_crash;
    after_crash.Load(path_);
    EXPECT_EQ(Describe(after_crash),
              (std::vector<std::string>{"/c/1.ics|G1|20200102T000000Z|\"e1\"|20200101T120000Z",
                                        "/c/3.ics|G3|20200103T000000Z||"}));
    EXPECT_EQ(testing_support::ReadFileOrEmpty(path_),
              "/c/1.ics\tG1\t20200101T000000Z\r\n/c/2.ics\tG2\t20200101T000000Z\r\n");
}

TEST(IndexKeys, AnETagThatWouldNotReadBackTheSameIsKeptAsUnknown) {
    SyncIndex index;
    for (const char* etag : {" \"a\"", "\"a\tb\"", "\"a\r\n\""}) {
        ASSERT_TRUE(index.Add(
            IndexRecord{"/c/1.ics", "G1", DateTime::FromParts(2020, 1, 1), etag, DateTime::Null()}));
        EXPECT_EQ(index.FindByServerId("/c/1.ics").serverETag, "") << etag;
    }
    EXPECT_EQ(index.Size(), 1u);  // the same two keys replace the record in place
    ASSERT_TRUE(index.Add(
        IndexRecord{"/c/1.ics", "G1", DateTime::FromParts(2020, 1, 1), "\"a b\"", DateTime::Null()}));
    EXPECT_EQ(index.FindByServerId("/c/1.ics").serverETag, "\"a b\"");
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

// Stands for the store: its flush fails until told otherwise.
class ScriptedItems : public platform::EarlierWrites {
  public:
    ScriptedItems() { platform::AddEarlierWrites(this); }
    ~ScriptedItems() override { platform::RemoveEarlierWrites(this); }
    bool Flush() override {
        ++flushes;
        return flushable;
    }
    bool flushable = false;
    int flushes = 0;
};

TEST_F(IndexFile, FailedWritesKeepTheOldFileAndTheTable) {
    SyncIndex index = LoadText("a\tb\t20130405T142800Z\r\n");
    ASSERT_TRUE(index.Add("c", "d", DateTime::NowLocal()));
    {
        ScriptedItems items;  // a record must not reach the disk before its item
        EXPECT_FALSE(index.AppendChangesToJournal());
        EXPECT_FALSE(index.Save());
        EXPECT_FALSE(std::filesystem::exists(SyncIndex::JournalPathFor(path_)));
        items.flushable = true;
        EXPECT_TRUE(index.AppendChangesToJournal());  // the change kept pending goes out now
        EXPECT_EQ(items.flushes, 3);
    }
    SyncIndex reloaded;
    reloaded.Load(path_);
    EXPECT_EQ(reloaded.Records().size(), 2u);

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
