// Every guard handler against the host's object model: cancel with its message, delete with its
// message, own changes pass, AllowCreate, a folder becoming read-only and back, readonly.dat.
#include "readonly/readonly_guards.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "host/application_object.h"
#include "index/index_store.h"
#include "outlook/appointment_item.h"
#include "outlook/contact_item.h"
#include "outlook/dist_list_item.h"
#include "outlook/folder.h"
#include "outlook/folders.h"
#include "outlook/items.h"
#include "outlook/namespace.h"
#include "outlook/status.h"
#include "outlook/user_properties.h"
#include "outlook/user_property.h"
#include "platform/message_box.h"
#include "readonly/own_change_scope.h"
#include "settings/messages.h"
#include "support/temp_home.h"

namespace {

using outlook::ComPtr;

class RecordingMessageBoxes : public platform::MessageBoxService {
  public:
    int Show(const std::string& text, const std::string& caption, unsigned flags) override {
        texts.push_back(text);
        last_caption = caption;
        last_flags = flags;
        return platform::IDOK;
    }
    std::vector<std::string> texts;
    std::string last_caption;
    unsigned last_flags = 0;
};

class ReadonlyGuards : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::SetMessageBoxService(&boxes_);
        std::string error;
        ASSERT_EQ(host::ApplicationObject::Create(home_.root() + "/outlook.db", 500, &app_, &error), S_OK)
            << error;
        ASSERT_EQ(app_->get_Session(&ns_), S_OK);
        ASSERT_EQ(ns_->GetDefaultFolder(outlook::olFolderContacts, &contacts_), S_OK);
        ASSERT_EQ(ns_->GetDefaultFolder(outlook::olFolderCalendar, &calendar_), S_OK);
        contact_ = AddContact(contacts_.get(), "Kept", "kept@example.org");
        ASSERT_EQ(contacts_->get_EntryID(&contacts_id_), S_OK);
        ASSERT_EQ(calendar_->get_EntryID(&calendar_id_), S_OK);
        guards_.SetUp(app_.get());
    }
    void TearDown() override {
        guards_.Shutdown();
        platform::SetMessageBoxService(nullptr);
    }

    ComPtr<outlook::ContactItem> AddContact(outlook::MAPIFolder* folder, const std::string& name,
                                            const std::string& email, bool allow_create = false) {
        ComPtr<outlook::Items> items;
        EXPECT_EQ(folder->get_Items(&items), S_OK);
        ComPtr<outlook::IDispatch> item;
        EXPECT_EQ(items->Add(outlook::olContactItem, &item), S_OK);
        ComPtr<outlook::ContactItem> contact;
        EXPECT_EQ(item.As(&contact), S_OK);
        EXPECT_EQ(contact->put_FullName(name), S_OK);
        EXPECT_EQ(contact->put_Email1Address(email), S_OK);
        if (allow_create) {
            ComPtr<outlook::UserProperties> properties;
            EXPECT_EQ(contact->get_UserProperties(&properties), S_OK);
            ComPtr<outlook::UserProperty> property;
            EXPECT_EQ(properties->Add("AllowCreate", outlook::olYesNo, false, 1, &property), S_OK);
            EXPECT_EQ(property->put_Value(outlook::Variant(true)), S_OK);
        }
        EXPECT_EQ(contact->Save(), S_OK);
        return contact;
    }

    std::int32_t CountOf(outlook::MAPIFolder* folder) {
        ComPtr<outlook::Items> items;
        EXPECT_EQ(folder->get_Items(&items), S_OK);
        std::int32_t count = -1;
        EXPECT_EQ(items->get_Count(&count), S_OK);
        return count;
    }

    ComPtr<outlook::MAPIFolder> SubFolder(outlook::MAPIFolder* parent, const std::string& name) {
        ComPtr<outlook::Folders> folders;
        EXPECT_EQ(parent->get_Folders(&folders), S_OK);
        ComPtr<outlook::MAPIFolder> child;
        EXPECT_EQ(folders->Add(name, &child), S_OK);
        return child;
    }

    std::vector<std::string> Messages(std::initializer_list<unsigned> ids) {
        std::vector<std::string> texts;
        for (unsigned id : ids) {
            texts.push_back(LoadMessage(id));
        }
        return texts;
    }

    testing_support::TempHome home_;
    RecordingMessageBoxes boxes_;
    ComPtr<host::ApplicationObject> app_;
    ComPtr<outlook::NameSpace> ns_;
    ComPtr<outlook::MAPIFolder> contacts_;
    ComPtr<outlook::MAPIFolder> calendar_;
    ComPtr<outlook::ContactItem> contact_;
    std::string contacts_id_;
    std::string calendar_id_;
    CReadonlyGuards guards_;
};

