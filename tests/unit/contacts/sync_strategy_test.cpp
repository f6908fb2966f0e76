#include <gtest/gtest.h>

#include "contact_test_support.h"
#include "contacts/addressbooks_synchronizer.h"
#include "contacts/card_dav_addressbook.h"
#include "contacts/internal/sync_dates.h"
#include "contacts/outlook_addressbook.h"
#include "dav/dav_server.h"
#include "index/index_store.h"
#include "settings/addin_exception.h"
#include "support/temp_home.h"
#include "unit/contacts/fake_outlook.h"
#include "unit/dav/fake_http_request.h"

namespace {

using dav_test::FakeAnswer;
using outlook::ComPtr;
using platform::DateTime;

const DateTime kSynced = DateTime::FromParts(2024, 5, 1, 12, 0, 0);

TEST(SyncDates, LaterOnlyBeyondThreeSeconds) {
    struct Row {
        double seconds;
        bool later;
    } rows[] = {{0, false},   {2, false},   {3, false},
                {3.4, false}, {3.6, true},  {4, true},
                {10, true},   {-10, false}, {86400.0 * 365 * 100, true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.seconds);
        const DateTime a = DateTime::FromValue(kSynced.value() + row.seconds / 86400.0);
        EXPECT_EQ(contacts::IsLater(a, kSynced), row.later);
    }
}

std::string HeaderOf(const dav_test::SentRequest& request) {
    for (const auto& [name, value] : request.headers) {
        if (name == "If-Match")
            return value;
    }
    return "<none>";
}

std::string HttpDate(const DateTime& utc) {
    return utc.Format("%a, %d %b %Y %H:%M:%S GMT");
}

class ContactPairs : public ::testing::Test {
  protected:
    ContactPairs() : zone_("UTC") {}

    // The server book /alice/book/ with these cards: href name -> (FN, last modified or invalid).
    void ServerHas(std::initializer_list<std::pair<std::string, DateTime>> cards) {
        std::string responses;
        for (const auto& [name, modified] : cards) {
            responses +=
                "<d:response><d:href>/alice/book/" + name + ".vcf</d:href><d:propstat><d:prop><d:getetag>\"" +
                name + "\"</d:getetag><card:address-data>BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Server " + name +
                "\r\nEMAIL;TYPE=home:" + name + "@x.example\r\nEND:VCARD\r\n</card:address-data>" +
                (modified.IsValid() ? "<d:getlastmodified>" + HttpDate(modified) + "</d:getlastmodified>"
                                    : std::string()) +
                "</d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>";
        }
        fake_->answers.push_back(
            FakeAnswer{S_OK,
                       207,
                       {},
                       "<d:multistatus xmlns:d=\"DAV:\" xmlns:card=\"urn:ietf:params:xml:ns:"
                       "carddav\">" +
                           responses + "</d:multistatus>"});
        server_book_ = std::make_shared<CCardDavAddressbook>(&server_, false);
        server_book_->SetHref("/alice/book/");
        server_book_->LoadContacts();
        fake_->sent.clear();
    }

    void Paired(const std::string& name, const ComPtr<fake::FakeContact>& contact) {
        SyncIndex index = OpenAddressBookIndex(store_.contacts->entry_id);
        ASSERT_TRUE(
            index.Add("/alice/book/" + name + ".vcf", contact ? contact->entry_id : "GONE" + name, kSynced));
        ASSERT_TRUE(index.Save());
    }

    void Run(bool bidirectional, int answers = 0, int status = 201) {
        for (int i = 0; i < answers; ++i)
            fake_->answers.push_back(FakeAnswer{S_OK, status, {}, ""});
        CAddressbooksSynchronizer synchronizer;
        synchronizer.Synchronize(COutlookAddressbook::Create(store_.contacts, nullptr), server_book_,
                                 bidirectional);
    }

    std::vector<IndexRecord> Records() { return OpenAddressBookIndex(store_.contacts->entry_id).Records(); }

