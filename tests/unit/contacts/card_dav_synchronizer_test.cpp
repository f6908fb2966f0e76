#include "contacts/card_dav_synchronizer.h"

#include <gtest/gtest.h>

#include "contact_test_support.h"
#include "host/fault_hook.h"
#include "index/index_store.h"
#include "outlook/status.h"
#include "platform/http_request.h"
#include "unit/contacts/dav_answers.h"

namespace {

using namespace contacts_test;
using dav_test::FakeAnswer;
using dav_test::HeaderOf;

class ContactSynchronizer : public ::testing::Test {
  protected:
    void Answer(int status, const std::string& body = "") {
        fake_->answers.push_back(FakeAnswer{S_OK, status, {}, body});
    }
    // Principal, home set, then the home listing (none: the home set is missing).
    void Discovery(const std::optional<std::string>& books) {
        Answer(207,
               Multistatus(Response(
                   "/", "<d:current-user-principal><d:href>/alice/</d:href></d:current-user-principal>")));
        if (!books) {
            Answer(207, Multistatus(Response("/alice/", "")));
            return;
        }
        Answer(207, Multistatus(Response(
                        "/alice/",
                        "<card:addressbook-home-set><d:href>/alice/</d:href></card:addressbook-home-set>")));
        Answer(207, Multistatus(*books));
    }
    // Discovery of these books, the shared book's answer, then each book's cards (none).
    std::optional<CAddinException> Run(const std::string& books, int books_count, int shared_status = 404) {
        Discovery(books);
        Answer(shared_status);
        for (int i = 0; i < books_count; ++i)
            Answer(207, Multistatus(""));
        return ErrorOf([this] { Run(); });
    }
    void Run() {
        CCardDavSynchronizer synchronizer("http://127.0.0.1:1/", "alice", "secret", outlook_.app, &guards_,
                                          dav_test::FactoryFor(fake_));
        synchronizer.Synchronize(&results_);
    }
    std::string FolderNames() {
        std::string names;
        for (const auto& [name, folder] : outlook_.Folders())
            names += name + ";";
        return names;
    }
    std::string FolderId(const std::string& name) {
        return HostOutlook::EntryId(outlook_.Folders()[name].get());
    }
    void Pair(const std::string& folder_href) {
        SyncIndex groups = OpenGroupsIndex();
        ASSERT_TRUE(groups.Add(folder_href, book_id_, platform::DateTime::NowLocal()));
        ASSERT_TRUE(groups.Save());
    }

    HostOutlook outlook_;
    const std::string book_id_ = HostOutlook::EntryId(outlook_.contacts.get());
    contacts_test::RecordingGuards guards_;
    std::shared_ptr<dav_test::FakeServer> fake_ = std::make_shared<dav_test::FakeServer>();
    SyncResultList results_;
};

TEST_F(ContactSynchronizer, DefaultBookPairsWithContactsAndOnlyAMissingSharedBookIsNoError) {
    for (int status : {403, 404, 405, 500}) {
        SCOPED_TRACE(status);
        DeleteAllIndexes();
        fake_->sent.clear();
        results_.clear();
        auto error =
            Run(Book("/alice/addressbook/", "Contacts", kWrite) + Book("/alice/team/", "Team", kWrite), 2,
                status);
        // Discovery, the shared book, then the two books' cards.
        ASSERT_EQ(fake_->sent.size(), status == 500 ? 4u : 6u);
        EXPECT_EQ(fake_->sent[3].url, "http://127.0.0.1:1/gab");
        fake_->answers.clear();
        if (status == 500) {
            ASSERT_TRUE(error);
            EXPECT_EQ(error->GetCode(), kErrorBadStatus);
            EXPECT_TRUE(results_.empty());
            continue;
        }
        EXPECT_FALSE(error);
        ASSERT_EQ(results_.size(), 2u);
        EXPECT_EQ(results_[0].folder_key, book_id_);
        EXPECT_FALSE(results_[0].flag);
        EXPECT_EQ(results_[1].folder_key, FolderId("Team"));
        EXPECT_EQ(FolderNames(), "Team;");
        EXPECT_EQ(OpenGroupsIndex().FindByServerId("/alice/addressbook/").OutlookId, book_id_);
    }
}

TEST_F(ContactSynchronizer, FirstWritableBookStandsInForTheDefaultAndReadOnlyBooksGetTheirFolder) {
    EXPECT_FALSE(Run(Book("/alice/shared/", "Shared", kReadOnly) +
                         Book("/alice/contacts/", "Personal", kWrite) + Book("/alice/more/", "", kWrite),
                     3));
    ASSERT_EQ(results_.size(), 3u);
    EXPECT_EQ(FolderNames(), "Shared (read only);more;");
    const std::string shared = FolderId("Shared (read only)");
    EXPECT_EQ(results_[0].folder_key, shared);
    EXPECT_TRUE(results_[0].flag);
    EXPECT_EQ(results_[1].folder_key, book_id_);
    EXPECT_EQ(guards_.calls, "readonly(" + shared + ",1);readonly(" + FolderId("more") + ",0);");
}

TEST_F(ContactSynchronizer, NoWritableBookRaisesTheMissingFolderMessageAfterPairing) {
    auto error = Run(Book("/alice/addressbook/", "Contacts", kReadOnly), 1, 403);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->GetCode(), 0u);
    EXPECT_EQ(error->GetMessage(), "\nContacts folder is missing on the server");
    ASSERT_EQ(results_.size(), 1u);
    EXPECT_TRUE(results_[0].flag);
    EXPECT_EQ(FolderNames(), "Contacts (read only);");
}

