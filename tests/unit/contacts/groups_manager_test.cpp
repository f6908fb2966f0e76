#include "contacts/outlook_groups_manager.h"

#include <gtest/gtest.h>

#include "host/fault_hook.h"
#include "host/record_owner.h"
#include "outlook/dist_list_item.h"
#include "outlook/items.h"
#include "unit/contacts/contact_test_support.h"

namespace {

using Groups = std::set<std::string>;
using Lists = std::map<std::string, std::vector<std::string>>;

class GroupsManager : public ::testing::Test {
  protected:
    testing_support::HostOutlook outlook_;
};

TEST(GroupList, SplitsAtUnescapedCommas) {
    const struct {
        const char* text;
        Groups expected;
    } rows[] = {
        {"Friends,Work", {"Friends", "Work"}},       {"a, b", {"a", " b"}},
        {"Friends,,Friends", {"Friends"}},           {"", {}},
        {"Smith\\, Jones,X", {"Smith, Jones", "X"}}, {"back\\\\,slash", {"back\\", "slash"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(COutlookGroupsManager::ParseGroupList(row.text), row.expected);
    }
}

TEST_F(GroupsManager, LoadsListsAndUpdateCreatesMissingOnesAndJoinsThem) {
    outlook_.AddContact({{"FullName", "Ann Lee"}, {"Email1Address", "ann@x.example"}});
    outlook_.AddList("Friends", {"ann@x.example", "bob@x.example"});
    outlook_.AddList("Work", {"ann@x.example"});
    COutlookGroupsManager groups(outlook_.contacts);
    EXPECT_EQ(groups.GetContactGroups("ANN@x.example"), (Groups{"Friends", "Work"}));
    EXPECT_EQ(groups.GetContactGroups("solo@x.example"), Groups{});
    EXPECT_EQ(groups.GetContactGroupsListStr("ann@x.example"), "Friends,Work");
    groups.UpdateItem("bob@x.example", "Friends,Team");
    EXPECT_EQ(outlook_.Lists(), (Lists{{"Friends", {"ann@x.example", "bob@x.example"}},
                                       {"Team", {"bob@x.example"}},
                                       {"Work", {"ann@x.example"}}}));
    EXPECT_EQ(COutlookGroupsManager(outlook_.contacts).GetContactGroups("bob@x.example"),
              (Groups{"Friends", "Team"}));
}

TEST_F(GroupsManager, AddressInsideALongerNameIsFoundButNotInsideAnotherAddress) {
    outlook_.AddList("Friends", {});
    // A member another program wrote with its display text only.
    outlook::ComPtr<outlook::Items> items;
    outlook::ComPtr<outlook::IDispatch> item;
    ASSERT_EQ(outlook_.contacts->get_Items(&items), S_OK);
    ASSERT_EQ(items->Item(1, &item), S_OK);
    auto* list = dynamic_cast<host::RecordOwner*>(item.get());
    ASSERT_NE(list, nullptr);
    list->Record().members.push_back({{"Name", outlook::Variant(std::string("Ann Lee (ann@x.example)"))}});
    ASSERT_EQ(list->SaveOwner(), S_OK);
    COutlookGroupsManager groups(outlook_.contacts);
    EXPECT_EQ(groups.GetContactGroups("ann@x.example"), (Groups{"Friends"}));
    EXPECT_EQ(groups.GetContactGroups("n@x.example"), Groups{});
    EXPECT_EQ(groups.GetContactGroups(""), Groups{});
}

TEST_F(GroupsManager, LeavingTheLastGroupMemberDeletesTheList) {
    outlook_.AddList("Work", {"ann@x.example"});
    outlook_.AddList("Friends", {"ann@x.example", "bob@x.example"});
    COutlookGroupsManager groups(outlook_.contacts);
    groups.UpdateItem("ann@x.example", "");
    EXPECT_EQ(outlook_.Lists(), (Lists{{"Friends", {"bob@x.example"}}}));
    EXPECT_EQ(groups.GetContactGroupsListStr("ann@x.example"), "");
    // Leave and join again in one run.
    groups.UpdateItem("bob@x.example", "");
    groups.UpdateItem("bob@x.example", "Friends");
    EXPECT_EQ(outlook_.Lists(), (Lists{{"Friends", {"bob@x.example"}}}));
}

TEST_F(GroupsManager, AddressThatDoesNotResolve) {
    COutlookGroupsManager groups(outlook_.contacts);
    // A contact without address joins nothing; an unresolvable one gets an empty list.
    groups.UpdateItem("", "Friends");
    EXPECT_TRUE(outlook_.Lists().empty());
    groups.AddContactToGroup("not an address", "Team");
    EXPECT_EQ(outlook_.Lists(), (Lists{{"Team", {}}}));
    // A run that stops between the list's creation and its save (killed, or the save fails) leaves the
    // list under its name, for the next run to find.
    host::SetFault("OutlookItem.Save", E_FAIL, 1);
    groups.AddContactToGroup("ann@x.example", "Crew");
    host::ClearFaults();
    EXPECT_EQ(outlook_.Lists(), (Lists{{"Crew", {}}, {"Team", {}}}));
}

}  // namespace
