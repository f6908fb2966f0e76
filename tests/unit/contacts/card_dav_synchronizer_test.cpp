#include "contacts/card_dav_synchronizer.h"

#include <gtest/gtest.h>

#include "contact_test_support.h"
#include "host/fault_hook.h"
#include "index/index_store.h"
#include "outlook/status.h"
#include "platform/http_request.h"
#include "settings/addin_exception.h"
#include "support/temp_home.h"
#include "unit/contacts/host_outlook.h"
#include "unit/dav/fake_http_request.h"

namespace {

using contacts_test::HostOutlook;
using dav_test::FakeAnswer;

std::string Multistatus(const std::string& responses) {
    return "<d:multistatus xmlns:d=\"DAV:\" xmlns:card=\"urn:ietf:params:xml:ns:carddav\">" + responses +
           "</d:multistatus>";
}

std::string Book(const std::string& href, const std::string& name, bool writable) {
    return "<d:response><d:href>" + href +
           "</d:href><d:propstat><d:prop><d:resourcetype><d:collection/><card:addressbook/></d:resourcetype>"
           "<d:displayname>" +
           name +
           "</d:displayname><d:current-user-privilege-set><d:privilege><d:read/>"
           "</d:privilege>" +
           (writable ? "<d:privilege><d:write/></d:privilege>" : "") +
           "</d:current-user-privilege-set></d:prop><d:status>HTTP/1.1 200 "
           "OK</d:status></d:propstat></d:response>";
}

std::string HeaderOf(const dav_test::SentRequest& request, const std::string& name) {
    for (const auto& [key, value] : request.headers) {
        if (key == name)
            return value;
    }
    return "<none>";
}

class ContactSynchronizer : public ::testing::Test {
  protected:
    void Answer(int status, const std::string& body = "") {
        fake_->answers.push_back(FakeAnswer{S_OK, status, {}, body});
    }
    // Principal, home set, then the home listing.
    void Discovery(const std::string& books) {
        Answer(207, Multistatus("<d:response><d:href>/</d:href><d:propstat><d:prop><d:current-user-principal>"
                                "<d:href>/alice/</d:href></d:current-user-principal></d:prop></d:propstat>"
                                "</d:response>"));
        Answer(207, Multistatus(
                        "<d:response><d:href>/alice/</d:href><d:propstat><d:prop><card:addressbook-home-set>"
                        "<d:href>/alice/</d:href></card:addressbook-home-set></d:prop></d:propstat>"
                        "</d:response>"));
        Answer(207, Multistatus(books));
    }
    void Run() {
        CCardDavSynchronizer synchronizer("http://127.0.0.1:1/", "alice", "secret", outlook_.app, &guards_,
                                          dav_test::FactoryFor(fake_));
        synchronizer.Synchronize(&results_);
    }
    std::string FolderId(const std::string& name) {
        return HostOutlook::EntryId(outlook_.Folder(name).get());
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

TEST_F(ContactSynchronizer, DefaultBookPairsWithContactsAndMissingSharedBookIsNoError) {
    for (int status : {403, 404, 405}) {
        SCOPED_TRACE(status);
        DeleteAllIndexes();
        fake_->sent.clear();
        results_.clear();
        Discovery(Book("/alice/addressbook/", "Contacts", true) + Book("/alice/team/", "Team", true));
        Answer(207, Multistatus(""));
        Answer(207, Multistatus(""));
        Answer(status);
        Run();
        ASSERT_EQ(results_.size(), 2u);
        EXPECT_EQ(results_[0].folder_key, book_id_);
        EXPECT_FALSE(results_[0].flag);
        EXPECT_EQ(results_[1].folder_key, FolderId("Team"));
        EXPECT_EQ(outlook_.FolderNames(), "Team;");
        ASSERT_EQ(fake_->sent.size(), 6u);
        EXPECT_EQ(fake_->sent[1].url, "http://127.0.0.1:1/alice/");
        EXPECT_EQ(HeaderOf(fake_->sent[1], "Depth"), "0");
        EXPECT_EQ(HeaderOf(fake_->sent[2], "Depth"), "1");
        EXPECT_EQ(HeaderOf(fake_->sent[3], "Depth"), "1");
        EXPECT_EQ(fake_->sent[5].url, "http://127.0.0.1:1/gab");
        const SyncIndex groups = OpenGroupsIndex();
        EXPECT_EQ(groups.FindByServerId("/alice/addressbook/").OutlookId, book_id_);
    }
}

TEST_F(ContactSynchronizer, OtherSharedBookFailureEndsTheRun) {
    Discovery(Book("/alice/addressbook/", "Contacts", true));
    Answer(207, Multistatus(""));
    Answer(500);
    try {
        Run();
        FAIL() << "no exception";
    } catch (const CAddinException& error) {
        EXPECT_EQ(error.GetCode(), kErrorBadStatus);
    }
    EXPECT_TRUE(results_.empty());
}

TEST_F(ContactSynchronizer, FirstWritableBookStandsInForTheDefaultAndReadOnlyBooksGetTheirFolder) {
    Discovery(Book("/alice/shared/", "Shared", false) + Book("/alice/contacts/", "Personal", true) +
              Book("/alice/more/", "", true));
    for (int i = 0; i < 3; ++i)
        Answer(207, Multistatus(""));
    Answer(404);
    Run();
    ASSERT_EQ(results_.size(), 3u);
    EXPECT_EQ(outlook_.FolderNames(), "Shared (read only);more;");
    const std::string shared = FolderId("Shared (read only)");
    EXPECT_EQ(results_[0].folder_key, shared);
    EXPECT_TRUE(results_[0].flag);
    EXPECT_EQ(results_[1].folder_key, book_id_);
    EXPECT_EQ(guards_.calls, "readonly(" + shared + ",1);readonly(" + FolderId("more") + ",0);");
}

TEST_F(ContactSynchronizer, NoWritableBookRaisesTheMissingFolderMessageAfterPairing) {
    Discovery(Book("/alice/addressbook/", "Contacts", false));
    Answer(207, Multistatus(""));
    Answer(403);
    try {
        Run();
        FAIL() << "no exception";
    } catch (CAddinException& error) {
        EXPECT_EQ(error.GetCode(), 0u);
        EXPECT_EQ(error.GetMessage(), "\nContacts folder is missing on the server");
    }
    ASSERT_EQ(results_.size(), 1u);
    EXPECT_TRUE(results_[0].flag);
    EXPECT_EQ(outlook_.FolderNames(), "Contacts (read only);");
}

TEST_F(ContactSynchronizer, VanishedDefaultBookDiscardsEveryIndex) {
    Pair("/alice/old/");
    SyncIndex calendar = OpenCalendarIndex("CAL");
    ASSERT_TRUE(calendar.Add("/alice/calendar/x.ics", "X", platform::DateTime::NowLocal()));
    ASSERT_TRUE(calendar.Save());
    Discovery(Book("/alice/addressbook/", "Contacts", true));
    Answer(207, Multistatus(""));
    Answer(404);
    Run();
    EXPECT_TRUE(OpenCalendarIndex("CAL").Records().empty());
    const SyncIndex groups = OpenGroupsIndex();
    ASSERT_EQ(groups.Records().size(), 1u);
    EXPECT_EQ(groups.Records()[0].ServerId, "/alice/addressbook/");
}

TEST_F(ContactSynchronizer, RecordedPairingOutranksTheDefaultName) {
    Pair("/alice/contacts/");
    Discovery(Book("/alice/addressbook/", "Later default", true) +
              Book("/alice/contacts/", "Personal", true));
    Answer(207, Multistatus(""));
    Answer(207, Multistatus(""));
    Answer(404);
    Run();
    ASSERT_EQ(results_.size(), 2u);
    EXPECT_EQ(results_[0].folder_key, FolderId("Later default"));
    EXPECT_EQ(results_[1].folder_key, book_id_);
}

TEST_F(ContactSynchronizer, DroppedConnectionDuringTheQueryLosesNothing) {
    Pair("/alice/addressbook/");
    const std::string ann = HostOutlook::EntryId(outlook_.AddContact({{"FullName", "Ann"}}).get());
    {
        SyncIndex contacts = OpenAddressBookIndex(book_id_);
        ASSERT_TRUE(contacts.Add("/alice/addressbook/ann.vcf", ann, platform::DateTime::NowLocal()));
        ASSERT_TRUE(contacts.Save());
    }
    Discovery(Book("/alice/addressbook/", "Contacts", true));
    fake_->answers.push_back(FakeAnswer{platform::kHttpErrorConnectionAborted, 0, {}, ""});
    try {
        Run();
        FAIL() << "no exception";
    } catch (const CAddinException& error) {
        EXPECT_EQ(error.GetCode(), kErrorNoConnection);
    }
    EXPECT_EQ(outlook_.ContactIds(), std::vector<std::string>{ann});
    EXPECT_EQ(OpenAddressBookIndex(book_id_).Records().size(), 1u);
    EXPECT_EQ(OpenGroupsIndex().Records().size(), 1u);
    EXPECT_TRUE(results_.empty());
}

TEST_F(ContactSynchronizer, NoContactsFolderEndsSilently) {
    host::SetFault("NameSpace.Logon", outlook::MAPI_E_TIMEOUT);
    Run();
    EXPECT_TRUE(fake_->sent.empty());
    EXPECT_TRUE(results_.empty());
}

TEST_F(ContactSynchronizer, HomeSetIsAskedWithDepthZeroAndMustExist) {
    Answer(207,
           Multistatus(
               "<d:response><d:href>/</d:href><d:propstat><d:prop><d:current-user-principal>"
               "<d:href>/alice/</d:href></d:current-user-principal></d:prop></d:propstat></d:response>"));
    Answer(207, Multistatus(
                    "<d:response><d:href>/alice/</d:href><d:propstat><d:prop/></d:propstat></d:response>"));
    try {
        Run();
        FAIL() << "no exception";
    } catch (const CAddinException& error) {
        EXPECT_EQ(error.GetCode(), kErrorNotDavServer);
    }
    ASSERT_EQ(fake_->sent.size(), 2u);
    EXPECT_EQ(fake_->sent[1].method, "PROPFIND");
    EXPECT_EQ(HeaderOf(fake_->sent[1], "Depth"), "0");
}

}  // namespace
