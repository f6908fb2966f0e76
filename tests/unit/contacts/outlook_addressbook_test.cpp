#include "contacts/outlook_addressbook.h"

#include <gtest/gtest.h>

#include "contact_test_support.h"
#include "host/fault_hook.h"
#include "outlook/user_properties.h"
#include "outlook/user_property.h"
#include "platform/message_box.h"
#include "settings/addin_exception.h"
#include "support/recorded_message_boxes.h"

namespace {

using contacts_test::ErrorOf;
using testing_support::HostOutlook;
using testing_support::RecordedMessageBoxes;

class OutlookAddressbook : public ::testing::Test {
  protected:
    HostOutlook outlook_;
    contacts_test::RecordingGuards guards_;
};

TEST_F(OutlookAddressbook, LoadsContactsButNotListsAndFindsNestedBooks) {
    outlook_.AddContact({{"FullName", "Ann"}, {"Email1Address", "ann@x.example"}});
    outlook_.AddList("Friends", {"ann@x.example"});
    auto team = outlook_.AddFolder("Team");
    outlook_.AddFolder("Other");
    auto inner_folder = outlook_.AddFolder("Inner", team.get());
    const std::string inner_contact = HostOutlook::EntryId(outlook_.AddContact({}, inner_folder.get()).get());

    auto root = COutlookAddressbook::Create(outlook_.contacts, nullptr);
    ASSERT_EQ(root->GetContacts().size(), 1u);
    EXPECT_EQ(root->GetContacts()[0]->GetEmail1Address(), "ann@x.example");
    EXPECT_EQ(root->GetChildren().size(), 2u);
    auto inner = root->FindAddressbook(HostOutlook::EntryId(inner_folder.get()));
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->GetName(), "Inner");
    EXPECT_NE(inner->FindContact(inner_contact), nullptr);
    EXPECT_EQ(root->FindContact(inner_contact), nullptr);
    EXPECT_EQ(root->FindAddressbook(""), nullptr);
}

TEST_F(OutlookAddressbook, CreatedContactIsFoundOnceSavedAndMarkedAllowCreate) {
    auto root = COutlookAddressbook::Create(outlook_.contacts, nullptr);
    auto contact = root->CreateContact();
    contact->SetVCard("BEGIN:VCARD\r\nFN:New\r\nEND:VCARD\r\n");
    contact->SaveOutlookContact();
    ASSERT_NE(contact->GetEntryId(), "");
    EXPECT_EQ(root->FindContact(contact->GetEntryId()), contact);
    EXPECT_EQ(outlook_.Names(), std::vector<std::string>{"New"});
    outlook::ComPtr<outlook::UserProperties> properties;
    outlook::ComPtr<outlook::UserProperty> allow;
    outlook::Variant value;
    ASSERT_EQ(outlook_.Contact(contact->GetEntryId())->get_UserProperties(&properties), S_OK);
    ASSERT_EQ(properties->Find("AllowCreate", true, &allow), S_OK);
    ASSERT_EQ(allow->get_Value(&value), S_OK);
    EXPECT_EQ(value, outlook::Variant(true));

    host::SetFault("Items.Add", E_OUTOFMEMORY);
    auto error = ErrorOf([&] { root->CreateContact(); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->GetCode(), kErrorUnknown);
}

TEST_F(OutlookAddressbook, NewFolderIsShownAsAddressBookAndAnExistingOneReusedWhenAllowed) {
    auto root = COutlookAddressbook::Create(outlook_.contacts, &guards_);
    RecordedMessageBoxes boxes(platform::IDNO);
    auto book = root->CreateNewAddressbook("Team", false);
    ASSERT_NE(book, nullptr);
    auto team = outlook_.Folders()["Team"];
    bool shown = false;
    ASSERT_NE(team, nullptr);
    ASSERT_EQ(team->get_ShowAsOutlookAB(&shown), S_OK);
    EXPECT_TRUE(shown);
    EXPECT_EQ(root->FindAddressbook(book->GetEntryId()), book);

    outlook_.AddContact({{"FullName", "Kept"}}, team.get());
    auto again = COutlookAddressbook::Create(outlook_.contacts, &guards_);
    auto reused = again->CreateNewAddressbook("team", true);
    ASSERT_NE(reused, nullptr);
    EXPECT_EQ(reused->GetEntryId(), book->GetEntryId());
    EXPECT_EQ(reused->GetContacts().size(), 1u);
    EXPECT_EQ(again->GetChildren().size(), 1u);
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(OutlookAddressbook, ExistingFolderIsReplacedOnlyWhenTheUserSaysYes) {
    auto team = outlook_.AddFolder("Team (read only)");
    const std::string team_id = HostOutlook::EntryId(team.get());
    outlook_.AddContact({{"FullName", "Mine"}}, team.get());
    auto root = COutlookAddressbook::Create(outlook_.contacts, &guards_);
    {
        RecordedMessageBoxes no(platform::IDNO);
        EXPECT_EQ(root->CreateNewAddressbook("Team (read only)", false), nullptr);
        ASSERT_EQ(no.Shown().size(), 1u);
        EXPECT_EQ(no.Shown()[0].caption, "Warning");
        EXPECT_EQ(no.Texts()[0],
                  "Team (read only) folder already exists in Outlook. Overwrite it from the server?");
        EXPECT_EQ(no.Flags()[0], 36u);
        EXPECT_EQ(outlook_.Names(team.get()), std::vector<std::string>{"Mine"});
        EXPECT_EQ(guards_.calls, "");
    }
    RecordedMessageBoxes yes(platform::IDYES);
    auto book = root->CreateNewAddressbook("Team (read only)", false);
    ASSERT_NE(book, nullptr);
    const auto folders = outlook_.Folders();
    ASSERT_EQ(folders.size(), 1u);
    EXPECT_EQ(HostOutlook::EntryId(folders.at("Team (read only)").get()), book->GetEntryId());
    EXPECT_TRUE(outlook_.ContactIds(folders.at("Team (read only)").get()).empty());
    EXPECT_EQ(guards_.calls, "readonly(" + team_id + ",0);");
    EXPECT_EQ(root->FindAddressbook(team_id), nullptr);
}

}  // namespace
