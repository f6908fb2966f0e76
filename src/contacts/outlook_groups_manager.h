// Contact groups of one contacts folder: the folder's distribution lists, named after the groups, whose
// members are the contacts of each group. A contact is known by its first e-mail address.
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>

#include "outlook/com_ptr.h"
#include "outlook/dist_list_item.h"
#include "outlook/folder.h"

class COutlookGroupsManager {
  public:
    // Keeps the folder and reads its lists (LoadGroups).
    explicit COutlookGroupsManager(outlook::ComPtr<outlook::MAPIFolder> folder);

    // Fills the maps from the folder's distribution lists. A member is keyed by its resolved address,
    // or by its name when it has none.
    void LoadGroups();

    // The group names of a CATEGORIES value: split at every comma not escaped by a backslash, each
    // piece unescaped; empty pieces are skipped, nothing is trimmed, duplicates collapse.
    static std::set<std::string> ParseGroupList(std::string_view text);

    // The groups whose member is the address (ASCII case ignored; a member name holding the address
    // between non-address characters counts too). None for an empty address.
    std::set<std::string> GetContactGroups(const std::string& address) const;
    // Those groups escaped for CATEGORIES and joined with "," in sorted order; "" when none.
    std::string GetContactGroupsListStr(const std::string& address) const;

    // Adds the address to the group's list, creating and saving the list in the folder when the group
    // has none. An address that does not resolve is not added (the new list is saved empty).
    void AddContactToGroup(const std::string& address, const std::string& group);
    // Removes the address from the group; the list is deleted when the group has no member left.
    void DeleteContactFromGroup(const std::string& address, const std::string& group);

    // Brings the address's memberships in line with a CATEGORIES value (empty: leaves every group).
    // Nothing happens for an empty address, which no list can hold.
    void UpdateItem(const std::string& address, std::string_view categories);
    // Removes the address from all its groups.
    void DeleteItem(const std::string& address);

    // The lists by group name. Ownership: the map holds the references.
    const std::map<std::string, outlook::ComPtr<outlook::DistListItem>>& Lists() const { return m_lists; }

  private:
    // The member key that stands for the address, or "" when none does.
    std::string FindMemberKey(const std::string& address) const;
    outlook::ComPtr<outlook::DistListItem> CreateList(const std::string& group);

    outlook::ComPtr<outlook::MAPIFolder> m_folder;
    std::map<std::string, outlook::ComPtr<outlook::DistListItem>> m_lists;
    std::map<std::string, std::set<std::string>> m_members_of_group;
    std::map<std::string, std::set<std::string>> m_groups_of_member;
};
