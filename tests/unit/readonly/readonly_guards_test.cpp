// Every guard handler against the host's object model: cancel with its message, delete with its
// message, own changes pass, AllowCreate, a folder becoming read-only and back, readonly.dat.
#include "readonly/readonly_guards.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "index/index_store.h"
#include "outlook/items.h"
#include "outlook/status.h"
#include "outlook/user_properties.h"
#include "outlook/user_property.h"
#include "readonly/own_change_scope.h"
#include "settings/messages.h"
#include "support/host_outlook.h"
#include "support/recorded_message_boxes.h"

namespace {

using outlook::ComPtr;
using testing_support::HostOutlook;

class ReadonlyGuards : public ::testing::Test {
  protected:
    void SetUp() override { guards_.SetUp(outlook_.app.get()); }
    void TearDown() override { guards_.Shutdown(); }

    ComPtr<outlook::ContactItem> AddContact(outlook::MAPIFolder* folder, const std::string& name) {
        return outlook_.AddContact({{"FullName", name}, {"Email1Address", name + "@example.org"}}, folder);
    }
    static std::vector<std::string> Messages(std::initializer_list<unsigned> ids) {
        std::vector<std::string> texts;
        for (unsigned id : ids)
            texts.push_back(LoadMessage(id));
        return texts;
    }

