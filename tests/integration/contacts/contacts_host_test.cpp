// Contact synchronization end to end over the host's Outlook (the SQLite store and its object model)
// against the real servers, with python3-vobject on the other side.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "contacts/card_dav_synchronizer.h"
#include "contacts/contact_readonly_guards.h"
#include "host/application_object.h"
#include "outlook/contact_item.h"
#include "outlook/dist_list_item.h"
#include "outlook/folder.h"
#include "outlook/folders.h"
#include "outlook/items.h"
#include "outlook/namespace.h"
#include "outlook/status.h"
#include "readonly/readonly_guards.h"
#include "settings/addin_exception.h"
#include "settings/log.h"
#include "support/dav_servers.h"
#include "support/temp_home.h"

namespace {

using outlook::ComPtr;
using testing_support::DavServerKind;
using testing_support::kDavPassword;
using testing_support::kDavUser;

class ContactsOnHost : public testing_support::DavServerTest {
  protected:
    void SetUp() override {
        DavServerTest::SetUp();
        if (IsSkipped())
            return;
        std::filesystem::create_directories(home_.app_data() + "/Velmarquin");
        SetLogEnabled(true);
        std::string error;
        ASSERT_EQ(host::ApplicationObject::Create(home_.root() + "/outlook.db", 500, &app_, &error), S_OK)
            << error;
        ComPtr<outlook::NameSpace> session;
        ASSERT_EQ(app_->get_Session(&session), S_OK);
        ASSERT_EQ(session->GetDefaultFolder(outlook::olFolderContacts, &contacts_), S_OK);
        ASSERT_EQ(OtherSide("clear", BookUrl()), "");
    }
    void TearDown() override { SetLogEnabled(false); }

    bool IsXandikos() const { return GetParam() == DavServerKind::kXandikos; }
    std::string BookUrl() const {
        return server().url() + (IsXandikos() ? "alice/contacts/addressbook/" : "alice/addressbook/");
    }

    std::string OtherSide(const std::string& command, const std::string& url,
                          const std::string& options = "") {
        const std::string line = "/usr/bin/python3 " VELSYNC_OTHER_SIDE " " + command + " '" + url + "' " +
                                 kDavUser + " " + kDavPassword + " " + options + " 2>&1";
        std::string output;
        FILE* pipe = popen(line.c_str(), "r");
        if (pipe == nullptr)
            return "cannot run";
        char buffer[4096];
        while (fgets(buffer, sizeof(buffer), pipe) != nullptr)
            output += buffer;
        EXPECT_EQ(pclose(pipe), 0) << line << "\n" << output;
        return output;
    }

    std::string Sync(IReadonlyGuards* guards = nullptr) {
        try {
            SyncResultList results;
            CCardDavSynchronizer synchronizer(server().url(), kDavUser, kDavPassword, app_, guards);
            synchronizer.Synchronize(&results);
        } catch (CAddinException& error) {
            return error.GetMessage();
        }
        return {};
    }

