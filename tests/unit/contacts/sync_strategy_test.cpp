#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "contact_test_support.h"
#include "contacts/addressbooks_synchronizer.h"
#include "contacts/card_dav_addressbook.h"
#include "contacts/internal/sync_dates.h"
#include "contacts/outlook_addressbook.h"
#include "dav/dav_server.h"
#include "host/fault_hook.h"
#include "index/index_store.h"
#include "settings/addin_exception.h"
#include "support/data_rows.h"
#include "unit/contacts/dav_answers.h"

namespace {

using namespace contacts_test;
using dav_test::FakeAnswer;
using dav_test::HeaderOf;
using outlook::ComPtr;
using platform::DateTime;

TEST(SyncDates, LaterOnlyBeyondThreeSeconds) {
    const DateTime base = DateTime::FromParts(2024, 5, 1, 12, 0, 0);
    for (const auto& row : testing_support::ReadDataRows(VELSYNC_TEST_DATA "/sync/later-rows.txt", 2)) {
        SCOPED_TRACE(row[0]);
        EXPECT_EQ(contacts::IsLater(DateTime::FromValue(base.value() + std::stod(row[0]) / 86400.0), base),
                  row[1] == "yes");
    }
}

// Contacts saved in a test are modified within a second or two after `synced_`, the time of the last
// run the index records; an earlier record date makes a contact changed since.
class ContactPairs : public ::testing::Test {
  protected:
    // The server book /alice/book/ with these cards: href name -> last modified (or invalid: none).
    void ServerHas(std::initializer_list<std::pair<std::string, DateTime>> cards) {
        std::string responses;
        for (const auto& [name, modified] : cards) {
            responses += Card("/alice/book/" + name + ".vcf", "Server " + name,
                              modified.IsValid()
                                  ? "<d:getlastmodified>" + modified.Format("%a, %d %b %Y %H:%M:%S GMT") +
                                        "</d:getlastmodified>"
                                  : "");
        }
        fake_->answers.push_back(FakeAnswer{S_OK, 207, {}, Multistatus(responses)});
        server_book_ = std::make_shared<CCardDavAddressbook>(&server_, false);
        server_book_->SetHref("/alice/book/");
        server_book_->LoadContacts();
        fake_->sent.clear();
    }
    ComPtr<outlook::ContactItem> Add(const std::string& name) {
        return outlook_.AddContact({{"FullName", name}, {"Email1Address", name + "@x.example"}});
    }
    // Records the pair as synchronized `seconds_ago` before `synced_` (a null contact: deleted since).
    void Paired(const std::string& name, const ComPtr<outlook::ContactItem>& contact, int seconds_ago = 0) {
        SyncIndex index = OpenAddressBookIndex(book_id_);
        ASSERT_TRUE(index.Add("/alice/book/" + name + ".vcf",
                              contact ? HostOutlook::EntryId(contact.get()) : "GONE" + name,
                              synced_.AddSeconds(-seconds_ago)));
        ASSERT_TRUE(index.Save());
    }
    SyncCounters Run(bool bidirectional, int answers = 0, int status = 201) {
        for (int i = 0; i < answers; ++i)
            fake_->answers.push_back(FakeAnswer{S_OK, status, {}, ""});
        CAddressbooksSynchronizer synchronizer;
        return synchronizer.Synchronize(COutlookAddressbook::Create(outlook_.contacts, nullptr), server_book_,
                                        bidirectional);
    }
    std::vector<IndexRecord> Records() { return OpenAddressBookIndex(book_id_).Records(); }

