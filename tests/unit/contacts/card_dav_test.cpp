#include <gtest/gtest.h>

#include "contact_test_support.h"
#include "contacts/card_dav_addressbook.h"
#include "contacts/card_dav_contact.h"
#include "dav/dav_server.h"
#include "settings/addin_exception.h"
#include "support/data_rows.h"
#include "unit/contacts/dav_answers.h"

namespace {

using namespace contacts_test;
using dav_test::FakeAnswer;
using dav_test::FakeServer;
using dav_test::HeaderOf;

class CardDav : public ::testing::Test {
  protected:
    void Answer(int status, const std::string& body) {
        fake_->answers.push_back(FakeAnswer{S_OK, status, {}, body});
    }

    std::shared_ptr<FakeServer> fake_ = std::make_shared<FakeServer>();
    CDavServer server_{"http://127.0.0.1:1/", "alice", "secret", dav_test::FactoryFor(fake_)};
    std::vector<std::string> unreadable_;
};

TEST(CardDavNames, ResourceNameAndBookKind) {
    for (const auto& row : testing_support::ReadDataRows(VELSYNC_TEST_DATA "/contacts/href-rows.txt", 3)) {
        SCOPED_TRACE(row[0]);
        EXPECT_EQ(CCardDavContact::ResourceNameOf(row[0]), row[1]);
        EXPECT_EQ(CCardDavAddressbook::IsDefaultHref(row[0]), row[2] == "default");
        EXPECT_EQ(CCardDavAddressbook::IsSharedBookHref(row[0]), row[2] == "shared");
    }
}

TEST(CardDavDates, HttpDates) {
    contacts_test::ScopedTimeZone zone("Europe/Berlin");
    for (const auto& row :
         testing_support::ReadDataRows(VELSYNC_TEST_DATA "/contacts/http-date-rows.txt", 2)) {
        SCOPED_TRACE(row[0]);
        const platform::DateTime date = CCardDavContact::ParseHttpDate(row[0]);
        EXPECT_EQ(date.IsValid() ? date.Format("%Y-%m-%d %H:%M:%S") : "invalid", row[1]);
    }
}

TEST_F(CardDav, QueryReadsContactsAndSkipsTheCollectionItself) {
    contacts_test::ScopedTimeZone zone("UTC");
    Answer(207, Multistatus(Response("/alice/contacts/addressbook/", "<d:getetag>\"c\"</d:getetag>") +
                            Card("/alice/contacts/addressbook/a.vcf", "Ann",
                                 "<d:getlastmodified>Mon, 01 Jul 2024 10:00:00 GMT</d:getlastmodified>") +
                            Response("/alice/contacts/addressbook/empty.vcf", "") +
                            Card("/alice/contacts/addressbook/b.vcf", "Bob",
                                 "<d:getlastmodified>soon</d:getlastmodified>")));
    std::vector<std::shared_ptr<CCardDavContact>> contacts;
    CCardDavContact::LoadFromServer(&server_, "/alice/contacts/addressbook/", &contacts, &unreadable_);
    ASSERT_EQ(contacts.size(), 3u);
    EXPECT_EQ(contacts[0]->GetHref(), "/alice/contacts/addressbook/a.vcf");
    EXPECT_EQ(contacts[0]->GetETag(), "\"e-Ann\"");
    // XML turns the CR LF of the card into LF.
    EXPECT_EQ(contacts[0]->GetVCard(), "BEGIN:VCARD\nFN:Ann\nEND:VCARD\n");
    EXPECT_EQ(contacts[0]->GetLastModified().value(),
              platform::DateTime::FromParts(2024, 7, 1, 10, 0, 0).value());
    EXPECT_EQ(contacts[1]->GetVCard(), "");
    EXPECT_EQ(contacts[1]->GetLastModified().value(), 0.0);
    // An unreadable date counts as a change made now.
    EXPECT_LE(
        std::abs(platform::SecondsBetween(contacts[2]->GetLastModified(), platform::DateTime::NowLocal())),
        5);

    ASSERT_EQ(fake_->sent.size(), 1u);
    EXPECT_EQ(fake_->sent[0].method, "REPORT");
    EXPECT_EQ(fake_->sent[0].url, "http://127.0.0.1:1/alice/contacts/addressbook/");
    EXPECT_EQ(HeaderOf(fake_->sent[0], "Depth"), "1");
}

TEST_F(CardDav, HostileHrefsAreNotContacts) {
    Answer(207,
           Multistatus(Card("/alice/calendar/", "Calendar") + Card("/alice/book/../calendar/x.vcf", "Dots") +
                       Card("/alice/book/a\tb.vcf", "Tab") + Card("/alice/book/a\r\nb.vcf", "Crlf") +
                       Card("http://evil.example/alice/book/x.vcf", "Absolute") +
                       Card("/alice/bookish/x.vcf", "Sibling") + Card("/alice/book/ok.vcf", "Ok")));
    std::vector<std::shared_ptr<CCardDavContact>> contacts;
    CCardDavContact::LoadFromServer(&server_, "/alice/book/", &contacts, &unreadable_);
    ASSERT_EQ(contacts.size(), 1u);
    EXPECT_EQ(contacts[0]->GetHref(), "/alice/book/ok.vcf");
}

// A cut answer is asked again for hrefs alone; that listing cut as well fails the book.
TEST_F(CardDav, CutAnswerIsAnErrorNotAnEmptyBook) {
    const std::string whole =
        Multistatus(Card("/alice/book/a.vcf", "Ann") + Card("/alice/book/b.vcf", "Bob"));
    for (const std::string& body :
         {whole.substr(0, whole.size() / 2), std::string(), std::string("<html/>")}) {
        SCOPED_TRACE(body);
        Answer(207, body);
        Answer(207, body);
        std::vector<std::shared_ptr<CCardDavContact>> contacts;
        auto error = ErrorOf(
            [&] { CCardDavContact::LoadFromServer(&server_, "/alice/book/", &contacts, &unreadable_); });
        ASSERT_TRUE(error);
        EXPECT_EQ(error->GetCode(), 600u);
    }
}

TEST_F(CardDav, DuplicateHrefsKeepTheLaterContact) {
    Answer(207, Multistatus(Book("/alice/book/", "Book")));
    Answer(207, Multistatus(Card("/alice/book/a.vcf", "First") + Card("/alice/book/b.vcf", "Bob") +
                            Card("/alice/book/a.vcf", "Second")));
    std::vector<std::shared_ptr<CCardDavAddressbook>> books;
    CCardDavAddressbook::LoadFromServer(&server_, "/alice/", false, &books);
    ASSERT_EQ(books.size(), 1u);
    books[0]->LoadContacts();
    ASSERT_EQ(books[0]->GetContacts().size(), 2u);
    EXPECT_NE(books[0]->GetContacts()[0]->GetVCard().find("FN:Second"), std::string::npos);
    EXPECT_NE(books[0]->FindContact("/alice/book/a.vcf")->GetVCard().find("FN:Second"), std::string::npos);
    EXPECT_EQ(books[0]->FindContact("/alice/book/c.vcf"), nullptr);
}

TEST_F(CardDav, ListingReadsBooksAndTheirRights) {
    Answer(207,
           Multistatus(Response("/alice/", "<d:resourcetype><d:collection/><d:principal/></d:resourcetype>") +
                       Book("/alice/addressbook/", "Contacts",
                            std::string(kWrite) + "<cs:getctag xmlns:cs='http://calendarserver.org/ns/'> "
                                                  "\"tag-7\"\n</cs:getctag>") +
                       Book("/alice/xandikos/", "All", kAll) +
                       Book("/alice/shared-bob-addressbook/", "Bob", kReadOnly) +
                       Book("/alice/unknown/", "No rights") + Book("/alice/Collected/", "Collected", kWrite) +
                       Response("/alice/x/", "<d:current-user-privilege-set/>", "404 Not Found") +
                       Response("/alice/calendar/", "<d:resourcetype><d:collection/></d:resourcetype>")));
    std::vector<std::shared_ptr<CCardDavAddressbook>> books;
    CCardDavAddressbook::LoadFromServer(&server_, "/alice/", false, &books);
    ASSERT_EQ(books.size(), 5u);
    const struct {
        const char* href;
        const char* name;
        bool readonly;
        const char* ctag;
    } expected[] = {{"/alice/addressbook/", "Contacts", false, "\"tag-7\""},
                    {"/alice/xandikos/", "All", false, ""},
                    {"/alice/shared-bob-addressbook/", "Bob", true, ""},
                    {"/alice/unknown/", "No rights", false, ""},
                    {"/alice/Collected/", "Collected", true, ""}};
    for (std::size_t i = 0; i < books.size(); ++i) {
        SCOPED_TRACE(expected[i].href);
        EXPECT_EQ(books[i]->GetHref(), expected[i].href);
        EXPECT_EQ(books[i]->GetDisplayName(), expected[i].name);
        EXPECT_EQ(books[i]->IsReadonly(), expected[i].readonly);
        EXPECT_EQ(books[i]->GetCTag(), expected[i].ctag);
        EXPECT_EQ(books[i]->GetHomeSetUrl(), "/alice/");
    }
    EXPECT_EQ(fake_->sent[0].method, "PROPFIND");
    EXPECT_EQ(HeaderOf(fake_->sent[0], "Depth"), "1");
    EXPECT_NE(fake_->sent[0].body.find("<d:current-user-privilege-set />"), std::string::npos);
    // The cards are read per book, on request.
    EXPECT_EQ(fake_->sent.size(), 1u);
}

TEST_F(CardDav, ReadOnlyCallerFlagWins) {
    Answer(207, Multistatus(Book("/gab/", "Everyone", kWrite)));
    std::vector<std::shared_ptr<CCardDavAddressbook>> books;
    CCardDavAddressbook::LoadFromServer(&server_, "/gab", true, &books);
    ASSERT_EQ(books.size(), 1u);
    EXPECT_TRUE(books[0]->IsReadonly());
}

TEST_F(CardDav, SaveIsConditional) {
    Answer(207, Multistatus(Card("/alice/book/a.vcf", "Ann") +
                            Response("/alice/book/n.vcf", "<card:address-data/>")));
    std::vector<std::shared_ptr<CCardDavContact>> contacts;
    CCardDavContact::LoadFromServer(&server_, "/alice/book/", &contacts, &unreadable_);
    auto created = CCardDavContact::NewContact(&server_, "/alice/book/", "00AB");
    EXPECT_EQ(created->GetHref(), "/alice/book/00AB.vcf");
    EXPECT_TRUE(created->IsNew());
    for (int i = 0; i < 4; ++i)
        Answer(201, "");
    created->SetVCard("BEGIN:VCARD\r\nEND:VCARD\r\n");
    created->Save();
    contacts[0]->Save();
    contacts[1]->Save();
    contacts[0]->Delete();
    ASSERT_EQ(fake_->sent.size(), 5u);
    EXPECT_EQ(fake_->sent[1].method, "PUT");
    EXPECT_EQ(HeaderOf(fake_->sent[1], "If-None-Match"), "*");
    EXPECT_EQ(HeaderOf(fake_->sent[1], "Content-Type"), "text/vcard; charset=utf-8");
    EXPECT_EQ(fake_->sent[1].body, "BEGIN:VCARD\r\nEND:VCARD\r\n");
    EXPECT_EQ(HeaderOf(fake_->sent[2], "If-Match"), "\"e-Ann\"");
    EXPECT_EQ(HeaderOf(fake_->sent[2], "If-None-Match"), "<none>");
    EXPECT_EQ(HeaderOf(fake_->sent[3], "If-Match"), "<none>");
    EXPECT_EQ(fake_->sent[4].method, "DELETE");
    EXPECT_FALSE(created->IsNew());
}

}  // namespace
