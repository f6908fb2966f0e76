// Contact synchronization end to end against Radicale, Apache Digest in front of Radicale, and Xandikos,
// with the in-memory Outlook on one side and a third-party client (python3-vobject) on the other.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "contacts/card_dav_addressbook.h"
#include "contacts/card_dav_synchronizer.h"
#include "contacts/outlook_groups_manager.h"
#include "contacts/readonly_guards.h"
#include "index/index_store.h"
#include "platform/file_system.h"
#include "platform/message_box.h"
#include "settings/addin_exception.h"
#include "settings/log.h"
#include "support/dav_servers.h"
#include "support/temp_home.h"
#include "unit/contacts/fake_outlook.h"

namespace {

using testing_support::DavServerKind;
using testing_support::kDavPassword;
using testing_support::kDavUser;

struct CardView {
    std::string href;
    std::string json;
};

class QuietGuards : public IReadonlyGuards {
  public:
    void SetFolderReadonly(const std::string& folder, bool readonly) override {
        if (readonly)
            readonly_folders.insert(folder);
        else
            readonly_folders.erase(folder);
    }
    void RegisterOwnChange(const std::string&) override {}
    void ClearOwnChanges() override {}
    std::set<std::string> readonly_folders;
};

class Answers : public platform::MessageBoxService {
  public:
    explicit Answers(int answer) : m_answer(answer) { platform::SetMessageBoxService(this); }
    ~Answers() override { platform::SetMessageBoxService(nullptr); }
    int Show(const std::string& text, const std::string&, unsigned) override {
        asked.push_back(text);
        return m_answer;
    }
    std::vector<std::string> asked;

  private:
    int m_answer;
};

class ContactsSync : public testing_support::DavServerTest {
  protected:
    void SetUp() override {
        DavServerTest::SetUp();
        if (IsSkipped())
            return;
        std::filesystem::create_directories(home_.app_data() + "/Velmarquin");
        SetLogEnabled(true);
        ASSERT_EQ(OtherSide("clear", BookUrl()), "");
    }
    void TearDown() override { SetLogEnabled(false); }

    bool IsXandikos() const { return GetParam() == DavServerKind::kXandikos; }
    std::string BookPath() const {
        return IsXandikos() ? "/alice/contacts/addressbook/" : "/alice/addressbook/";
    }
    std::string BookUrl() const { return server().url() + BookPath().substr(1); }

    // Runs the third-party client; its output, or a failure of the test.
    std::string OtherSide(const std::string& command, const std::string& url,
                          const std::string& options = "") {
        const std::string line = "/usr/bin/python3 " VELSYNC_OTHER_SIDE " " + command + " '" + url + "' " +
                                 kDavUser + " " + kDavPassword + " " + options + " 2>&1";
        std::string output;
        FILE* pipe = popen(line.c_str(), "r");
        if (pipe == nullptr) {
            ADD_FAILURE() << "cannot run " << line;
            return {};
        }
        char buffer[4096];
        while (fgets(buffer, sizeof(buffer), pipe) != nullptr)
            output += buffer;
        const int status = pclose(pipe);
        EXPECT_EQ(status, 0) << line << "\n" << output;
        return output;
    }
    std::vector<std::string> ServerCards() {
        std::vector<std::string> cards;
        std::string all = OtherSide("list", BookUrl());
        for (std::size_t start = 0; start < all.size();) {
            std::size_t end = all.find('\n', start);
            if (end == std::string::npos)
                end = all.size();
            cards.push_back(all.substr(start, end - start));
            start = end + 1;
        }
        return cards;
    }

    // One contact run; "" or the failure's message.
    std::string Sync() {
        results_.clear();
        try {
            CCardDavSynchronizer synchronizer(server().url(), kDavUser, kDavPassword, store_.application,
                                              &guards_);
            synchronizer.Synchronize(&results_);
        } catch (CAddinException& error) {
            return error.GetMessage();
        }
        return {};
    }