TEST_F(ReadonlyGuards, DeleteAndEditInReadonlyFolderAreCancelledWithTheirMessage) {
    guards_.SetFolderReadonly(contacts_id_, true);
    EXPECT_EQ(contact_->Delete(), outlook::MAPI_E_USER_CANCEL);
    EXPECT_EQ(CountOf(contacts_.get()), 1);
    ASSERT_EQ(contact_->put_JobTitle("Editor"), S_OK);
    EXPECT_EQ(contact_->Save(), outlook::MAPI_E_USER_CANCEL);
    EXPECT_EQ(boxes_.texts, Messages({IDS_ITEM_READ_ONLY, IDS_ITEM_READ_ONLY}));
    EXPECT_EQ(boxes_.last_caption, "Warning");
    EXPECT_EQ(boxes_.last_flags, 0x30u);
}

TEST_F(ReadonlyGuards, ItemsAddedToReadonlyFolderAreDeletedWithTheirKindsMessage) {
    guards_.SetFolderReadonly(contacts_id_, true);
    guards_.SetFolderReadonly(calendar_id_, true);
    AddContact(contacts_.get(), "Intruder", "in@example.org");

    ComPtr<outlook::Items> items;
    ASSERT_EQ(contacts_->get_Items(&items), S_OK);
    ComPtr<outlook::IDispatch> item;
    ASSERT_EQ(items->Add(outlook::olDistributionListItem, &item), S_OK);
    ComPtr<outlook::DistListItem> list;
    ASSERT_EQ(item.As(&list), S_OK);
    ASSERT_EQ(list->put_DLName("Group"), S_OK);
    ASSERT_EQ(list->Save(), S_OK);

    ASSERT_EQ(calendar_->get_Items(&items), S_OK);
    ASSERT_EQ(items->Add(&item), S_OK);
    ComPtr<outlook::AppointmentItem> appointment;
    ASSERT_EQ(item.As(&appointment), S_OK);
    ASSERT_EQ(appointment->Save(), S_OK);

    EXPECT_EQ(CountOf(contacts_.get()), 1);
    EXPECT_EQ(CountOf(calendar_.get()), 0);
    EXPECT_EQ(boxes_.texts, Messages({IDS_NO_CONTACT_IN_READ_ONLY, IDS_NO_LIST_IN_READ_ONLY,
                                      IDS_NO_APPOINTMENT_IN_READ_ONLY}));
}

TEST_F(ReadonlyGuards, AllowCreateLetsOneItemInAndIsThenCleared) {
    guards_.SetFolderReadonly(contacts_id_, true);
    auto synced = AddContact(contacts_.get(), "From server", "srv@example.org", true);
    EXPECT_EQ(CountOf(contacts_.get()), 2);
    EXPECT_TRUE(boxes_.texts.empty());
    ComPtr<outlook::UserProperties> properties;
    ASSERT_EQ(synced->get_UserProperties(&properties), S_OK);
    ComPtr<outlook::UserProperty> property;
    ASSERT_EQ(properties->Find("AllowCreate", true, &property), S_OK);
    ASSERT_TRUE(property);
    outlook::Variant value;
    ASSERT_EQ(property->get_Value(&value), S_OK);
    EXPECT_EQ(value, outlook::Variant(false));

    // Once the folder's guards are refreshed the new item is guarded like the others.
    guards_.RefreshFolderGuards(contacts_id_);
    EXPECT_EQ(synced->Delete(), outlook::MAPI_E_USER_CANCEL);
    EXPECT_EQ(boxes_.texts, Messages({IDS_ITEM_READ_ONLY}));
}

TEST_F(ReadonlyGuards, MovesIntoAndOutOfReadonlyFoldersAreCancelled) {
    auto shared = SubFolder(contacts_.get(), "Shared");
    std::string shared_id;
    ASSERT_EQ(shared->get_EntryID(&shared_id), S_OK);
    guards_.SetFolderReadonly(shared_id, true);

    ComPtr<outlook::IDispatch> moved;
    EXPECT_EQ(contact_->Move(shared.get(), &moved), outlook::MAPI_E_USER_CANCEL);
    EXPECT_EQ(boxes_.texts, Messages({IDS_NO_MOVE_INTO_READ_ONLY}));

    guards_.SetFolderReadonly(shared_id, false);
    ASSERT_EQ(contact_->Move(shared.get(), &moved), S_OK);
    guards_.SetFolderReadonly(shared_id, true);
    ComPtr<outlook::ContactItem> inside;
    ASSERT_EQ(moved.As(&inside), S_OK);
    boxes_.texts.clear();
    EXPECT_EQ(inside->Move(contacts_.get(), &moved), outlook::MAPI_E_USER_CANCEL);
    EXPECT_EQ(boxes_.texts, Messages({IDS_NO_REMOVE_FROM_READ_ONLY}));
    EXPECT_EQ(CountOf(shared.get()), 1);
}