TEST_F(ContactSynchronizer, VanishedDefaultBookDiscardsEveryIndex) {
    Pair("/alice/old/");
    SyncIndex calendar = OpenCalendarIndex("CAL");
    ASSERT_TRUE(calendar.Add("/alice/calendar/x.ics", "X", platform::DateTime::NowLocal()));
    ASSERT_TRUE(calendar.Save());
    EXPECT_FALSE(Run(Book("/alice/addressbook/", "Contacts", kWrite), 1));
    EXPECT_TRUE(OpenCalendarIndex("CAL").Records().empty());
    const SyncIndex groups = OpenGroupsIndex();
    ASSERT_EQ(groups.Records().size(), 1u);
    EXPECT_EQ(groups.Records()[0].ServerId, "/alice/addressbook/");
}

TEST_F(ContactSynchronizer, RecordedPairingOutranksTheDefaultName) {
    Pair("/alice/contacts/");
    EXPECT_FALSE(Run(
        Book("/alice/addressbook/", "Later default", kWrite) + Book("/alice/contacts/", "Personal", kWrite),
        2));
    ASSERT_EQ(results_.size(), 2u);
    EXPECT_EQ(results_[0].folder_key, FolderId("Later default"));
    EXPECT_EQ(results_[1].folder_key, book_id_);
}

TEST_F(ContactSynchronizer, DroppedConnectionDuringTheQueryLosesNothing) {
    Pair("/alice/addressbook/");
    const std::string ann = HostOutlook::EntryId(outlook_.AddContact({{"FullName", "Ann"}}).get());
    SyncIndex contacts = OpenAddressBookIndex(book_id_);
    ASSERT_TRUE(contacts.Add("/alice/addressbook/ann.vcf", ann, platform::DateTime::NowLocal()));
    ASSERT_TRUE(contacts.Save());
    Discovery(Book("/alice/addressbook/", "Contacts", kWrite));
    Answer(404);
    fake_->answers.push_back(FakeAnswer{platform::kHttpErrorConnectionAborted, 0, {}, ""});
    auto error = ErrorOf([this] { Run(); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->GetCode(), kErrorNoConnection);
    EXPECT_EQ(outlook_.ContactIds(), std::vector<std::string>{ann});
    EXPECT_EQ(OpenAddressBookIndex(book_id_).Records().size(), 1u);
    EXPECT_EQ(OpenGroupsIndex().Records().size(), 1u);
    EXPECT_TRUE(results_.empty());
}

TEST_F(ContactSynchronizer, MissingHomeSetIsNoDavServer) {
    Discovery(std::nullopt);
    auto error = ErrorOf([this] { Run(); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->GetCode(), kErrorNotDavServer);
    ASSERT_EQ(fake_->sent.size(), 2u);
    // Without Depth, Xandikos would answer the home set's PROPFIND with everything below the principal.
    EXPECT_EQ(HeaderOf(fake_->sent[1], "Depth"), "0");
}

TEST_F(ContactSynchronizer, NoContactsFolderEndsSilently) {
    host::SetFault("NameSpace.Logon", outlook::MAPI_E_TIMEOUT);
    Run();
    EXPECT_TRUE(fake_->sent.empty());
    EXPECT_TRUE(results_.empty());
}

}  // namespace