    // Moves every contact pairing one hour into the past, so that the next edit on either side is a
    // change (the date rule ignores three seconds).
    void AgeIndexes() {
        for (const std::string& name : platform::ListFiles(GetAddressBookIndexFolder())) {
            if (name == "groups.dat" || name.find(".etag.") != std::string::npos)
                continue;
            SyncIndex index;
            index.Load(GetAddressBookIndexFolder() + "/" + name);
            SyncIndex aged = index;
            for (const IndexRecord& record : index.Records())
                aged.RemoveByServerId(record.ServerId);
            for (const IndexRecord& record : index.Records())
                ASSERT_TRUE(aged.Add(record.ServerId, record.OutlookId, record.synchDate.AddSeconds(-3600)));
            ASSERT_TRUE(aged.Save());
        }
    }

    // How the run reported the folder: "writable", "read-only" or "absent". The order of the books is
    // the server's listing order, which Radicale does not keep stable.
    std::string ResultFlag(const std::string& folder) const {
        for (const SyncResultEntry& entry : results_) {
            if (entry.folder_key == folder)
                return entry.flag ? "read-only" : "writable";
        }
        return "absent";
    }

    fake::FakeContact* OutlookContact(const std::string& full_name) {
        for (fake::FakeContact* contact : store_.contacts->Contacts()) {
            if (contact->Field("FullName") == full_name)
                return contact;
        }
        return nullptr;
    }