TEST_F(ReadonlyGuards, ReadonlyContactFolderCannotBeDeletedButACalendarFolderCan) {
    auto book = SubFolder(contacts_.get(), "Book");
    auto calendar = SubFolder(calendar_.get(), "Team");
    std::string book_id;
    std::string calendar_id;
    ASSERT_EQ(book->get_EntryID(&book_id), S_OK);
    ASSERT_EQ(calendar->get_EntryID(&calendar_id), S_OK);
    guards_.SetFolderReadonly(book_id, true);
    guards_.SetFolderReadonly(calendar_id, true);

    EXPECT_EQ(book->Delete(), outlook::MAPI_E_USER_CANCEL);
    EXPECT_EQ(boxes_.texts, Messages({IDS_FOLDER_NOT_DELETABLE}));
    EXPECT_EQ(calendar->Delete(), S_OK);

    // The add-in's own changes pass without a message: it registers an item or folder first.
    std::string id;
    ASSERT_EQ(contact_->get_EntryID(&id), S_OK);
    guards_.SetFolderReadonly(contacts_id_, true);
    guards_.RegisterOwnChange(id);
    ASSERT_EQ(contact_->put_JobTitle("Synced"), S_OK);
    EXPECT_EQ(contact_->Save(), S_OK);
    EXPECT_EQ(contact_->Delete(), S_OK);
    guards_.RegisterOwnChange(book_id);
    EXPECT_EQ(book->Delete(), S_OK);
    guards_.ClearOwnChanges();
    EXPECT_EQ(boxes_.texts, Messages({IDS_FOLDER_NOT_DELETABLE}));
}

TEST_F(ReadonlyGuards, OwnChangeEndsWithItsScopeAlsoWhenTheWorkBetweenThrows) {
    std::string id;
    ASSERT_EQ(contact_->get_EntryID(&id), S_OK);
    guards_.SetFolderReadonly(contacts_id_, true);
    try {
        const OwnChangeScope own_change(&guards_, id);
        ASSERT_EQ(contact_->put_JobTitle("Synced"), S_OK);
        EXPECT_EQ(contact_->Save(), S_OK);
        throw std::runtime_error("a conversion failed after the save");
    } catch (const std::runtime_error&) {
    }
    EXPECT_TRUE(boxes_.texts.empty());
    // The user's edit that follows meets the guard again.
    EXPECT_EQ(contact_->Delete(), outlook::MAPI_E_USER_CANCEL);
    EXPECT_EQ(boxes_.texts, Messages({IDS_ITEM_READ_ONLY}));
}

TEST_F(ReadonlyGuards, FolderBecomingWritableLosesItsGuardsAndReadonlyDatFollows) {
    // A folder made after the guards were set up is watched too.
    auto later = SubFolder(contacts_.get(), "Later");
    std::string later_id;
    ASSERT_EQ(later->get_EntryID(&later_id), S_OK);
    contact_ = AddContact(later.get(), "Inside", "inside@example.org");
    contacts_id_ = later_id;
    guards_.SetFolderReadonly(contacts_id_, true);
    EXPECT_EQ(OpenReadonlyIndex().FindByServerId(contacts_id_).OutlookId, contacts_id_);
    EXPECT_EQ(contact_->Delete(), outlook::MAPI_E_USER_CANCEL);

    // Writable again: edits, additions and deletions all pass.
    guards_.SetFolderReadonly(contacts_id_, false);
    EXPECT_FALSE(OpenReadonlyIndex().FindByServerId(contacts_id_).IsFound());
    ASSERT_EQ(contact_->put_JobTitle("Editor"), S_OK);
    EXPECT_EQ(contact_->Save(), S_OK);
    AddContact(later.get(), "New", "new@example.org");
    EXPECT_EQ(contact_->Delete(), S_OK);
    EXPECT_EQ(CountOf(later.get()), 1);
    EXPECT_EQ(boxes_.texts, Messages({IDS_ITEM_READ_ONLY}));
}

TEST_F(ReadonlyGuards, ReadonlyFoldersAreLoadedFromReadonlyDatAtSetUp) {
    guards_.SetFolderReadonly(contacts_id_, true);
    guards_.Shutdown();

    // A new add-in instance (the next Outlook start) reads the folder back.
    CReadonlyGuards restarted;
    restarted.SetUp(app_.get());
    EXPECT_TRUE(restarted.IsReadonlyFolder(contacts_id_));
    EXPECT_EQ(contact_->Delete(), outlook::MAPI_E_USER_CANCEL);
    restarted.Shutdown();
    EXPECT_EQ(contact_->Delete(), S_OK);
}

}  // namespace
