#include "contacts/outlook_groups_manager.h"

#include <gtest/gtest.h>

#include "unit/contacts/fake_outlook.h"

namespace {

using outlook::ComPtr;
using Groups = std::set<std::string>;

class GroupsManager : public ::testing::Test {
  protected:
    // A list made as a user would: a saved distribution list in the folder with these members.
    fake::FakeDistList* AddList(const std::string& name, std::initializer_list<const char*> members) {
        ComPtr<outlook::Items> items;
        ComPtr<outlook::IDispatch> item;
        EXPECT_EQ(store_.contacts->get_Items(&items), S_OK);
        EXPECT_EQ(items->Add(outlook::olDistributionListItem, &item), S_OK);
        auto* list = dynamic_cast<fake::FakeDistList*>(item.get());
        list->name = name;
        for (const char* member : members) {
            ComPtr<outlook::Recipient> recipient;
            bool resolved = false;
            EXPECT_EQ(store_.session->CreateRecipient(member, &recipient), S_OK);
            EXPECT_EQ(recipient->Resolve(&resolved), S_OK);
            EXPECT_EQ(list->AddMember(recipient.get()), S_OK);
        }
        EXPECT_EQ(list->Save(), S_OK);
        return list;
    }

    fake::FakeStore store_;
};

TEST_F(GroupsManager, ParseGroupListSplitsAtUnescapedCommas) {
    struct Row {
        const char* text;
        Groups expected;
    } rows[] = {
        {"Friends,Work", {"Friends", "Work"}},
        {"a, b", {"a", " b"}},
        {"Friends,,Friends", {"Friends"}},
        {"", {}},
        {",,", {}},
        {"Smith\\, Jones,X", {"Smith, Jones", "X"}},
        {"back\\\\,slash", {"back\\", "slash"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(COutlookGroupsManager::ParseGroupList(row.text), row.expected);
    }
}

TEST_F(GroupsManager, LoadsListsAndMembers) {
    store_.contacts->AddContact("Ann Lee", "ann@x.example");
    AddList("Friends", {"ann@x.example", "bob@x.example"});
    AddList("Work", {"ann@x.example"});
    store_.contacts->AddContact("Solo", "solo@x.example");
    COutlookGroupsManager groups(store_.contacts);
    EXPECT_EQ(groups.Lists().size(), 2u);
    EXPECT_EQ(groups.GetContactGroups("ann@x.example"), (Groups{"Friends", "Work"}));
    EXPECT_EQ(groups.GetContactGroups("ANN@x.example"), (Groups{"Friends", "Work"}));
    EXPECT_EQ(groups.GetContactGroups("bob@x.example"), (Groups{"Friends"}));
    EXPECT_EQ(groups.GetContactGroups("solo@x.example"), Groups{});
    EXPECT_EQ(groups.GetContactGroupsListStr("ann@x.example"), "Friends,Work");
}

TEST_F(GroupsManager, AddressInsideALongerNameIsFoundButNotInsideAnotherAddress) {
    ComPtr<fake::FakeDistList> list(AddList("Friends", {}));
    ComPtr<fake::FakeRecipient> unresolved(new fake::FakeRecipient(&store_, "Ann Lee (ann@x.example)"));
    list->members.push_back(unresolved);
    COutlookGroupsManager groups(store_.contacts);
    EXPECT_EQ(groups.GetContactGroups("ann@x.example"), (Groups{"Friends"}));
    EXPECT_EQ(groups.GetContactGroups("n@x.example"), Groups{});
    EXPECT_EQ(groups.GetContactGroups(""), Groups{});
}

TEST_F(GroupsManager, UpdateCreatesMissingListsAndJoinsThem) {
    store_.contacts->AddContact("Ann Lee", "ann@x.example");
    AddList("Friends", {"bob@x.example"});
    COutlookGroupsManager groups(store_.contacts);
    groups.UpdateItem("ann@x.example", "Friends,Work");
    ASSERT_NE(store_.contacts->FindList("Work"), nullptr);
    EXPECT_EQ(store_.contacts->FindList("Work")->MemberAddresses(),
              (std::vector<std::string>{"ann@x.example"}));
    EXPECT_EQ(store_.contacts->FindList("Friends")->MemberAddresses(),
              (std::vector<std::string>{"bob@x.example", "ann@x.example"}));
    EXPECT_EQ(groups.GetContactGroups("ann@x.example"), (Groups{"Friends", "Work"}));
    // A fresh manager reads the same from Outlook.
    COutlookGroupsManager reread(store_.contacts);
    EXPECT_EQ(reread.GetContactGroups("ann@x.example"), (Groups{"Friends", "Work"}));
}

TEST_F(GroupsManager, LeavingTheLastGroupMemberDeletesTheList) {
    AddList("Work", {"ann@x.example"});
    AddList("Friends", {"ann@x.example", "bob@x.example"});
    COutlookGroupsManager groups(store_.contacts);
    groups.UpdateItem("ann@x.example", "");
    EXPECT_EQ(store_.contacts->FindList("Work"), nullptr);
    ASSERT_NE(store_.contacts->FindList("Friends"), nullptr);
    EXPECT_EQ(store_.contacts->FindList("Friends")->MemberAddresses(),
              (std::vector<std::string>{"bob@x.example"}));
    EXPECT_EQ(groups.GetContactGroups("ann@x.example"), Groups{});
}

TEST_F(GroupsManager, LeaveAndJoinAgainInOneRun) {
    AddList("Work", {"ann@x.example"});
    COutlookGroupsManager groups(store_.contacts);
    groups.UpdateItem("ann@x.example", "");
    groups.UpdateItem("ann@x.example", "Work");
    ASSERT_NE(store_.contacts->FindList("Work"), nullptr);
    EXPECT_EQ(store_.contacts->FindList("Work")->MemberAddresses(),
              (std::vector<std::string>{"ann@x.example"}));
}

TEST_F(GroupsManager, UnresolvableAddressGetsAnEmptyList) {
    COutlookGroupsManager groups(store_.contacts);
    groups.AddContactToGroup("not an address", "Team");
    ASSERT_NE(store_.contacts->FindList("Team"), nullptr);
    EXPECT_TRUE(store_.contacts->FindList("Team")->members.empty());
}

TEST_F(GroupsManager, ContactWithoutAddressJoinsNothing) {
    COutlookGroupsManager groups(store_.contacts);
    groups.UpdateItem("", "Friends");
    EXPECT_TRUE(store_.contacts->Lists().empty());
}

TEST_F(GroupsManager, DeleteItemLeavesEveryGroup) {
    AddList("A", {"ann@x.example", "bob@x.example"});
    AddList("B", {"ann@x.example"});
    COutlookGroupsManager groups(store_.contacts);
    groups.DeleteItem("ann@x.example");
    EXPECT_EQ(store_.contacts->FindList("B"), nullptr);
    EXPECT_EQ(store_.contacts->FindList("A")->MemberAddresses(), (std::vector<std::string>{"bob@x.example"}));
    EXPECT_EQ(groups.GetContactGroupsListStr("ann@x.example"), "");
}

}  // namespace