    contacts_test::ScopedTimeZone zone_{"UTC"};
    const DateTime synced_ =
        DateTime::FromValue(std::floor(DateTime::NowLocal().value() * 86400.0) / 86400.0);
    HostOutlook outlook_;
    const std::string book_id_ = HostOutlook::EntryId(outlook_.contacts.get());
    std::shared_ptr<dav_test::FakeServer> fake_ = std::make_shared<dav_test::FakeServer>();
    CDavServer server_{"http://127.0.0.1:1/", "alice", "secret", dav_test::FactoryFor(fake_)};
    std::shared_ptr<CCardDavAddressbook> server_book_;
};

TEST_F(ContactPairs, NewContactsAreCopiedAndPairedAndDeletionsFollowTheOtherSide) {
    ServerHas({{"kept", synced_}, {"gone-in-outlook", synced_}, {"s1", synced_}});
    auto kept = Add("Kept");
    Paired("kept", kept);
    Paired("gone-in-outlook", nullptr);
    Paired("gone-on-server", Add("Gone"));
    const std::string ann = HostOutlook::EntryId(Add("Ann").get());
    const SyncCounters counters = Run(true, 2);
    EXPECT_EQ(std::vector<int>({counters.created_in_outlook, counters.deleted_in_outlook,
                                counters.created_on_server, counters.deleted_on_server, counters.failures}),
              std::vector<int>({1, 1, 1, 1, 0}));
    ASSERT_EQ(fake_->sent.size(), 2u);
    EXPECT_EQ(fake_->sent[0].method, "PUT");
    EXPECT_EQ(fake_->sent[0].url, "http://127.0.0.1:1/alice/book/" + ann + ".vcf");
    EXPECT_NE(fake_->sent[0].body.find("\r\nUID:" + ann + "\r\n"), std::string::npos);
    EXPECT_EQ(fake_->sent[1].method, "DELETE");
    EXPECT_EQ(fake_->sent[1].url, "http://127.0.0.1:1/alice/book/gone-in-outlook.vcf");
    EXPECT_EQ(outlook_.Names(), (std::vector<std::string>{"Kept", "Ann", "Server s1"}));
    const SyncIndex index = OpenAddressBookIndex(book_id_);
    EXPECT_EQ(index.Records().size(), 3u);
    EXPECT_EQ(index.FindByServerId("/alice/book/" + ann + ".vcf").OutlookId, ann);
    EXPECT_EQ(index.FindByServerId("/alice/book/s1.vcf").OutlookId, outlook_.ContactIds()[2]);
    EXPECT_EQ(index.FindByServerId("/alice/book/kept.vcf").synchDate.value(), synced_.value());
}

TEST_F(ContactPairs, ChangedPairGoesFromTheLaterSide) {
    for (const auto& row :
         testing_support::ReadDataRows(VELSYNC_TEST_DATA "/sync/changed-pair-rows.txt", 4)) {
        SCOPED_TRACE(row[0]);
        DeleteAllIndexes();
        auto contact = Add("Outlook");
        const DateTime last_run = synced_.AddSeconds(-std::stoi(row[1]));
        ServerHas({{"pair", row[2] == "-" ? DateTime::Invalid() : last_run.AddSeconds(std::stoi(row[2]))}});
        Paired("pair", contact, std::stoi(row[1]));
        Run(true, 1, 204);
        const std::string& expected = row[3];
        EXPECT_EQ(fake_->sent.size(), expected == "put" ? 1u : 0u);
        EXPECT_EQ(outlook_.Names(), std::vector<std::string>{expected == "take" ? "Server pair" : "Outlook"});
        const auto records = Records();
        ASSERT_EQ(records.size(), 1u);
        if (expected == "none") {
            EXPECT_EQ(records[0].synchDate.value(), last_run.value());
        } else {
            EXPECT_GT(records[0].synchDate.value(), last_run.value());
        }
        fake_->answers.clear();
        ASSERT_EQ(outlook_.Contact(HostOutlook::EntryId(contact.get()))->Delete(), S_OK);
    }
}

TEST_F(ContactPairs, ConflictKeepsTheOldRecordAndOtherContactsGoOn) {
    ServerHas({{"a", synced_.AddSeconds(-100)}, {"b", synced_.AddSeconds(-100)}});
    Paired("a", Add("A"), 100);
    Paired("b", Add("B"), 100);
    fake_->answers.push_back(FakeAnswer{S_OK, 412, {}, ""});
    fake_->answers.push_back(FakeAnswer{S_OK, 201, {}, ""});
    const SyncCounters counters = Run(true);
    EXPECT_EQ(counters.failures, 1);
    EXPECT_EQ(counters.changed_on_server, 1);
    // The conflicting pair is not tried again from the server side.
    ASSERT_EQ(fake_->sent.size(), 2u);
    EXPECT_EQ(HeaderOf(fake_->sent[0], "If-Match"), "\"e-Server a\"");
    EXPECT_EQ(HeaderOf(fake_->sent[1], "If-Match"), "\"e-Server b\"");
    const SyncIndex index = OpenAddressBookIndex(book_id_);
    EXPECT_EQ(index.FindByServerId("/alice/book/a.vcf").synchDate.value(), synced_.AddSeconds(-100).value());
    EXPECT_GT(index.FindByServerId("/alice/book/b.vcf").synchDate.value(), synced_.AddSeconds(-100).value());
}

TEST_F(ContactPairs, ServerWinsOnReadOnlyBooks) {
    ServerHas({{"restored", synced_},
               {"changed", synced_.AddSeconds(-50)},
               {"gone-on-server", synced_.AddSeconds(-100)}});
    Add("Local");
    auto changed = Add("Edited locally");
    auto gone = Add("Gone");
    Paired("restored", nullptr);
    Paired("changed", changed, 50);
    Paired("removed", gone);
    const std::string gone_id = HostOutlook::EntryId(gone.get());
    Run(false);
    EXPECT_TRUE(fake_->sent.empty());
    EXPECT_EQ(outlook_.Names(),
              (std::vector<std::string>{"Server changed", "Server restored", "Server gone-on-server"}));
    // The record of the contact deleted on the server stays; the restored one points at the new contact.
    const SyncIndex index = OpenAddressBookIndex(book_id_);
    EXPECT_EQ(index.FindByServerId("/alice/book/removed.vcf").OutlookId, gone_id);
    EXPECT_EQ(index.FindByServerId("/alice/book/restored.vcf").OutlookId, outlook_.ContactIds()[1]);
}

TEST_F(ContactPairs, WithoutServerDatesAChangedEntityTagIsAServerChange) {
    // Both changed in Outlook since the last run, the tag kept in the old separate tag file: a kept tag
    // leaves the server unchanged, so Outlook's copy goes up and the record keeps the PUT's new tag; a
    // changed tag is a change made now, later than Outlook's. The old file is folded into the records.
    for (const bool tag_changed : {false, true}) {
        SCOPED_TRACE(tag_changed);
        DeleteAllIndexes();
        auto contact = Add("Outlook");
        ServerHas({{"pair", DateTime::Invalid()}});
        Paired("pair", contact, 10);
        SyncIndex tags = OpenAddressBookIndex(book_id_ + ".etag");
        ASSERT_TRUE(tags.Add("/alice/book/pair.vcf", tag_changed ? "\"old\"" : "\"e-Server pair\"", synced_));
        ASSERT_TRUE(tags.Save());
        fake_->answers.push_back(FakeAnswer{S_OK, 204, {{"ETag", "\"after-put\""}}, ""});
        Run(true);
        EXPECT_EQ(fake_->sent.size(), tag_changed ? 0u : 1u);
        EXPECT_EQ(outlook_.Names(), std::vector<std::string>{tag_changed ? "Server pair" : "Outlook"});
        EXPECT_FALSE(std::filesystem::exists(tags.Path()));
        const auto records = Records();
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records[0].serverETag, tag_changed ? "\"e-Server pair\"" : "\"after-put\"");
        DateTime modified;
        ASSERT_EQ(outlook_.Contact(HostOutlook::EntryId(contact.get()))->get_LastModificationTime(&modified),
                  S_OK);
        EXPECT_EQ(SyncIndex::FormatDate(records[0].outlookLastModified),
                  SyncIndex::FormatDate(modified.LocalToUtc()));
        fake_->answers.clear();
        ASSERT_EQ(outlook_.Contact(HostOutlook::EntryId(contact.get()))->Delete(), S_OK);
    }
}