    testing_support::TempHome home_;
    fake::FakeStore store_;
    QuietGuards guards_;
    SyncResultList results_;
};

TEST_P(ContactsSync, FirstRunPairsTheDefaultBookWithContacts) {
    store_.contacts->AddContact("Olive Outlook", "olive@outlook.example");
    ASSERT_EQ(
        OtherSide("put", BookUrl() + "sam.vcf", "--uid sam-1 --fn 'Sam Server' --email sam@server.example"),
        "201\n");
    ASSERT_EQ(Sync(), "");
    ASSERT_EQ(ResultFlag(store_.contacts->entry_id), "writable");
    ASSERT_NE(OutlookContact("Sam Server"), nullptr);
    EXPECT_EQ(OutlookContact("Sam Server")->Field("Email1Address"), "sam@server.example");
    const auto cards = ServerCards();
    ASSERT_EQ(cards.size(), 2u);
    const std::string all = cards[0] + cards[1];
    EXPECT_NE(all.find("\"fn\": \"Olive Outlook\""), std::string::npos) << all;
    EXPECT_NE(all.find("olive@outlook.example"), std::string::npos) << all;
    EXPECT_EQ(GetParam() == DavServerKind::kXandikos ? 1u : 2u, results_.size());

    // A second run changes nothing on either side.
    const auto before = ServerCards();
    std::vector<double> modified;
    for (auto* contact : store_.contacts->Contacts())
        modified.push_back(contact->modified.value());
    ASSERT_EQ(Sync(), "");
    EXPECT_EQ(ServerCards(), before);
    std::vector<double> after;
    for (auto* contact : store_.contacts->Contacts())
        after.push_back(contact->modified.value());
    EXPECT_EQ(after, modified);
    EXPECT_EQ(store_.contacts->Contacts().size(), 2u);
}

// Servers with accounts and a read-only share: Radicale and the Apache front (Xandikos has neither).
class ContactsSyncWithShares : public ContactsSync {};

TEST_P(ContactsSyncWithShares, ReadOnlyShareBecomesAServerWinsFolder) {
    ASSERT_EQ(Sync(), "");
    fake::FakeFolder* shared = store_.contacts->FindFolder("Bob shared contacts (read only)");
    ASSERT_NE(shared, nullptr);
    ASSERT_EQ(shared->Contacts().size(), 1u);
    EXPECT_EQ(shared->Contacts()[0]->Field("FullName"), "Carol Example");
    EXPECT_EQ(guards_.readonly_folders.count(shared->entry_id), 1u);
    ASSERT_EQ(results_.size(), 2u);
    EXPECT_EQ(ResultFlag(shared->entry_id), "read-only");
    EXPECT_EQ(ResultFlag(store_.contacts->entry_id), "writable");

    // Local edits and additions in the read-only folder are undone; nothing is sent (PUT would be 403).
    shared->Contacts()[0]->fields["FullName"] = "Carol Edited";
    shared->Contacts()[0]->modified = platform::DateTime::NowLocal().AddSeconds(60);
    shared->AddContact("Local Only", "local@x.example");
    AgeIndexes();
    ASSERT_EQ(Sync(), "");
    ASSERT_EQ(shared->Contacts().size(), 1u);
    EXPECT_EQ(shared->Contacts()[0]->Field("FullName"), "Carol Example");
}

TEST_P(ContactsSync, ChangesOnEachSideReachTheOther) {
    ASSERT_EQ(OtherSide("put", BookUrl() + "eve.vcf", "--uid eve-1 --fn 'Eve Early' --email eve@x.example"),
              "201\n");
    auto kept = store_.contacts->AddContact("Kim Kept", "kim@x.example");
    auto dropped = store_.contacts->AddContact("Dan Dropped", "dan@x.example");
    ASSERT_EQ(Sync(), "");
    ASSERT_NE(OutlookContact("Eve Early"), nullptr);
    ASSERT_EQ(ServerCards().size(), 3u);

    // The other side edits Eve; Outlook edits Kim and deletes Dan.
    AgeIndexes();
    ASSERT_EQ(OtherSide("edit", BookUrl() + "eve.vcf", "--fn 'Eve Edited'"),
              IsXandikos() ? "204\n" : "201\n");
    kept->fields["FullName"] = "Kim Changed";
    kept->modified = platform::DateTime::NowLocal().AddSeconds(30);
    ASSERT_EQ(dropped->Delete(), S_OK);
    ASSERT_EQ(Sync(), "");
    EXPECT_NE(OutlookContact("Eve Edited"), nullptr);
    const auto cards = ServerCards();
    ASSERT_EQ(cards.size(), 2u);
    const std::string all = cards[0] + cards[1];
    EXPECT_NE(all.find("Kim Changed"), std::string::npos) << all;
    EXPECT_EQ(all.find("Dan Dropped"), std::string::npos) << all;

    // The other side deletes Eve.
    ASSERT_EQ(OtherSide("delete", BookUrl() + "eve.vcf"), IsXandikos() ? "204\n" : "200\n");
    ASSERT_EQ(Sync(), "");
    EXPECT_EQ(OutlookContact("Eve Edited"), nullptr);
    EXPECT_EQ(store_.contacts->Contacts().size(), 1u);
}

TEST_P(ContactsSync, GroupsTravelThroughCategories) {
    ASSERT_EQ(OtherSide("put", BookUrl() + "gus.vcf",
                        "--uid gus-1 --fn 'Gus Group' --email gus@x.example --categories Friends,Work"),
              "201\n");
    ASSERT_EQ(Sync(), "");
    ASSERT_NE(store_.contacts->FindList("Friends"), nullptr);
    ASSERT_NE(store_.contacts->FindList("Work"), nullptr);
    EXPECT_EQ(store_.contacts->FindList("Work")->MemberAddresses(),
              (std::vector<std::string>{"gus@x.example"}));

    // The other side leaves Work: the emptied list goes.
    AgeIndexes();
    ASSERT_EQ(OtherSide("edit", BookUrl() + "gus.vcf", "--fn 'Gus Group' --categories Friends"),
              IsXandikos() ? "204\n" : "201\n");
    ASSERT_EQ(Sync(), "");
    EXPECT_EQ(store_.contacts->FindList("Work"), nullptr);
    ASSERT_NE(store_.contacts->FindList("Friends"), nullptr);

    // Outlook puts Gus into Team: the server card lists both groups.
    AgeIndexes();
    fake::FakeContact* gus = OutlookContact("Gus Group");
    ASSERT_NE(gus, nullptr);
    {
        COutlookGroupsManager groups(store_.contacts);
        groups.AddContactToGroup("gus@x.example", "Team");
    }
    gus->modified = platform::DateTime::NowLocal().AddSeconds(30);
    ASSERT_EQ(Sync(), "");
    const auto cards = ServerCards();
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_NE(cards[0].find("\"categories\": [\"Friends\", \"Team\"]"), std::string::npos) << cards[0];
}

TEST_P(ContactsSyncWithShares, ExistingFolderOfAReadOnlyBookAsksBeforeOverwriting) {
    auto existing = store_.contacts->AddFolder("Bob shared contacts (read only)");
    existing->AddContact("Mine", "mine@x.example");
    {
        Answers no(platform::IDNO);
        ASSERT_EQ(Sync(), "");
        ASSERT_EQ(no.asked.size(), 1u);
        EXPECT_EQ(no.asked[0],
                  "Bob shared contacts (read only) folder already exists in Outlook. Overwrite it from the "
                  "server?");
        EXPECT_FALSE(existing->deleted);
        ASSERT_EQ(existing->Contacts().size(), 1u);
        EXPECT_EQ(results_.size(), 1u);
    }
    {
        Answers yes(platform::IDYES);
        ASSERT_EQ(Sync(), "");
        EXPECT_EQ(yes.asked.size(), 1u);
        EXPECT_TRUE(existing->deleted);
        fake::FakeFolder* replaced = store_.contacts->FindFolder("Bob shared contacts (read only)");
        ASSERT_NE(replaced, nullptr);
        ASSERT_EQ(replaced->Contacts().size(), 1u);
        EXPECT_EQ(replaced->Contacts()[0]->Field("FullName"), "Carol Example");
        EXPECT_EQ(results_.size(), 2u);
    }
}

TEST_P(ContactsSync, StaleEntityTagIsRefused) {
    CDavServer dav(server().url(), kDavUser, kDavPassword);
    ASSERT_EQ(OtherSide("put", BookUrl() + "ray.vcf", "--uid ray-1 --fn 'Ray Race' --email ray@x.example"),
              "201\n");
    std::vector<std::shared_ptr<CCardDavContact>> contacts;
    CCardDavContact::LoadFromServer(&dav, BookPath(), &contacts);
    ASSERT_EQ(contacts.size(), 1u);
    ASSERT_FALSE(contacts[0]->GetETag().empty());
    ASSERT_EQ(OtherSide("edit", BookUrl() + "ray.vcf", "--fn 'Ray Raced'"), IsXandikos() ? "204\n" : "201\n");
    contacts[0]->SetVCard(
        "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:ray-1\r\nFN:Lost update\r\nN:;;;;\r\nEND:VCARD\r\n");
    try {
        contacts[0]->Save();
        FAIL() << "no exception";
    } catch (CAddinException& error) {
        EXPECT_EQ(error.GetCode(), kErrorBadStatus);
        EXPECT_EQ(error.GetMessage(), "Bad response status. HTTP error code: 412");
    }
    EXPECT_NE(ServerCards()[0].find("Ray Raced"), std::string::npos);
}

TEST_P(ContactsSync, ContactWithoutNameIsAccepted) {
    auto nameless = store_.contacts->AddContact("", "");
    nameless->fields["CompanyName"] = "Nameless Ltd";
    ASSERT_EQ(Sync(), "");
    const auto cards = ServerCards();
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_NE(cards[0].find("\"fn\": \"Nameless Ltd\""), std::string::npos) << cards[0];
}

INSTANTIATE_TEST_SUITE_P(Servers, ContactsSync,
                         ::testing::Values(DavServerKind::kRadicale, DavServerKind::kApacheDigest,
                                           DavServerKind::kXandikos),
                         testing_support::NameOfDavServerKind);
INSTANTIATE_TEST_SUITE_P(Servers, ContactsSyncWithShares,
                         ::testing::Values(DavServerKind::kRadicale, DavServerKind::kApacheDigest),
                         testing_support::NameOfDavServerKind);

}  // namespace
