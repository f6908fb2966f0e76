// Contact synchronization end to end with the host's Outlook on one side and a third-party client
// (python3-vobject) on the other: the round trip and the card corpus against Radicale, Apache Digest in
// front of Radicale and Xandikos, the rest against Radicale.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "contacts/card_dav_addressbook.h"
#include "contacts/card_dav_contact.h"
#include "contacts/card_dav_synchronizer.h"
#include "contacts/contact_readonly_guards.h"
#include "contacts/outlook_contact.h"
#include "contacts/outlook_groups_manager.h"
#include "outlook/status.h"
#include "platform/message_box.h"
#include "readonly/readonly_guards.h"
#include "settings/addin_exception.h"
#include "settings/log.h"
#include "support/dav_servers.h"
#include "support/host_outlook.h"
#include "support/recorded_message_boxes.h"
#include "unit/contacts/card_corpus.h"
#include "unit/contacts/contact_test_support.h"

namespace {

using testing_support::HostOutlook;
using Lists = std::map<std::string, std::vector<std::string>>;
using testing_support::DavServerKind;
using testing_support::kDavPassword;
using testing_support::kDavUser;

class ContactsSync : public testing_support::DavServerTest {
  protected:
    void SetUp() override {
        DavServerTest::SetUp();
        if (IsSkipped())
            return;
        std::filesystem::create_directories(outlook_.home.app_data() + "/Velmarquin");
        SetLogEnabled(true);
        ASSERT_EQ(OtherSide("clear", BookUrl()), "");
    }
    void TearDown() override { SetLogEnabled(false); }

    bool IsXandikos() const { return GetParam() == DavServerKind::kXandikos; }
    std::string BookPath() const {
        return IsXandikos() ? "/alice/contacts/addressbook/" : "/alice/addressbook/";
    }
    std::string BookUrl() const { return server().url() + BookPath().substr(1); }
    // What a PUT over an existing card answers.
    std::string Replaced() const { return IsXandikos() ? "204\n" : "201\n"; }

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
        EXPECT_EQ(pclose(pipe), 0) << line << "\n" << output;
        return output;
    }

    // One contact run; "" or the failure's message.
    std::string Sync(IReadonlyGuards* guards = nullptr) {
        results_.clear();
        auto error = contacts_test::ErrorOf([&] {
            CCardDavSynchronizer(server().url(), kDavUser, kDavPassword, outlook_.app, guards)
                .Synchronize(&results_);
        });
        return error ? error->GetMessage() : "";
    }
    // How the run reported the folder: "writable", "read-only" or "absent" (Radicale lists books in no
    // stable order).
    std::string ResultFlag(const std::string& folder) const {
        for (const SyncResultEntry& entry : results_) {
            if (entry.folder_key == folder)
                return entry.flag ? "read-only" : "writable";
        }
        return "absent";
    }
    outlook::ComPtr<outlook::ContactItem> Find(const std::string& full_name) {
        for (const std::string& id : outlook_.ContactIds()) {
            if (outlook_.Field(id, "FullName") == full_name)
                return outlook_.Contact(id);
        }
        return nullptr;
    }
    // The date rule ignores changes within three seconds of the last run.
    static void LetTheRunAge() { std::this_thread::sleep_for(std::chrono::seconds(4)); }

    HostOutlook outlook_;
    SyncResultList results_;
};