    // The contacts of a folder: FullName -> Email1Address.
    std::map<std::string, std::string> Contacts(outlook::MAPIFolder* folder) {
        std::map<std::string, std::string> found;
        ComPtr<outlook::Items> items;
        std::int32_t count = 0;
        EXPECT_EQ(folder->get_Items(&items), S_OK);
        EXPECT_EQ(items->get_Count(&count), S_OK);
        for (std::int32_t i = 1; i <= count; ++i) {
            ComPtr<outlook::IDispatch> item;
            ComPtr<outlook::ContactItem> contact;
            if (FAILED(items->Item(i, &item)) || FAILED(item.As(&contact)))
                continue;
            std::string name, email;
            EXPECT_EQ(contact->get_FullName(&name), S_OK);
            EXPECT_EQ(contact->get_Email1Address(&email), S_OK);
            found[name] = email;
        }
        return found;
    }
    ComPtr<outlook::ContactItem> FindContact(const std::string& full_name) {
        ComPtr<outlook::Items> items;
        std::int32_t count = 0;
        EXPECT_EQ(contacts_->get_Items(&items), S_OK);
        EXPECT_EQ(items->get_Count(&count), S_OK);
        for (std::int32_t i = 1; i <= count; ++i) {
            ComPtr<outlook::IDispatch> item;
            ComPtr<outlook::ContactItem> contact;
            std::string name;
            if (SUCCEEDED(items->Item(i, &item)) && SUCCEEDED(item.As(&contact)) &&
                SUCCEEDED(contact->get_FullName(&name)) && name == full_name)
                return contact;
        }
        return nullptr;
    }
    // Group name -> member count, from the distribution lists of the Contacts folder.
    std::map<std::string, std::int32_t> Lists() {
        std::map<std::string, std::int32_t> lists;
        ComPtr<outlook::Items> items;
        std::int32_t count = 0;
        EXPECT_EQ(contacts_->get_Items(&items), S_OK);
        EXPECT_EQ(items->get_Count(&count), S_OK);
        for (std::int32_t i = 1; i <= count; ++i) {
            ComPtr<outlook::IDispatch> item;
            ComPtr<outlook::DistListItem> list;
            std::string name;
            std::int32_t members = 0;
            if (SUCCEEDED(items->Item(i, &item)) && SUCCEEDED(item.As(&list)) &&
                SUCCEEDED(list->get_DLName(&name)) && SUCCEEDED(list->get_MemberCount(&members)))
                lists[name] = members;
        }
        return lists;
    }
    void AddContact(const std::string& full_name, const std::string& email) {
        ComPtr<outlook::Items> items;
        ComPtr<outlook::IDispatch> item;
        ComPtr<outlook::ContactItem> contact;
        ASSERT_EQ(contacts_->get_Items(&items), S_OK);
        ASSERT_EQ(items->Add(&item), S_OK);
        ASSERT_EQ(item.As(&contact), S_OK);
        ASSERT_EQ(contact->put_FullName(full_name), S_OK);
        ASSERT_EQ(contact->put_Email1Address(email), S_OK);
        ASSERT_EQ(contact->Save(), S_OK);
    }
    // The date rule ignores changes within three seconds of the last run.
    static void LetTheRunAge() { std::this_thread::sleep_for(std::chrono::seconds(4)); }