TEST_F(ContactPairs, FailedOutlookSaveLeavesTheServerContactUnpaired) {
    ServerHas({{"s1", synced_}});
    host::SetFault("OutlookItem.Save", E_FAIL);
    EXPECT_EQ(Run(true).failures, 1);
    EXPECT_TRUE(Records().empty());
    EXPECT_TRUE(fake_->sent.empty());
}

// The index was lost and the listing did not show the card: the new contact's PUT meets it (412), reads
// it and pairs with it in the same run; another client's card of the same name is left alone.
TEST_F(ContactPairs, NewContactTheServerAlreadyHasIsPairedInTheSameRun) {
    for (const bool same_uid : {true, false}) {
        SCOPED_TRACE(same_uid);
        DeleteAllIndexes();
        ServerHas({});
        const auto contact = Add("Ann");
        const std::string ann = HostOutlook::EntryId(contact.get());
        const std::string href = "/alice/book/" + ann + ".vcf";
        fake_->answers.push_back(FakeAnswer{S_OK, 412, {}, ""});
        fake_->answers.push_back(
            FakeAnswer{S_OK,
                       207,
                       {},
                       Multistatus(Response(href,
                                            "<d:getetag>\"e-1\"</d:getetag><card:address-data>"
                                            "BEGIN:VCARD\r\nUID:" +
                                                (same_uid ? ann : "someone-else") +
                                                "\r\nFN:Server Ann\r\nEND:VCARD\r\n</card:address-data>"))});
        fake_->answers.push_back(FakeAnswer{S_OK, 204, {{"ETag", "\"merged\""}}, ""});
        const SyncCounters counters = Run(true);
        ASSERT_EQ(fake_->sent.size(), same_uid ? 3u : 2u);
        EXPECT_NE(fake_->sent[1].body.find("<D:href>" + href + "</D:href>"), std::string::npos);
        if (same_uid) {
            EXPECT_EQ(HeaderOf(fake_->sent[2], "If-Match"), "\"e-1\"");
        }
        EXPECT_EQ(counters.failures, same_uid ? 0 : 1);
        EXPECT_EQ(counters.created_on_server, 0);
        EXPECT_EQ(outlook_.Names(), std::vector<std::string>{"Ann"});
        const auto records = Records();
        ASSERT_EQ(records.size(), same_uid ? 1u : 0u);
        if (same_uid) {
            EXPECT_EQ(records[0].ServerId, href);
            EXPECT_EQ(records[0].serverETag, "\"merged\"");
        }
        fake_->answers.clear();
        ASSERT_EQ(outlook_.Contact(ann)->Delete(), S_OK);
    }
}

}  // namespace