TEST_P(ContactsSync, ContactsGroupsAndDeletionsTravelBothWays) {
    outlook_.AddContact({{"FullName", "Olive Outlook"}, {"Email1Address", "olive@outlook.example"}});
    outlook_.AddContact({{"FullName", "Dan Dropped"}, {"Email1Address", "dan@outlook.example"}});
    outlook_.AddContact({{"CompanyName", "Nameless Ltd"}});
    ASSERT_EQ(OtherSide("put", BookUrl() + "sam.vcf",
                        "--uid sam-1 --fn 'Sam Server' --email sam@server.example --categories Friends,Work"),
              "201\n");
    ASSERT_EQ(Sync(), "");
    EXPECT_EQ(ResultFlag(HostOutlook::EntryId(outlook_.contacts.get())), "writable");
    EXPECT_EQ(results_.size(), IsXandikos() ? 1u : 2u);
    ASSERT_NE(Find("Sam Server"), nullptr);
    EXPECT_EQ(outlook_.Field(HostOutlook::EntryId(Find("Sam Server").get()), "Email1Address"),
              "sam@server.example");
    EXPECT_EQ(outlook_.Lists(),
              (Lists{{"Friends", {"sam@server.example"}}, {"Work", {"sam@server.example"}}}));
    const std::string listed = OtherSide("list", BookUrl());
    EXPECT_NE(listed.find("\"fn\": \"Olive Outlook\""), std::string::npos) << listed;
    EXPECT_NE(listed.find("\"fn\": \"Nameless Ltd\""), std::string::npos) << listed;

    // A run with no change leaves both sides alone.
    platform::DateTime before;
    platform::DateTime after;
    ASSERT_EQ(Find("Olive Outlook")->get_LastModificationTime(&before), S_OK);
    ASSERT_EQ(Sync(), "");
    ASSERT_EQ(Find("Olive Outlook")->get_LastModificationTime(&after), S_OK);
    EXPECT_EQ(after.value(), before.value());
    EXPECT_EQ(OtherSide("list", BookUrl()), listed);
    EXPECT_EQ(outlook_.ContactIds().size(), 4u);

    // One change at a time, each after a run that wrote nothing and so kept the book's collection tag:
    // Outlook deletes Dan; Outlook renames Olive and puts her into Team; the other side renames Sam and
    // leaves Work.
    LetTheRunAge();
    ASSERT_EQ(Find("Dan Dropped")->Delete(), S_OK);
    ASSERT_EQ(Sync(), "");
    EXPECT_EQ(OtherSide("list", BookUrl()).find("Dan Dropped"), std::string::npos);
    ASSERT_EQ(Sync(), "");
    COutlookGroupsManager(outlook_.contacts).AddContactToGroup("olive@outlook.example", "Team");
    outlook_.Edit(Find("Olive Outlook").get(), {{"FullName", "Olive Renamed"}});
    ASSERT_EQ(Sync(), "");
    ASSERT_EQ(Sync(), "");
    ASSERT_EQ(OtherSide("edit", BookUrl() + "sam.vcf", "--fn 'Sam Renamed' --categories Friends"),
              Replaced());
    ASSERT_EQ(Sync(), "");
    EXPECT_NE(Find("Sam Renamed"), nullptr);
    EXPECT_EQ(outlook_.Lists(),
              (Lists{{"Friends", {"sam@server.example"}}, {"Team", {"olive@outlook.example"}}}));
    const std::string relisted = OtherSide("list", BookUrl());
    EXPECT_NE(relisted.find("\"categories\": [\"Team\"], \"email\": [\"olive@outlook.example\"], \"fn\": "
                            "\"Olive Renamed\""),
              std::string::npos)
        << relisted;

    // The other side deletes Sam: his contact and the emptied list go.
    ASSERT_EQ(OtherSide("delete", BookUrl() + "sam.vcf"), IsXandikos() ? "204\n" : "200\n");
    ASSERT_EQ(Sync(), "");
    EXPECT_EQ(outlook_.Names(), (std::vector<std::string>{"Olive Renamed", ""}));
    EXPECT_EQ(outlook_.Lists(), (Lists{{"Team", {"olive@outlook.example"}}}));
}

// The corpus as other clients put it on the server: read into the store field by field; then one phone
// changed locally goes back over the server's card and nothing else of it changes.
TEST_P(ContactsSync, CorpusCardsComeInWholeAndALocalEditChangesOnlyItsLine) {
    std::vector<contacts_test::CorpusCard> cards;
    for (contacts_test::CorpusCard& card : contacts_test::LoadCardCorpus()) {
        // vCard 2.1 is a file format, not one CardDAV carries (Radicale refuses it).
        if (card.text.find("\r\nVERSION:2.1\r\n") == std::string::npos)
            cards.push_back(std::move(card));
    }
    ASSERT_GE(cards.size(), 8u);
    std::map<std::string, std::string> before;
    for (const contacts_test::CorpusCard& card : cards) {
        const std::string url = BookUrl() + card.name + ".vcf";
        ASSERT_EQ(OtherSide("putfile", url, "--file " VELSYNC_CONTACTS_DATA "/cards/" + card.name + ".vcf"),
                  "201\n");
        before[card.name] = OtherSide("get", url);
    }
    ASSERT_EQ(Sync(), "");
    for (const contacts_test::CorpusCard& card : cards) {
        SCOPED_TRACE(card.name);
        auto contact = Find(card.fields.at("FullName"));
        ASSERT_NE(contact, nullptr);
        const int pref = COutlookContact(nullptr, contact, false, nullptr).GetPreferredSlot();
        contacts_test::ExpectReadAsExpected(outlook_, HostOutlook::EntryId(contact.get()), card, pref);
    }

    LetTheRunAge();
    for (const contacts_test::CorpusCard& card : cards)
        outlook_.Edit(Find(card.fields.at("FullName")).get(), {{card.edit_field, card.edit_value}});
    ASSERT_EQ(Sync(), "");
    for (const contacts_test::CorpusCard& card : cards) {
        SCOPED_TRACE(card.name);
        // Radicale stores cards in its own form (lines ordered, TYPE parameters joined): values compared.
        contacts_test::ExpectOnlyTheEditDiffers(card, before[card.name],
                                                OtherSide("get", BookUrl() + card.name + ".vcf"), true);
    }
}

