// Contacts, distribution lists and folders in the store.
#include "host_fixture.h"
#include "outlook/application.h"
#include "outlook/dist_list_item.h"
#include "outlook/recipient.h"
#include "outlook/storage_item.h"
#include "outlook/user_properties.h"

namespace host_test {
namespace {

class ContactStore : public HostTest {};

TEST_F(ContactStore, FieldsRoundTripThroughTheStore) {
    auto contact = NewContact("Grace Hopper", "grace@navy.mil");
    ASSERT_EQ(contact->put_HomeAddressStreet("1 Main St"), S_OK);
    ASSERT_EQ(contact->put_HomeAddressCity("Arlington"), S_OK);
    ASSERT_EQ(contact->put_MobileTelephoneNumber("+1 555"), S_OK);
    ASSERT_EQ(contact->put_Birthday(DateTime::FromParts(1906, 12, 9)), S_OK);
    EXPECT_EQ(contact->put_Birthday(DateTime::Invalid()), E_INVALIDARG);
    ASSERT_EQ(contact->Save(), S_OK);

    auto stored = FirstItem<outlook::ContactItem>(Folder(outlook::olFolderContacts).get());
    std::string text;
    ASSERT_EQ(stored->get_FullName(&text), S_OK);
    EXPECT_EQ(text, "Grace Hopper");
    ASSERT_EQ(stored->get_FileAs(&text), S_OK);
    EXPECT_EQ(text, "Grace Hopper");
    ASSERT_EQ(stored->get_HomeAddress(&text), S_OK);
    EXPECT_EQ(text, "1 Main St\r\nArlington");
    ASSERT_EQ(stored->get_Email2Address(&text), S_OK);
    EXPECT_EQ(text, "");
    DateTime birthday;
    ASSERT_EQ(stored->get_Birthday(&birthday), S_OK);
    EXPECT_EQ(birthday.Format("%Y-%m-%d"), "1906-12-09");

    ASSERT_EQ(stored->put_HomeAddress(""), S_OK);
    ASSERT_EQ(stored->get_HomeAddressCity(&text), S_OK);
    EXPECT_EQ(text, "");
}

TEST_F(ContactStore, ContactWithoutBirthdayReadsOutlooksEmptyDate) {
    auto contact = NewContact("No Birthday", "nb@example.org");
    DateTime birthday;
    ASSERT_EQ(contact->get_Birthday(&birthday), S_OK);
    EXPECT_EQ(birthday.Format("%Y-%m-%d"), "4501-01-01");
}

TEST_F(ContactStore, DistributionListsHoldResolvedMembers) {
    ASSERT_EQ(NewContact("Ada Lovelace", "ada@example.org")->Save(), S_OK);
    outlook::ComPtr<outlook::IDispatch> created;
    ASSERT_EQ(app_->CreateItem(outlook::olDistributionListItem, &created), S_OK);
    outlook::ComPtr<outlook::DistListItem> list;
    ASSERT_EQ(created.As(&list), S_OK);
    auto contacts = Folder(outlook::olFolderContacts);
    outlook::ComPtr<outlook::IDispatch> moved;
    ASSERT_EQ(list->Move(contacts.get(), &moved), S_OK);
    ASSERT_EQ(moved.As(&list), S_OK);
    ASSERT_EQ(list->put_DLName("Friends"), S_OK);

    outlook::ComPtr<outlook::Recipient> ada;
    ASSERT_EQ(ns_->CreateRecipient("ada@example.org", &ada), S_OK);
    outlook::ComPtr<outlook::Recipient> nobody;
    ASSERT_EQ(ns_->CreateRecipient("not an address", &nobody), S_OK);
    bool resolved = false;
    ASSERT_EQ(ada->Resolve(&resolved), S_OK);
    EXPECT_TRUE(resolved);
    ASSERT_EQ(nobody->Resolve(&resolved), S_OK);
    EXPECT_FALSE(resolved);
    EXPECT_EQ(list->AddMember(nobody.get()), outlook::MAPI_E_NOT_FOUND);
    ASSERT_EQ(list->AddMember(ada.get()), S_OK);
    ASSERT_EQ(list->AddMember(ada.get()), S_OK);  // already a member: nothing changes
    EXPECT_EQ(ns_->CreateRecipient("", &nobody), E_INVALIDARG);
    ASSERT_EQ(list->Save(), S_OK);

    // The folder holds the contact and the list; a stored list answers only as a list.
    EXPECT_EQ(CountOf(contacts.get()), 2);
    outlook::ComPtr<outlook::IDispatch> second;
    ASSERT_EQ(ItemsOf(contacts.get())->Item(2, &second), S_OK);
    outlook::ComPtr<outlook::ContactItem> not_contact;
    EXPECT_EQ(second.As(&not_contact), E_NOINTERFACE);
    outlook::ComPtr<outlook::DistListItem> stored;
    ASSERT_EQ(second.As(&stored), S_OK);
    std::string name;
    ASSERT_EQ(stored->get_DLName(&name), S_OK);
    EXPECT_EQ(name, "Friends");
    std::int32_t count = 0;
    ASSERT_EQ(stored->get_MemberCount(&count), S_OK);
    ASSERT_EQ(count, 1);
    outlook::ComPtr<outlook::Recipient> member;
    ASSERT_EQ(stored->GetMember(1, &member), S_OK);
    ASSERT_EQ(member->get_Name(&name), S_OK);
    EXPECT_EQ(name, "Ada Lovelace");
    EXPECT_EQ(stored->GetMember(2, &member), outlook::DISP_E_BADINDEX);

    ASSERT_EQ(stored->RemoveMember(ada.get()), S_OK);
    EXPECT_EQ(stored->RemoveMember(ada.get()), outlook::MAPI_E_NOT_FOUND);
    ASSERT_EQ(stored->Save(), S_OK);
    ASSERT_EQ(stored->get_MemberCount(&count), S_OK);
    EXPECT_EQ(count, 0);
}

TEST_F(ContactStore, ItemsGoOnlyIntoFoldersThatHoldTheirKind) {
    auto contact = NewContact("Misplaced", "m@example.org");
    ASSERT_EQ(contact->Save(), S_OK);
    outlook::ComPtr<outlook::IDispatch> moved;
    EXPECT_EQ(contact->Move(Folder(outlook::olFolderCalendar).get(), &moved), E_INVALIDARG);
    outlook::ComPtr<outlook::IDispatch> item;
    EXPECT_EQ(ItemsOf(Folder(outlook::olFolderCalendar).get())->Add(outlook::olContactItem, &item),
              E_INVALIDARG);
    EXPECT_EQ(app_->CreateItem(outlook::olMailItem, &item), E_INVALIDARG);
    outlook::ComPtr<outlook::MAPIFolder> folder;
    EXPECT_EQ(ns_->GetDefaultFolder(static_cast<outlook::OlDefaultFolders>(6), &folder), E_INVALIDARG);
}

TEST_F(ContactStore, SubFoldersTakeTheParentsKindAndUniqueNames) {
    auto contacts = Folder(outlook::olFolderContacts);
    outlook::ComPtr<outlook::Folders> folders;
    ASSERT_EQ(contacts->get_Folders(&folders), S_OK);
    outlook::ComPtr<outlook::MAPIFolder> work;
    ASSERT_EQ(folders->Add("Work", &work), S_OK);
    outlook::ComPtr<outlook::MAPIFolder> clash;
    EXPECT_EQ(folders->Add("WORK", &clash), outlook::MAPI_E_COLLISION);
    outlook::OlItemType type = outlook::olMailItem;
    ASSERT_EQ(work->get_DefaultItemType(&type), S_OK);
    EXPECT_EQ(type, outlook::olContactItem);
    ASSERT_EQ(work->put_ShowAsOutlookAB(true), S_OK);
    bool shown = false;
    ASSERT_EQ(work->get_ShowAsOutlookAB(&shown), S_OK);
    EXPECT_TRUE(shown);
    ASSERT_EQ(work->put_Description("Colleagues"), S_OK);

    auto contact = NewContact("Colleague", "c@example.org", work.get());
    ASSERT_EQ(contact->Save(), S_OK);
    EXPECT_EQ(CountOf(work.get()), 1);
    outlook::ComPtr<outlook::MAPIFolder> parent;
    ASSERT_EQ(contact->get_Parent(&parent), S_OK);
    std::string name;
    ASSERT_EQ(parent->get_Name(&name), S_OK);
    EXPECT_EQ(name, "Work");
    ASSERT_EQ(contacts->get_Parent(&parent), S_OK);
    EXPECT_FALSE(parent);

    EXPECT_EQ(contacts->Delete(), outlook::MAPI_E_NO_SUPPORT);
    ASSERT_EQ(work->Delete(), S_OK);
    std::int32_t count = -1;
    ASSERT_EQ(folders->get_Count(&count), S_OK);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(contact->Save(), outlook::MAPI_E_OBJECT_DELETED);
}

TEST_F(ContactStore, FolderMovesKeepNamesUniqueAndTheTreeAcyclic) {
    auto contacts = Folder(outlook::olFolderContacts);
    outlook::ComPtr<outlook::Folders> top;
    ASSERT_EQ(contacts->get_Folders(&top), S_OK);
    outlook::ComPtr<outlook::MAPIFolder> a;
    outlook::ComPtr<outlook::MAPIFolder> b;
    ASSERT_EQ(top->Add("A", &a), S_OK);
    ASSERT_EQ(top->Add("B", &b), S_OK);
    outlook::ComPtr<outlook::Folders> below_b;
    ASSERT_EQ(b->get_Folders(&below_b), S_OK);
    outlook::ComPtr<outlook::MAPIFolder> clash;
    ASSERT_EQ(below_b->Add("a", &clash), S_OK);

    EXPECT_EQ(a->MoveTo(b.get()), outlook::MAPI_E_COLLISION);
    EXPECT_EQ(b->MoveTo(clash.get()), E_INVALIDARG);
    EXPECT_EQ(a->MoveTo(Folder(outlook::olFolderCalendar).get()), E_INVALIDARG);
    EXPECT_EQ(contacts->MoveTo(a.get()), E_INVALIDARG);
    ASSERT_EQ(clash->put_Name("C"), S_OK);
    ASSERT_EQ(a->MoveTo(b.get()), S_OK);
    EXPECT_EQ(b->put_Name(""), E_INVALIDARG);

    // The walk sees B with C and A below it, in creation order.
    std::vector<std::string> names;
    outlook::ComPtr<outlook::MAPIFolder> walk;
    ASSERT_EQ(below_b->GetFirst(&walk), S_OK);
    while (walk) {
        std::string name;
        ASSERT_EQ(walk->get_Name(&name), S_OK);
        names.push_back(name);
        ASSERT_EQ(below_b->GetNext(&walk), S_OK);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"A", "C"}));
    std::int32_t count = 0;
    ASSERT_EQ(top->get_Count(&count), S_OK);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(top->Item(2, &walk), outlook::DISP_E_BADINDEX);
}

TEST_F(ContactStore, StorageItemCanBeDeletedAndIsMadeAgain) {
    auto contacts = Folder(outlook::olFolderContacts);
    outlook::ComPtr<outlook::StorageItem> storage;
    ASSERT_EQ(contacts->GetStorage("VelmarquinSyncStorage", outlook::olIdentifyBySubject, &storage), S_OK);
    ASSERT_EQ(storage->Save(), S_OK);
    ASSERT_EQ(storage->Delete(), S_OK);
    ASSERT_EQ(contacts->GetStorage("VelmarquinSyncStorage", outlook::olIdentifyBySubject, &storage), S_OK);
    outlook::ComPtr<outlook::UserProperties> properties;
    ASSERT_EQ(storage->get_UserProperties(&properties), S_OK);
    std::int32_t count = -1;
    ASSERT_EQ(properties->get_Count(&count), S_OK);
    EXPECT_EQ(count, 0);
    std::string subject;
    ASSERT_EQ(storage->get_Subject(&subject), S_OK);
    EXPECT_EQ(subject, "VelmarquinSyncStorage");
}

}  // namespace
}  // namespace host_test