    testing_support::RecordedMessageBoxes boxes_{platform::IDOK};
    HostOutlook outlook_;
    ComPtr<outlook::MAPIFolder> contacts_ = outlook_.contacts;
    ComPtr<outlook::MAPIFolder> calendar_ = outlook_.calendar;
    ComPtr<outlook::ContactItem> contact_ = AddContact(nullptr, "Kept");
    std::string contacts_id_ = HostOutlook::EntryId(contacts_.get());
    const std::string calendar_id_ = HostOutlook::EntryId(calendar_.get());
    CReadonlyGuards guards_;
};

TEST_F(ReadonlyGuards, DeleteAndEditInReadonlyFolderAreCancelledWithTheirMessage) {
    guards_.SetFolderReadonly(contacts_id_, true);
    EXPECT_EQ(contact_->Delete(), outlook::MAPI_E_USER_CANCEL);
    EXPECT_EQ(outlook_.Count(contacts_.get()), 1);
    ASSERT_EQ(contact_->put_JobTitle("Editor"), S_OK);
    EXPECT_EQ(contact_->Save(), outlook::MAPI_E_USER_CANCEL);
    EXPECT_EQ(boxes_.Texts(), Messages({IDS_ITEM_READ_ONLY, IDS_ITEM_READ_ONLY}));
    EXPECT_EQ(boxes_.Shown().back().caption, "Warning");
    EXPECT_EQ(boxes_.Flags().back(), 0x30u);
}

TEST_F(ReadonlyGuards, ItemsAddedToReadonlyFolderAreDeletedWithTheirKindsMessage) {
    guards_.SetFolderReadonly(contacts_id_, true);
    guards_.SetFolderReadonly(calendar_id_, true);
    AddContact(contacts_.get(), "Intruder");

    outlook_.AddList("Group", {});
    outlook_.AddAppointment("Intruding");

    EXPECT_EQ(outlook_.Count(contacts_.get()), 1);
    EXPECT_EQ(outlook_.Count(calendar_.get()), 0);
    EXPECT_EQ(boxes_.Texts(), Messages({IDS_NO_CONTACT_IN_READ_ONLY, IDS_NO_LIST_IN_READ_ONLY,
                                        IDS_NO_APPOINTMENT_IN_READ_ONLY}));
}

TEST_F(ReadonlyGuards, AllowCreateLetsOneItemInAndIsThenCleared) {
    guards_.SetFolderReadonly(contacts_id_, true);
    // As the synchronization saves a server's contact: marked before its first save.
    ComPtr<outlook::Items> items;
    ComPtr<outlook::IDispatch> item;
    ComPtr<outlook::ContactItem> synced;
    ComPtr<outlook::UserProperties> properties;
    ComPtr<outlook::UserProperty> property;
    ASSERT_EQ(contacts_->get_Items(&items), S_OK);
    ASSERT_EQ(items->Add(outlook::olContactItem, &item), S_OK);
    ASSERT_EQ(item.As(&synced), S_OK);
    ASSERT_EQ(synced->get_UserProperties(&properties), S_OK);
    ASSERT_EQ(properties->Add("AllowCreate", outlook::olYesNo, false, 1, &property), S_OK);
    ASSERT_EQ(property->put_Value(outlook::Variant(true)), S_OK);
    ASSERT_EQ(synced->Save(), S_OK);
    EXPECT_EQ(outlook_.Count(contacts_.get()), 2);
    EXPECT_TRUE(boxes_.Texts().empty());
    ASSERT_EQ(properties->Find("AllowCreate", true, &property), S_OK);
    ASSERT_TRUE(property);
    outlook::Variant value;
    ASSERT_EQ(property->get_Value(&value), S_OK);
    EXPECT_EQ(value, outlook::Variant(false));

    // Once the folder's guards are refreshed the new item is guarded like the others.
    guards_.RefreshFolderGuards(contacts_id_);
    EXPECT_EQ(synced->Delete(), outlook::MAPI_E_USER_CANCEL);
    EXPECT_EQ(boxes_.Texts(), Messages({IDS_ITEM_READ_ONLY}));
}

TEST_F(ReadonlyGuards, MovesIntoAndOutOfReadonlyFoldersAreCancelled) {
    auto shared = outlook_.AddFolder("Shared");
    const std::string shared_id = HostOutlook::EntryId(shared.get());
    guards_.SetFolderReadonly(shared_id, true);

    ComPtr<outlook::IDispatch> moved;
    EXPECT_EQ(contact_->Move(shared.get(), &moved), outlook::MAPI_E_USER_CANCEL);
    EXPECT_EQ(boxes_.Texts(), Messages({IDS_NO_MOVE_INTO_READ_ONLY}));

    guards_.SetFolderReadonly(shared_id, false);
    ASSERT_EQ(contact_->Move(shared.get(), &moved), S_OK);
    guards_.SetFolderReadonly(shared_id, true);
    ComPtr<outlook::ContactItem> inside;
    ASSERT_EQ(moved.As(&inside), S_OK);
    boxes_.Clear();
    EXPECT_EQ(inside->Move(contacts_.get(), &moved), outlook::MAPI_E_USER_CANCEL);
    EXPECT_EQ(boxes_.Texts(), Messages({IDS_NO_REMOVE_FROM_READ_ONLY}));
    EXPECT_EQ(outlook_.Count(shared.get()), 1);
}

TEST_F(ReadonlyGuards, ReadonlyContactFolderCannotBeDeletedButACalendarFolderCan) {
    auto book = outlook_.AddFolder("Book");
    auto calendar = outlook_.AddFolder("Team", calendar_.get());
    const std::string book_id = HostOutlook::EntryId(book.get());
    guards_.SetFolderReadonly(book_id, true);
    guards_.SetFolderReadonly(HostOutlook::EntryId(calendar.get()), true);

    EXPECT_EQ(book->Delete(), outlook::MAPI_E_USER_CANCEL);
    EXPECT_EQ(boxes_.Texts(), Messages({IDS_FOLDER_NOT_DELETABLE}));
    EXPECT_EQ(calendar->Delete(), S_OK);

    // The add-in's own changes pass without a message: it registers an item or folder first.
    guards_.SetFolderReadonly(contacts_id_, true);
    guards_.RegisterOwnChange(HostOutlook::EntryId(contact_.get()));
    ASSERT_EQ(contact_->put_JobTitle("Synced"), S_OK);
    EXPECT_EQ(contact_->Save(), S_OK);
    EXPECT_EQ(contact_->Delete(), S_OK);
    guards_.RegisterOwnChange(book_id);
    EXPECT_EQ(book->Delete(), S_OK);
    guards_.ClearOwnChanges();
    EXPECT_EQ(boxes_.Texts(), Messages({IDS_FOLDER_NOT_DELETABLE}));
}

TEST_F(ReadonlyGuards, OwnChangeEndsWithItsScopeAlsoWhenTheWorkBetweenThrows) {
    guards_.SetFolderReadonly(contacts_id_, true);
    try {
        const OwnChangeScope own_change(&guards_, HostOutlook::EntryId(contact_.get()));
        ASSERT_EQ(contact_->put_JobTitle("Synced"), S_OK);
        EXPECT_EQ(contact_->Save(), S_OK);
        throw std::runtime_error("a conversion failed after the save");
    } catch (const std::runtime_error&) {
    }
    EXPECT_TRUE(boxes_.Texts().empty());
    // The user's edit that follows meets the guard again.
    EXPECT_EQ(contact_->Delete(), outlook::MAPI_E_USER_CANCEL);
    EXPECT_EQ(boxes_.Texts(), Messages({IDS_ITEM_READ_ONLY}));
}

TEST_F(ReadonlyGuards, FolderBecomingWritableLosesItsGuardsAndReadonlyDatFollows) {
    // A folder made after the guards were set up is watched too.
    auto later = outlook_.AddFolder("Later");
    contact_ = AddContact(later.get(), "Inside");
    contacts_id_ = HostOutlook::EntryId(later.get());
    guards_.SetFolderReadonly(contacts_id_, true);
    EXPECT_EQ(OpenReadonlyIndex().FindByServerId(contacts_id_).OutlookId, contacts_id_);
    EXPECT_EQ(contact_->Delete(), outlook::MAPI_E_USER_CANCEL);

    // Writable again: edits, additions and deletions all pass.
    guards_.SetFolderReadonly(contacts_id_, false);
    EXPECT_FALSE(OpenReadonlyIndex().FindByServerId(contacts_id_).IsFound());
    ASSERT_EQ(contact_->put_JobTitle("Editor"), S_OK);
    EXPECT_EQ(contact_->Save(), S_OK);
    AddContact(later.get(), "New");
    EXPECT_EQ(contact_->Delete(), S_OK);
    EXPECT_EQ(outlook_.Count(later.get()), 1);
    EXPECT_EQ(boxes_.Texts(), Messages({IDS_ITEM_READ_ONLY}));
}

TEST_F(ReadonlyGuards, ReadonlyFoldersAreLoadedFromReadonlyDatAtSetUp) {
    guards_.SetFolderReadonly(contacts_id_, true);
    guards_.Shutdown();

    // A new add-in instance (the next Outlook start) reads the folder back.
    CReadonlyGuards restarted;
    restarted.SetUp(outlook_.app.get());
    EXPECT_TRUE(restarted.IsReadonlyFolder(contacts_id_));
    EXPECT_EQ(contact_->Delete(), outlook::MAPI_E_USER_CANCEL);
    restarted.Shutdown();
    EXPECT_EQ(contact_->Delete(), S_OK);
}

}  // namespace