// Another client stored a card that is not UTF-8. Xandikos cannot serialize it and answers the book's
// query with 500: that card alone fails, new or paired (its contact kept, nothing written over it),
// until it is mended. Radicale (and Apache in front of it) read it as Latin-1 and serve it.
TEST_P(ContactsSync, ACardTheServerCannotServeCostsOnlyItself) {
    const std::string bad = BookUrl() + "bad.vcf";
    const auto replace_bad = [&](const std::string& file) {
        ASSERT_EQ(OtherSide("delete", bad), IsXandikos() ? "204\n" : "200\n");
        ASSERT_EQ(OtherSide("putfile", bad, "--file " VELSYNC_CONTACTS_DATA "/" + file), "201\n");
    };
    ASSERT_EQ(OtherSide("put", BookUrl() + "good.vcf", "--uid good-1 --fn 'Good Server'"), "201\n");
    ASSERT_EQ(OtherSide("putfile", bad, "--file " VELSYNC_CONTACTS_DATA "/put-invalid-utf8.vcf"), "201\n");
    outlook_.AddContact({{"FullName", "Local Ann"}});
    const std::string failed = Sync();
    EXPECT_NE(OtherSide("list", BookUrl()).find("Local Ann"), std::string::npos);
    EXPECT_NE(Find("Good Server"), nullptr);
    if (IsXandikos()) {
        EXPECT_EQ(failed.rfind("1 contact(s) could not be synchronized", 0), 0u) << failed;
        // Runs that write nothing record no collection tag while a card fails: the unchanged book is
        // read again each time, never skipped as equal.
        for (int run = 0; run < 2; ++run)
            EXPECT_EQ(Sync(), failed);
    } else {
        EXPECT_EQ(failed, "");
        EXPECT_NE(Find("Bad \xc3\xbf\xc3\xbe Name"), nullptr);
    }
    replace_bad("put-invalid-utf8-mended.vcf");
    ASSERT_EQ(Sync(), "");
    ASSERT_NE(Find("Mended Name"), nullptr);

    // The paired card goes bad.
    replace_bad("put-invalid-utf8.vcf");
    EXPECT_EQ(Sync(), failed);
    EXPECT_NE(Find(IsXandikos() ? "Mended Name" : "Bad \xc3\xbf\xc3\xbe Name"), nullptr);
    EXPECT_NE(OtherSide("get", bad).find("FN:Bad "), std::string::npos);
    replace_bad("put-invalid-utf8-mended.vcf");
    ASSERT_EQ(Sync(), "");
    std::vector<std::string> names = outlook_.Names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Good Server", "Local Ann", "Mended Name"}));
}

// One server is enough from here: the behaviour is the client's, the server only has to honour If-Match
// and list Bob's read-only share.
class ContactsSyncOnRadicale : public ContactsSync {
  protected:
    static constexpr const char* kShared = "Bob shared contacts (read only)";
};

