// Contacts, distribution lists and folders in the store.
#include <fstream>

#include "host_fixture.h"
#include "outlook/application.h"
#include "outlook/dist_list_item.h"
#include "outlook/recipient.h"

namespace host_test {
namespace {

class ContactStore : public HostTest {};

TEST_F(ContactStore, FieldsRoundTripThroughTheStore) {
    auto contact = NewContact("Grace Hopper", "grace@navy.mil");
    EXPECT_EQ(PROP(contact, Birthday).Format("%Y-%m-%d"), "4501-01-01");  // Outlook's empty date
    ASSERT_EQ(contact->put_HomeAddressStreet("1 Main St"), S_OK);
    ASSERT_EQ(contact->put_HomeAddressCity("Arlington"), S_OK);
    ASSERT_EQ(contact->put_Birthday(DateTime::FromParts(1906, 12, 9)), S_OK);
    EXPECT_EQ(contact->put_Birthday(DateTime::Invalid()), E_INVALIDARG);
    ASSERT_EQ(contact->Save(), S_OK);

    auto stored = ItemAt<outlook::ContactItem>(Folder(outlook::olFolderContacts).get());
    EXPECT_EQ(PROP(stored, FileAs), "Grace Hopper");
    EXPECT_EQ(PROP(stored, HomeAddress), "1 Main St\r\nArlington");
    EXPECT_EQ(PROP(stored, Birthday).Format("%Y-%m-%d"), "1906-12-09");
    ASSERT_EQ(stored->put_HomeAddress(""), S_OK);
    EXPECT_EQ(PROP(stored, HomeAddressCity), "");
}

TEST_F(ContactStore, FullNameFillsTheNameParts) {
    std::ifstream rows(VELSYNC_HOST_TEST_DATA "/full-names.txt");
    std::string row;
    int checked = 0;
    auto contact = NewContact("", "");
    while (std::getline(rows, row)) {
        if (row.empty() || row[0] == '#')
            continue;
        SCOPED_TRACE(row);
        std::vector<std::string> cells;
        for (std::size_t start = 0, bar = 0; bar != std::string::npos; start = bar + 1) {
            bar = row.find('|', start);
            cells.push_back(row.substr(start, bar == std::string::npos ? bar : bar - start));
        }
        ASSERT_EQ(cells.size(), 6u);
        ASSERT_EQ(contact->put_FullName(cells[0]), S_OK);
        EXPECT_EQ(PROP(contact, Title), cells[1]);
        EXPECT_EQ(PROP(contact, FirstName), cells[2]);
        EXPECT_EQ(PROP(contact, MiddleName), cells[3]);
        EXPECT_EQ(PROP(contact, LastName), cells[4]);
        EXPECT_EQ(PROP(contact, Suffix), cells[5]);
        ++checked;
    }
    EXPECT_EQ(checked, 10);
}

// The groups manager tests build lists through these calls; here: what they refuse or leave alone.
TEST_F(ContactStore, DistributionListsTakeOnlyResolvedMembersOnceAndAnswerOnlyAsLists) {
    ASSERT_EQ(NewContact("Ada Lovelace", "ada@example.org")->Save(), S_OK);
    ComPtr<outlook::IDispatch> created;
    ASSERT_EQ(
        ItemsOf(Folder(outlook::olFolderContacts).get())->Add(outlook::olDistributionListItem, &created),
        S_OK);
    ComPtr<outlook::DistListItem> list;
    ASSERT_EQ(created.As(&list), S_OK);
    ComPtr<outlook::ContactItem> not_contact;
    EXPECT_EQ(created.As(&not_contact), E_NOINTERFACE);
    ComPtr<outlook::Recipient> ada;
    ComPtr<outlook::Recipient> nobody;
    ASSERT_EQ(ns_->CreateRecipient("ada@example.org", &ada), S_OK);
    ASSERT_EQ(ns_->CreateRecipient("not an address", &nobody), S_OK);
    EXPECT_EQ(ns_->CreateRecipient("", &nobody), E_INVALIDARG);
    bool resolved = false;
    ASSERT_EQ(ada->Resolve(&resolved), S_OK);
    EXPECT_TRUE(resolved);
    ASSERT_EQ(nobody->Resolve(&resolved), S_OK);
    EXPECT_FALSE(resolved);
    EXPECT_EQ(list->AddMember(nobody.get()), outlook::MAPI_E_NOT_FOUND);
    ASSERT_EQ(list->AddMember(ada.get()), S_OK);
    ASSERT_EQ(list->AddMember(ada.get()), S_OK);  // already a member: nothing changes
    ASSERT_EQ(PROP(list, MemberCount), 1);
    ComPtr<outlook::Recipient> member;
    ASSERT_EQ(list->GetMember(1, &member), S_OK);
    EXPECT_EQ(PROP(member, Name), "Ada Lovelace");
    EXPECT_EQ(list->GetMember(2, &member), outlook::DISP_E_BADINDEX);
    ASSERT_EQ(list->RemoveMember(ada.get()), S_OK);
    EXPECT_EQ(list->RemoveMember(ada.get()), outlook::MAPI_E_NOT_FOUND);
}

TEST_F(ContactStore, ItemsGoOnlyIntoFoldersThatHoldTheirKind) {
    auto contact = NewContact("Misplaced", "m@example.org");
    ASSERT_EQ(contact->Save(), S_OK);
    ComPtr<outlook::IDispatch> item;
    EXPECT_EQ(contact->Move(Folder(outlook::olFolderCalendar).get(), &item), E_INVALIDARG);
    EXPECT_EQ(ItemsOf(Folder(outlook::olFolderCalendar).get())->Add(outlook::olContactItem, &item),
              E_INVALIDARG);
    EXPECT_EQ(app_->CreateItem(outlook::olMailItem, &item), E_INVALIDARG);
    ComPtr<outlook::MAPIFolder> folder;
    EXPECT_EQ(ns_->GetDefaultFolder(static_cast<outlook::OlDefaultFolders>(6), &folder), E_INVALIDARG);
}

TEST_F(ContactStore, SubFoldersTakeTheParentsKindAndUniqueNames) {
    auto contacts = Folder(outlook::olFolderContacts);
    auto folders = PROP(contacts, Folders);
    ComPtr<outlook::MAPIFolder> work;
    ASSERT_EQ(folders->Add("Work", &work), S_OK);
    ComPtr<outlook::MAPIFolder> clash;
    EXPECT_EQ(folders->Add("WORK", &clash), outlook::MAPI_E_COLLISION);
    EXPECT_EQ(folders->Add("", &clash), E_INVALIDARG);

    ComPtr<outlook::MAPIFolder> below;
    ASSERT_EQ(PROP(work, Folders)->Add("Below", &below), S_OK);
    auto contact = NewContact("Colleague", "c@example.org", below.get());
    ASSERT_EQ(contact->Save(), S_OK);
    EXPECT_EQ(CountOf(below.get()), 1);
    EXPECT_EQ(PROP(PROP(contact, Parent), Name), "Below");
    EXPECT_EQ(PROP(below, DefaultItemType), outlook::olContactItem);
    EXPECT_FALSE(PROP(contacts, Parent));

    // Deleting a folder takes its sub-folders and their items with it; nothing new is saved into them.
    auto below_items = PROP(below, Items);
    EXPECT_EQ(contacts->Delete(), outlook::MAPI_E_NO_SUPPORT);
    ASSERT_EQ(work->Delete(), S_OK);
    EXPECT_EQ(PROP(folders, Count), 0);
    EXPECT_EQ(contact->Save(), outlook::MAPI_E_OBJECT_DELETED);
    ComPtr<outlook::IDispatch> added;
    ASSERT_EQ(below_items->Add(&added), S_OK);
    ComPtr<outlook::ContactItem> orphan;
    ASSERT_EQ(added.As(&orphan), S_OK);
    EXPECT_EQ(orphan->Save(), outlook::MAPI_E_OBJECT_DELETED);
}

TEST_F(ContactStore, FolderMovesKeepNamesUniqueAndTheTreeAcyclic) {
    auto contacts = Folder(outlook::olFolderContacts);
    auto top = PROP(contacts, Folders);
    ComPtr<outlook::MAPIFolder> a;
    ComPtr<outlook::MAPIFolder> b;
    ASSERT_EQ(top->Add("A", &a), S_OK);
    ASSERT_EQ(top->Add("B", &b), S_OK);
    auto below_b = PROP(b, Folders);
    ComPtr<outlook::MAPIFolder> clash;
    ASSERT_EQ(below_b->Add("a", &clash), S_OK);

    EXPECT_EQ(a->MoveTo(b.get()), outlook::MAPI_E_COLLISION);
    EXPECT_EQ(b->MoveTo(clash.get()), E_INVALIDARG);
    EXPECT_EQ(b->MoveTo(b.get()), E_INVALIDARG);
    EXPECT_EQ(a->MoveTo(Folder(outlook::olFolderCalendar).get()), E_INVALIDARG);
    EXPECT_EQ(contacts->MoveTo(a.get()), E_INVALIDARG);
    ASSERT_EQ(clash->put_Name("C"), S_OK);
    ASSERT_EQ(a->MoveTo(b.get()), S_OK);
    EXPECT_EQ(b->put_Name(""), E_INVALIDARG);

    EXPECT_EQ(PROP(below_b, Count), 2);
    EXPECT_EQ(PROP(top, Count), 1);
    EXPECT_EQ(PROP(PROP(a, Parent), Name), "B");
}

}  // namespace
}  // namespace host_test