    contacts_test::ScopedTimeZone zone_;
    testing_support::TempHome home_;
    fake::FakeStore store_;
    std::shared_ptr<dav_test::FakeServer> fake_ = std::make_shared<dav_test::FakeServer>();
    CDavServer server_{"http://127.0.0.1:1/", "alice", "secret", dav_test::FactoryFor(fake_)};
    std::shared_ptr<CCardDavAddressbook> server_book_;
};

TEST_F(ContactPairs, NewOnEachSideIsCopiedAndPaired) {
    ServerHas({{"s1", kSynced}});
    auto ann = store_.contacts->AddContact("Ann", "ann@x.example");
    Run(true, 1);
    ASSERT_EQ(fake_->sent.size(), 1u);
    EXPECT_EQ(fake_->sent[0].method, "PUT");
    EXPECT_EQ(fake_->sent[0].url, "http://127.0.0.1:1/alice/book/" + ann->entry_id + ".vcf");
    EXPECT_NE(fake_->sent[0].body.find("\r\nUID:" + ann->entry_id + "\r\n"), std::string::npos);
    ASSERT_EQ(store_.contacts->Contacts().size(), 2u);
    auto* created = store_.contacts->Contacts()[1];
    EXPECT_EQ(created->Field("FullName"), "Server s1");
    const auto records = Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].ServerId, "/alice/book/" + ann->entry_id + ".vcf");
    EXPECT_EQ(records[0].OutlookId, ann->entry_id);
    EXPECT_EQ(records[1].ServerId, "/alice/book/s1.vcf");
    EXPECT_EQ(records[1].OutlookId, created->entry_id);
}

TEST_F(ContactPairs, DeletionsFollowTheOtherSide) {
    ServerHas({{"kept", kSynced}, {"gone-in-outlook", kSynced}});
    auto kept = store_.contacts->AddContact("Kept", "kept@x.example");
    kept->modified = kSynced;
    auto gone_on_server = store_.contacts->AddContact("Gone", "gone@x.example");
    Paired("kept", kept);
    Paired("gone-in-outlook", nullptr);
    Paired("gone-on-server", gone_on_server);
    Run(true, 1);
    ASSERT_EQ(fake_->sent.size(), 1u);
    EXPECT_EQ(fake_->sent[0].method, "DELETE");
    EXPECT_EQ(fake_->sent[0].url, "http://127.0.0.1:1/alice/book/gone-in-outlook.vcf");
    EXPECT_TRUE(gone_on_server->deleted);
    EXPECT_FALSE(kept->deleted);
    const auto records = Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].ServerId, "/alice/book/kept.vcf");
    EXPECT_EQ(records[0].synchDate.value(), kSynced.value());
}

