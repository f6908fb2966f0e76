#include "index/index_store.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_home.h"

namespace {

namespace fs = std::filesystem;
using platform::DateTime;

class IndexFolders : public ::testing::Test {
  protected:
    std::string Base() const { return home_.app_data() + "/Velmarquin/HarrowgateAddin/Index"; }
    testing_support::TempHome home_;
};

TEST_F(IndexFolders, FoldersAreCreatedAndFilesNamedAfterTheFolderEntryId) {
    EXPECT_EQ(GetCalendarIndexFolder(), Base() + "/Calendar");
    EXPECT_TRUE(fs::is_directory(Base() + "/Calendar"));
    EXPECT_EQ(OpenCalendarsIndex().Path(), Base() + "/Calendar/calendars.dat");
    EXPECT_EQ(OpenAddressBookIndex("FF").Path(), Base() + "/AddressBook/FF.dat");
    SyncIndex events = OpenCalendarIndex("00AB12");
    EXPECT_EQ(events.Path(), Base() + "/Calendar/00AB12.dat");

    ASSERT_TRUE(events.Add("/cal/e.ics", "GID", DateTime::NowLocal()));
    ASSERT_TRUE(events.Save());
    EXPECT_EQ(OpenCalendarIndex("00AB12").Records().size(), 1u);
    DeleteCalendarIndex("00AB12");
    EXPECT_FALSE(fs::exists(Base() + "/Calendar/00AB12.dat"));
    DeleteCalendarIndex("00AB12");  // already gone: nothing happens
}

TEST_F(IndexFolders, DeleteAllIndexesEmptiesTheThreeFoldersAndKeepsThem) {
    for (SyncIndex index : {OpenCalendarsIndex(), OpenCalendarIndex("A1"), OpenGroupsIndex(),
                            OpenAddressBookIndex("B2"), OpenReadonlyIndex()}) {
        ASSERT_TRUE(index.Add("s", "o", DateTime::NowLocal()));
        ASSERT_TRUE(index.Save());
    }
    fs::create_directories(Base() + "/Calendar/sub");
    testing_support::WriteFileBytes(Base() + "/Calendar/sub/keep.txt", "x");
    DeleteAllIndexes();
    for (const char* folder : {"", "/Calendar", "/AddressBook"}) {
        SCOPED_TRACE(folder);
        ASSERT_TRUE(fs::is_directory(Base() + folder));
        for (const auto& entry : fs::directory_iterator(Base() + folder))
            EXPECT_TRUE(entry.is_directory());
    }
    EXPECT_TRUE(fs::exists(Base() + "/Calendar/sub/keep.txt"));
}

TEST_F(IndexFolders, ReadonlyListMovesOutOfTheAddressBookFolderOnce) {
    SyncIndex current = OpenReadonlyIndex();
    ASSERT_TRUE(current.Add("F1", "F1", DateTime::FromParts(2020, 1, 1)));
    ASSERT_TRUE(current.Add("F2", "F2", DateTime::FromParts(2020, 1, 1)));
    ASSERT_TRUE(current.Save());
    testing_support::WriteFileBytes(Base() + "/AddressBook/readonly.dat",
                                    "f2\tf2\t20210101T000000Z\r\nF3\tF3\t20210101T000000Z\r\n");

    const SyncIndex moved = OpenReadonlyIndex();
    ASSERT_EQ(moved.Records().size(), 3u);
    EXPECT_EQ(moved.Records()[0].OutlookId, "F1");
    EXPECT_EQ(moved.Records()[1].OutlookId, "f2");  // replaced by the old record, unchanged
    EXPECT_EQ(SyncIndex::FormatDate(moved.Records()[1].synchDate), "20210101T000000Z");
    EXPECT_EQ(moved.Records()[2].OutlookId, "F3");
    EXPECT_FALSE(fs::exists(Base() + "/AddressBook/readonly.dat"));
    EXPECT_EQ(OpenReadonlyIndex().Records().size(), 3u);
}

}  // namespace