TEST_P(ContactsSyncOnRadicale, StaleEntityTagIsRefused) {
    CDavServer dav(server().url(), kDavUser, kDavPassword);
    ASSERT_EQ(OtherSide("put", BookUrl() + "ray.vcf", "--uid ray-1 --fn 'Ray Race' --email ray@x.example"),
              "201\n");
    std::vector<std::shared_ptr<CCardDavContact>> contacts;
    std::vector<std::string> unreadable;
    CCardDavContact::LoadFromServer(&dav, BookPath(), &contacts, &unreadable);
    ASSERT_EQ(contacts.size(), 1u);
    ASSERT_FALSE(contacts[0]->GetETag().empty());
    ASSERT_EQ(OtherSide("edit", BookUrl() + "ray.vcf", "--fn 'Ray Raced'"), Replaced());
    contacts[0]->SetVCard("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:ray-1\r\nFN:Lost update\r\nEND:VCARD\r\n");
    auto error = contacts_test::ErrorOf([&] { contacts[0]->Save(); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->GetCode(), kErrorBadStatus);
    EXPECT_EQ(error->GetMessage(), "Bad response status. HTTP error code: 412");
    EXPECT_EQ(error->GetKind(), FailureKind::kConflict);
    EXPECT_NE(OtherSide("list", BookUrl()).find("Ray Raced"), std::string::npos);
    // What a conflicting PUT reads to pair with: the server's card as it is now.
    const auto current = CCardDavContact::LoadOne(&dav, BookPath(), contacts[0]->GetHref());
    ASSERT_TRUE(current);
    EXPECT_NE(current->GetVCard().find("Ray Raced"), std::string::npos);
    EXPECT_FALSE(CCardDavContact::LoadOne(&dav, BookPath(), BookPath() + "nobody.vcf"));
}

TEST_P(ContactsSyncOnRadicale, ReadOnlyShareReplacesAFolderOnlyWhenAskedAndIsServerWinsUnderTheGuards) {
    // A folder of the share's name already exists: a "no" keeps it and leaves the share unpaired.
    auto existing = outlook_.AddFolder(kShared);
    const std::string existing_id = HostOutlook::EntryId(existing.get());
    outlook_.AddContact({{"FullName", "Mine"}}, existing.get());
    {
        testing_support::RecordedMessageBoxes no(platform::IDNO);
        ASSERT_EQ(Sync(), "");
        EXPECT_EQ(no.Shown().size(), 1u);
        EXPECT_EQ(outlook_.Names(existing.get()), std::vector<std::string>{"Mine"});
        EXPECT_EQ(results_.size(), 1u);
    }
    CReadonlyGuards guards;
    guards.SetUp(outlook_.app.get());
    CContactReadonlyGuards link(&guards);
    {
        testing_support::RecordedMessageBoxes yes(platform::IDYES);
        ASSERT_EQ(Sync(&link), "");
        EXPECT_EQ(yes.Shown().size(), 1u);
    }
    auto shared = outlook_.Folders()[kShared];
    ASSERT_NE(shared, nullptr);
    const std::string shared_id = HostOutlook::EntryId(shared.get());
    EXPECT_NE(shared_id, existing_id);
    bool address_book = false;
    ASSERT_EQ(shared->get_ShowAsOutlookAB(&address_book), S_OK);
    EXPECT_TRUE(address_book);
    EXPECT_TRUE(guards.IsReadonlyFolder(shared_id));
    EXPECT_EQ(ResultFlag(shared_id), "read-only");
    EXPECT_EQ(ResultFlag(HostOutlook::EntryId(outlook_.contacts.get())), "writable");
    // Carol's card has an EMAIL line without TYPE; it still reaches the first slot.
    const auto carol = outlook_.ContactIds(shared.get());
    ASSERT_EQ(carol.size(), 1u);
    EXPECT_EQ(outlook_.Field(carol[0], "FullName"), "Carol Example");
    EXPECT_EQ(outlook_.Field(carol[0], "Email1Address"), "carol@example.org");
    // The synchronization's own contact got in; the user cannot delete it.
    EXPECT_EQ(outlook_.Contact(carol[0])->Delete(), outlook::MAPI_E_USER_CANCEL);
    ASSERT_EQ(Sync(&link), "");
    guards.Shutdown();

    // Edits and additions that got in anyway are undone; nothing is sent (a PUT would be refused).
    LetTheRunAge();
    outlook_.Edit(outlook_.Contact(carol[0]).get(), {{"FullName", "Carol Edited"}});
    outlook_.AddContact({{"FullName", "Local Only"}}, shared.get());
    ASSERT_EQ(Sync(), "");
    EXPECT_EQ(outlook_.Names(shared.get()), std::vector<std::string>{"Carol Example"});
}

INSTANTIATE_TEST_SUITE_P(Servers, ContactsSync,
                         ::testing::Values(DavServerKind::kRadicale, DavServerKind::kApacheDigest,
                                           DavServerKind::kXandikos),
                         testing_support::NameOfDavServerKind);
INSTANTIATE_TEST_SUITE_P(Servers, ContactsSyncOnRadicale, ::testing::Values(DavServerKind::kRadicale),
                         testing_support::NameOfDavServerKind);

}  // namespace
