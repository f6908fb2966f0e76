#include "contacts/outlook_addressbook.h"

#include <gtest/gtest.h>

#include "contact_test_support.h"
#include "outlook/status.h"
#include "platform/message_box.h"
#include "settings/addin_exception.h"
#include "unit/contacts/fake_outlook.h"

namespace {

using outlook::ComPtr;

// Answers every question with one button and keeps the texts.
class ScriptedMessageBoxes : public platform::MessageBoxService {
  public:
    explicit ScriptedMessageBoxes(int answer) : m_answer(answer) { platform::SetMessageBoxService(this); }
    ~ScriptedMessageBoxes() override { platform::SetMessageBoxService(nullptr); }
    int Show(const std::string& text, const std::string& caption, unsigned flags) override {
        shown.push_back(caption + "|" + text + "|" + std::to_string(flags));
        return m_answer;
    }
    std::vector<std::string> shown;

  private:
    int m_answer;
};

class OutlookAddressbook : public ::testing::Test {
  protected:
    fake::FakeStore store_;
    contacts_test::RecordingGuards guards_;
};

TEST_F(OutlookAddressbook, LoadsContactsAndSkipsLists) {
    store_.contacts->AddContact("Ann", "ann@x.example");
    ComPtr<outlook::IDispatch> list;
    ASSERT_EQ(store_.application->CreateItem(outlook::olDistributionListItem, &list), S_OK);
    ASSERT_EQ(dynamic_cast<fake::FakeDistList*>(list.get())->Save(), S_OK);
    store_.contacts->AddContact("Bob", "bob@x.example");
    auto child = store_.contacts->AddFolder("Team");
    auto grandchild = child->AddFolder("Inner");
    auto inner_contact = grandchild->AddContact("Cy", "cy@x.example");

    auto root = COutlookAddressbook::Create(store_.contacts, nullptr);
    ASSERT_EQ(root->GetContacts().size(), 2u);
    EXPECT_EQ(root->GetContacts()[0]->GetEmail1Address(), "ann@x.example");
    EXPECT_EQ(root->GetChildren().size(), 1u);
    EXPECT_EQ(root->FindAddressbook(store_.contacts->entry_id), root);
    auto inner = root->FindAddressbook(grandchild->entry_id);
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->GetName(), "Inner");
    EXPECT_NE(inner->FindContact(inner_contact->entry_id), nullptr);
    EXPECT_EQ(root->FindContact(inner_contact->entry_id), nullptr);
    EXPECT_EQ(root->FindAddressbook("nope"), nullptr);
    EXPECT_EQ(root->FindAddressbook(""), nullptr);
}

TEST_F(OutlookAddressbook, CreatedContactIsFoundOnceSaved) {
    auto root = COutlookAddressbook::Create(store_.contacts, nullptr);
    auto contact = root->CreateContact();
    contact->SetVCard("BEGIN:VCARD\r\nFN:New\r\nEND:VCARD\r\n");
    contact->SaveOutlookContact();
    EXPECT_NE(contact->GetEntryId(), "");
    EXPECT_EQ(root->FindContact(contact->GetEntryId()), contact);
    EXPECT_EQ(root->GetContacts().size(), 1u);
    ASSERT_EQ(store_.contacts->Contacts().size(), 1u);
    outlook::Variant allow;
    ASSERT_EQ(store_.contacts->Contacts()[0]->properties->FindFake("AllowCreate")->get_Value(&allow), S_OK);
    EXPECT_EQ(allow, outlook::Variant(true));
}

TEST_F(OutlookAddressbook, CreateContactFailureIsAnError) {
    auto root = COutlookAddressbook::Create(store_.contacts, nullptr);
    store_.fail_item_add = E_OUTOFMEMORY;
    try {
        root->CreateContact();
        FAIL() << "no exception";
    } catch (const CAddinException& error) {
        EXPECT_EQ(error.GetCode(), kErrorUnknown);
    }
}

TEST_F(OutlookAddressbook, NewFolderIsShownAsAddressBook) {
    auto root = COutlookAddressbook::Create(store_.contacts, &guards_);
    ScriptedMessageBoxes boxes(platform::IDNO);
    auto book = root->CreateNewAddressbook("Team", false);
    ASSERT_NE(book, nullptr);
    ASSERT_NE(store_.contacts->FindFolder("Team"), nullptr);
    EXPECT_TRUE(store_.contacts->FindFolder("Team")->show_as_address_book);
    EXPECT_EQ(root->FindAddressbook(book->GetEntryId()), book);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(OutlookAddressbook, ExistingFolderIsReusedWhenAllowed) {
    auto team = store_.contacts->AddFolder("Team");
    team->AddContact("Kept", "kept@x.example");
    auto root = COutlookAddressbook::Create(store_.contacts, &guards_);
    ScriptedMessageBoxes boxes(platform::IDNO);
    auto book = root->CreateNewAddressbook("team", true);
    ASSERT_NE(book, nullptr);
    EXPECT_EQ(book->GetEntryId(), team->entry_id);
    EXPECT_EQ(book->GetContacts().size(), 1u);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(root->GetChildren().size(), 1u);
}

TEST_F(OutlookAddressbook, ExistingFolderStaysWhenTheUserSaysNo) {
    auto team = store_.contacts->AddFolder("Team (read only)");
    team->AddContact("Kept", "kept@x.example");
    auto root = COutlookAddressbook::Create(store_.contacts, &guards_);
    ScriptedMessageBoxes boxes(platform::IDNO);
    EXPECT_EQ(root->CreateNewAddressbook("Team (read only)", false), nullptr);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0],
              "Warning|Team (read only) folder already exists in Outlook. Overwrite it from the "
              "server?|36");
    EXPECT_EQ(store_.contacts->FindFolder("Team (read only)"), team.get());
    EXPECT_EQ(team->Contacts().size(), 1u);
    EXPECT_EQ(guards_.calls, "");
    EXPECT_EQ(root->GetChildren().size(), 1u);
}

TEST_F(OutlookAddressbook, ExistingFolderIsReplacedWhenTheUserSaysYes) {
    auto team = store_.contacts->AddFolder("Team (read only)");
    team->AddContact("Dropped", "dropped@x.example");
    auto root = COutlookAddressbook::Create(store_.contacts, &guards_);
    ScriptedMessageBoxes boxes(platform::IDYES);
    auto book = root->CreateNewAddressbook("Team (read only)", false);
    ASSERT_NE(book, nullptr);
    EXPECT_TRUE(team->deleted);
    EXPECT_NE(book->GetEntryId(), team->entry_id);
    EXPECT_TRUE(book->GetContacts().empty());
    EXPECT_EQ(guards_.calls, "readonly(" + team->entry_id + ",0);");
    EXPECT_EQ(root->FindAddressbook(team->entry_id), nullptr);
}

TEST_F(OutlookAddressbook, DetachFindsTheFirstOfTwoNames) {
    auto first = store_.contacts->AddFolder("Twin");
    auto second = store_.contacts->AddFolder("Other");
    second->name = "Twin";
    auto root = COutlookAddressbook::Create(store_.contacts, nullptr);
    auto detached = root->DetachAddressbookByName("Twin");
    ASSERT_NE(detached, nullptr);
    EXPECT_EQ(detached->GetEntryId(), first->entry_id);
    EXPECT_EQ(root->GetChildren().size(), 1u);
    EXPECT_EQ(root->DetachAddressbookByName("Nothing"), nullptr);
}

}  // namespace