    testing_support::TempHome home_;
    ComPtr<host::ApplicationObject> app_;
    ComPtr<outlook::MAPIFolder> contacts_;
};

TEST_P(ContactsOnHost, ContactsGroupsAndDeletionsTravelBothWays) {
    AddContact("Olive Outlook", "olive@outlook.example");
    AddContact("Dan Dropped", "dan@outlook.example");
    ASSERT_EQ(OtherSide("put", BookUrl() + "sam.vcf",
                        "--uid sam-1 --fn 'Sam Server' --email sam@server.example --categories Friends"),
              "201\n");
    ASSERT_EQ(Sync(), "");
    const auto first = Contacts(contacts_.get());
    ASSERT_EQ(first.size(), 3u);
    EXPECT_EQ(first.at("Sam Server"), "sam@server.example");
    EXPECT_EQ(Lists(), (std::map<std::string, std::int32_t>{{"Friends", 1}}));
    const std::string listed = OtherSide("list", BookUrl());
    EXPECT_NE(listed.find("Olive Outlook"), std::string::npos) << listed;

    // A run with no change leaves both sides alone.
    platform::DateTime before;
    ASSERT_EQ(FindContact("Olive Outlook")->get_LastModificationTime(&before), S_OK);
    ASSERT_EQ(Sync(), "");
    platform::DateTime after;
    ASSERT_EQ(FindContact("Olive Outlook")->get_LastModificationTime(&after), S_OK);
    EXPECT_EQ(after.value(), before.value());
    EXPECT_EQ(OtherSide("list", BookUrl()), listed);

    // Outlook renames Olive and deletes Dan; the other side renames Sam and moves him to Work.
    LetTheRunAge();
    ComPtr<outlook::ContactItem> olive = FindContact("Olive Outlook");
    ASSERT_EQ(olive->put_FullName("Olive Renamed"), S_OK);
    ASSERT_EQ(olive->Save(), S_OK);
    ASSERT_EQ(FindContact("Dan Dropped")->Delete(), S_OK);
    ASSERT_EQ(OtherSide("edit", BookUrl() + "sam.vcf", "--fn 'Sam Renamed' --categories Work"),
              IsXandikos() ? "204\n" : "201\n");
    ASSERT_EQ(Sync(), "");
    const auto second = Contacts(contacts_.get());
    EXPECT_EQ(second.count("Sam Renamed"), 1u);
    EXPECT_EQ(Lists(), (std::map<std::string, std::int32_t>{{"Work", 1}}));
    const std::string relisted = OtherSide("list", BookUrl());
    EXPECT_NE(relisted.find("Olive Renamed"), std::string::npos) << relisted;
    EXPECT_EQ(relisted.find("Dan Dropped"), std::string::npos) << relisted;

    // The other side deletes Sam: his contact and the emptied list go.
    ASSERT_EQ(OtherSide("delete", BookUrl() + "sam.vcf"), IsXandikos() ? "204\n" : "200\n");
    ASSERT_EQ(Sync(), "");
    EXPECT_EQ(Contacts(contacts_.get()),
              (std::map<std::string, std::string>{{"Olive Renamed", "olive@outlook.example"}}));
    EXPECT_TRUE(Lists().empty());
}

// Servers with accounts and a read-only share: Radicale and the Apache front (Xandikos has neither).
class ContactsOnHostWithShares : public ContactsOnHost {};

TEST_P(ContactsOnHostWithShares, ReadOnlyShareGetsItsOwnFolder) {
    ASSERT_EQ(Sync(), "");
    ComPtr<outlook::Folders> folders;
    ASSERT_EQ(contacts_->get_Folders(&folders), S_OK);
    std::int32_t count = 0;
    ASSERT_EQ(folders->get_Count(&count), S_OK);
    ASSERT_EQ(count, 1);
    ComPtr<outlook::MAPIFolder> shared;
    ASSERT_EQ(folders->Item(1, &shared), S_OK);
    std::string name;
    bool address_book = false;
    ASSERT_EQ(shared->get_Name(&name), S_OK);
    ASSERT_EQ(shared->get_ShowAsOutlookAB(&address_book), S_OK);
    EXPECT_EQ(name, "Bob shared contacts (read only)");
    EXPECT_TRUE(address_book);
    // Carol's card has an EMAIL line without TYPE; it still reaches the first slot.
    EXPECT_EQ(Contacts(shared.get()),
              (std::map<std::string, std::string>{{"Carol Example", "carol@example.org"}}));
}

TEST_P(ContactsOnHostWithShares, ReadOnlyShareUnderTheGuards) {
    CReadonlyGuards guards;
    guards.SetUp(app_.get());
    CContactReadonlyGuards link(&guards);
    ASSERT_EQ(Sync(&link), "");
    ComPtr<outlook::Folders> folders;
    ComPtr<outlook::MAPIFolder> shared;
    ASSERT_EQ(contacts_->get_Folders(&folders), S_OK);
    ASSERT_EQ(folders->Item(1, &shared), S_OK);
    std::string shared_id;
    ASSERT_EQ(shared->get_EntryID(&shared_id), S_OK);
    EXPECT_TRUE(guards.IsReadonlyFolder(shared_id));
    // The synchronization's own contact got in; the user cannot delete it.
    ComPtr<outlook::Items> items;
    ComPtr<outlook::IDispatch> item;
    ComPtr<outlook::ContactItem> carol;
    ASSERT_EQ(shared->get_Items(&items), S_OK);
    ASSERT_EQ(items->Item(1, &item), S_OK);
    ASSERT_EQ(item.As(&carol), S_OK);
    EXPECT_EQ(carol->Delete(), outlook::MAPI_E_USER_CANCEL);
    // The next run finds nothing to do and no guard stands in its way.
    ASSERT_EQ(Sync(&link), "");
    EXPECT_EQ(Contacts(shared.get()),
              (std::map<std::string, std::string>{{"Carol Example", "carol@example.org"}}));
    guards.Shutdown();
}

INSTANTIATE_TEST_SUITE_P(Servers, ContactsOnHost,
                         ::testing::Values(DavServerKind::kRadicale, DavServerKind::kApacheDigest,
                                           DavServerKind::kXandikos),
                         testing_support::NameOfDavServerKind);
INSTANTIATE_TEST_SUITE_P(Servers, ContactsOnHostWithShares,
                         ::testing::Values(DavServerKind::kRadicale, DavServerKind::kApacheDigest),
                         testing_support::NameOfDavServerKind);

}  // namespace