TEST_F(ContactPairs, ChangedPairGoesFromTheLaterSide) {
    struct Row {
        const char* name;
        int outlook_seconds;
        int server_seconds;
        const char* expected;  // "put", "take" or "none"
    } rows[] = {
        {"outlook 2 s later, server unchanged", 2, 0, "none"},
        {"outlook 10 s, server 5 s", 10, 5, "put"},
        {"outlook 3 s after the server", 8, 5, "take"},
        {"server later", 5, 60, "take"},
        {"server without date, outlook changed", 60, -1, "put"},
        {"server without date, outlook unchanged", 0, -1, "none"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fake::FakeStore store;
        store_.contacts = store.contacts;
        DeleteAllIndexes();
        auto contact = store_.contacts->AddContact("Outlook", "o@x.example");
        contact->modified = kSynced.AddSeconds(row.outlook_seconds);
        ServerHas({{"pair",
                    row.server_seconds < 0 ? DateTime::Invalid() : kSynced.AddSeconds(row.server_seconds)}});
        Paired("pair", contact);
        Run(true, 1, 204);
        const std::string expected = row.expected;
        EXPECT_EQ(fake_->sent.size(), expected == "put" ? 1u : 0u);
        EXPECT_EQ(contact->Field("FullName"), expected == "take" ? "Server pair" : "Outlook");
        const auto records = Records();
        ASSERT_EQ(records.size(), 1u);
        if (expected == "none") {
            EXPECT_EQ(records[0].synchDate.value(), kSynced.value());
        } else {
            EXPECT_GT(records[0].synchDate.value(), kSynced.value());
        }
        fake_->answers.clear();
        fake_->sent.clear();
        store_.contacts = nullptr;
    }
}

TEST_F(ContactPairs, ConflictKeepsTheOldRecordAndOtherContactsGoOn) {
    ServerHas({{"a", kSynced}, {"b", kSynced}});
    auto a = store_.contacts->AddContact("A", "a@x.example");
    a->modified = kSynced.AddSeconds(100);
    auto b = store_.contacts->AddContact("B", "b@x.example");
    b->modified = kSynced.AddSeconds(100);
    Paired("a", a);
    Paired("b", b);
    fake_->answers.push_back(FakeAnswer{S_OK, 412, {}, ""});
    fake_->answers.push_back(FakeAnswer{S_OK, 201, {}, ""});
    try {
        Run(true);
        FAIL() << "no exception";
    } catch (CAddinException& error) {
        EXPECT_EQ(error.GetCode(), kErrorBadStatus);
        EXPECT_NE(error.GetMessage().find("412"), std::string::npos);
    }
    // The conflicting pair is not tried again from the server side.
    ASSERT_EQ(fake_->sent.size(), 2u);
    EXPECT_EQ(HeaderOf(fake_->sent[0]), "\"a\"");
    EXPECT_EQ(HeaderOf(fake_->sent[1]), "\"b\"");
    for (const IndexRecord& record : Records()) {
        SCOPED_TRACE(record.ServerId);
        if (record.ServerId == "/alice/book/a.vcf") {
            EXPECT_EQ(record.synchDate.value(), kSynced.value());
        } else {
            EXPECT_GT(record.synchDate.value(), kSynced.value());
        }
    }
}

TEST_F(ContactPairs, ServerWinsOnReadOnlyBooks) {
    ServerHas({{"restored", kSynced}, {"changed", kSynced}, {"gone-on-server", kSynced.AddSeconds(-100)}});
    auto local_only = store_.contacts->AddContact("Local", "local@x.example");
    auto changed = store_.contacts->AddContact("Edited locally", "changed@x.example");
    changed->modified = kSynced.AddSeconds(50);
    auto gone = store_.contacts->AddContact("Gone", "gone@x.example");
    Paired("restored", nullptr);
    Paired("changed", changed);
    Paired("removed", gone);
    Run(false);
    EXPECT_TRUE(fake_->sent.empty());
    EXPECT_TRUE(local_only->deleted);
    EXPECT_TRUE(gone->deleted);
    EXPECT_EQ(changed->Field("FullName"), "Server changed");
    std::vector<std::string> names;
    for (auto* contact : store_.contacts->Contacts())
        names.push_back(contact->Field("FullName"));
    EXPECT_EQ(names,
              (std::vector<std::string>{"Server changed", "Server restored", "Server gone-on-server"}));
    // The record of the contact deleted on the server stays; the restored one points at the new contact.
    bool removed_kept = false;
    for (const IndexRecord& record : Records()) {
        if (record.ServerId == "/alice/book/removed.vcf")
            removed_kept = true;
        if (record.ServerId == "/alice/book/restored.vcf") {
            EXPECT_EQ(record.OutlookId, store_.contacts->Contacts()[1]->entry_id);
        }
    }
    EXPECT_TRUE(removed_kept);
}

TEST_F(ContactPairs, WithoutServerDatesAChangedEntityTagIsAServerChange) {
    for (const char* kept_tag : {"\"pair\"", "\"old\""}) {
        SCOPED_TRACE(kept_tag);
        DeleteAllIndexes();
        auto contact = store_.contacts->AddContact("Outlook", "o@x.example");
        contact->modified = kSynced;
        ServerHas({{"pair", DateTime::Invalid()}});
        Paired("pair", contact);
        SyncIndex tags = OpenAddressBookIndex(store_.contacts->entry_id + ".etag");
        ASSERT_TRUE(tags.Add("/alice/book/pair.vcf", kept_tag, kSynced));
        ASSERT_TRUE(tags.Save());
        Run(true);
        EXPECT_TRUE(fake_->sent.empty());
        EXPECT_EQ(contact->Field("FullName"), std::string(kept_tag) == "\"old\"" ? "Server pair" : "Outlook");
        const SyncIndex kept = OpenAddressBookIndex(store_.contacts->entry_id + ".etag");
        ASSERT_EQ(kept.Records().size(), 1u);
        EXPECT_EQ(kept.Records()[0].OutlookId, "\"pair\"");
        ASSERT_EQ(contact->Delete(), S_OK);
    }
}

TEST_F(ContactPairs, UploadedContactLeavesNoEntityTagBehind) {
    ServerHas({{"pair", DateTime::Invalid()}});
    auto contact = store_.contacts->AddContact("Outlook", "o@x.example");
    contact->modified = kSynced.AddSeconds(60);
    Paired("pair", contact);
    Run(true, 1);
    ASSERT_EQ(fake_->sent.size(), 1u);
    EXPECT_TRUE(OpenAddressBookIndex(store_.contacts->entry_id + ".etag").Records().empty());
}

TEST_F(ContactPairs, FailedOutlookSaveLeavesTheServerContactUnpaired) {
    ServerHas({{"s1", kSynced}});
    store_.fail_contact_save = E_FAIL;
    try {
        Run(true);
        FAIL() << "no exception";
    } catch (const CAddinException& error) {
        EXPECT_EQ(error.GetCode(), kErrorUnknown);
    }
    EXPECT_TRUE(Records().empty());
    EXPECT_TRUE(fake_->sent.empty());
}

}  // namespace
