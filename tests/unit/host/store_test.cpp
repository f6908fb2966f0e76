// The store file: default folders, ids that survive a restart, a locked or damaged file.
#include "host/store.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "host_fixture.h"
#include "outlook/status.h"
#include "support/data_rows.h"
#include "support/temp_home.h"

namespace host_test {
namespace {

TEST(StoreFile, DefaultFoldersExistFromTheFirstStart) {
    testing_support::TempHome home;
    host::Store store;
    ASSERT_EQ(store.Open(home.root() + "/outlook.db"), S_OK);
    host::FolderRecord calendar, contacts, suggested, none;
    ASSERT_EQ(store.GetDefaultFolder(outlook::olFolderCalendar, &calendar), S_OK);
    ASSERT_EQ(store.GetDefaultFolder(outlook::olFolderContacts, &contacts), S_OK);
    ASSERT_EQ(store.GetDefaultFolder(outlook::olFolderSuggestedContacts, &suggested), S_OK);
    EXPECT_EQ(contacts.item_type, outlook::olContactItem);
    EXPECT_EQ(suggested.name, "Suggested Contacts");
    EXPECT_EQ(calendar.entry_id.size(), 72u);
    EXPECT_NE(calendar.entry_id, contacts.entry_id);
    EXPECT_EQ(store.GetDefaultFolder(6, &none), outlook::MAPI_E_NOT_FOUND);

    // A default folder keeps its name; its other fields change.
    calendar.name = "Personal";
    calendar.description = "mine";
    EXPECT_EQ(store.UpdateFolder(calendar), outlook::MAPI_E_NO_SUPPORT);
    calendar.name = "Calendar";
    EXPECT_EQ(store.UpdateFolder(calendar), S_OK);
    ASSERT_EQ(store.GetDefaultFolder(outlook::olFolderCalendar, &calendar), S_OK);
    EXPECT_EQ(calendar.name + "/" + calendar.description, "Calendar/mine");
}

TEST(StoreFile, LockedByAnotherProcessFailsAfterTheWaitWithAClearMessage) {
    testing_support::TempHome home;
    const std::string path = home.root() + "/outlook.db";
    host::Store first;
    ASSERT_EQ(first.Open(path, 100), S_OK);

    // Another process in the middle of a long write.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);

    host::Store second;
    EXPECT_EQ(second.Open(path, 100), outlook::MAPI_E_TIMEOUT);
    EXPECT_NE(second.LastError().find("in use by another velsync process"), std::string::npos)
        << second.LastError();

    // Reading goes on while the other process writes; writing waits, then fails with the same message.
    host::FolderRecord calendar;
    ASSERT_EQ(first.GetDefaultFolder(outlook::olFolderCalendar, &calendar), S_OK);
    host::ItemRecord record;
    record.entry_id = first.NewEntryId();
    record.folder_id = calendar.row_id;
    EXPECT_EQ(first.SaveItem(&record), outlook::MAPI_E_TIMEOUT);
    EXPECT_EQ(record.row_id, 0);

    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(second.Open(path, 100), S_OK);
    EXPECT_EQ(first.SaveItem(&record), S_OK);
}

TEST(StoreFile, DamagedFileIsReportedAndLeftAsItIs) {
    testing_support::TempHome home;
    const std::string path = home.root() + "/outlook.db";
    const std::string garbage(4096, 'x');
    testing_support::WriteFileBytes(path, garbage);
    host::Store store;
    EXPECT_EQ(store.Open(path), outlook::MAPI_E_CORRUPT_STORE);
    EXPECT_NE(store.LastError().find("damaged"), std::string::npos) << store.LastError();
    EXPECT_FALSE(store.IsOpen());
    EXPECT_EQ(testing_support::ReadFileOrEmpty(path), garbage);
}

TEST(StoreFile, DamagedItemRowIsReportedNotSkipped) {
    testing_support::TempHome home;
    const std::string path = home.root() + "/outlook.db";
    host::Store store;
    ASSERT_EQ(store.Open(path), S_OK);
    host::FolderRecord calendar;
    ASSERT_EQ(store.GetDefaultFolder(outlook::olFolderCalendar, &calendar), S_OK);
    host::ItemRecord record;
    record.entry_id = store.NewEntryId();
    record.folder_id = calendar.row_id;
    record.fields["Subject"] = "ok";
    ASSERT_EQ(store.SaveItem(&record), S_OK);

    TamperWithStoreFile(path, "UPDATE items SET record = 'F\t0\tSubject\ts'");

    std::vector<host::ItemRecord> items;
    EXPECT_EQ(store.ListItems(calendar.row_id, false, &items), outlook::MAPI_E_CORRUPT_STORE);
}

TEST(ItemRecordText, RoundTripsEveryKindOfValueAndHostileText) {
    host::ItemRecord record;
    record.fields["Subject"] = "tab\there\nnew line\\ back\r";
    record.fields["Count"] = std::int32_t{-7};
    record.fields["Flag"] = true;
    record.fields["Number"] = 0.1;
    record.fields["When"] = DateTime::FromParts(2024, 3, 31, 1, 30);
    record.fields["Never"] = DateTime::Null();
    record.fields["Nothing"] = outlook::Variant();
    record.user_properties.push_back({{"Name", "IsShared"}, {"Type", std::int32_t{6}}, {"Value", false}});
    record.recipients.push_back({{"RowId", std::int32_t{1}}, {"Address", "a@b.c"}});
    record.pattern.emplace();
    record.exceptions.push_back({{"OriginalDay", std::int32_t{19800}}, {"Deleted", true}});
    record.members.push_back({{"Name", "x"}});

    host::ItemRecord back;
    ASSERT_TRUE(host::DecodeItemRecord(host::EncodeItemRecord(record), &back));
    EXPECT_EQ(back.fields, record.fields);
    EXPECT_EQ(back.user_properties, record.user_properties);
    EXPECT_EQ(back.recipients, record.recipients);
    ASSERT_TRUE(back.pattern.has_value());
    EXPECT_TRUE(back.pattern->empty());
    EXPECT_EQ(back.exceptions, record.exceptions);
    EXPECT_EQ(back.members, record.members);
}

TEST(ItemRecordText, RefusesDamagedText) {
    for (const auto& row :
         testing_support::ReadDataRows(VELSYNC_HOST_TEST_DATA "/item-record-refused-rows.txt", 2)) {
        SCOPED_TRACE(row[0]);
        host::ItemRecord record;
        EXPECT_FALSE(host::DecodeItemRecord(row[1], &record));
    }
}

}  // namespace
}  // namespace host_test
