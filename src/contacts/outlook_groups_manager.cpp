#include "contacts/outlook_groups_manager.h"

#include <algorithm>

#include "contacts/internal/vcard_text.h"
#include "ical/ical_text.h"
#include "outlook/application.h"
#include "outlook/items.h"
#include "outlook/namespace.h"
#include "outlook/recipient.h"
#include "platform/text.h"
#include "settings/log.h"

using outlook::ComPtr;

namespace {

bool IsAddressCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_' || c == '%' || c == '+' || c == '-' || c == '@';
}

// "Ann Lee (ann@example.org)" holds ann@example.org; "joann@example.org" does not.
bool HoldsAddress(std::string_view key, std::string_view address) {
    const std::string lower_key = platform::AsciiLower(key);
    const std::string lower_address = platform::AsciiLower(address);
    for (std::size_t at = lower_key.find(lower_address); at != std::string::npos;
         at = lower_key.find(lower_address, at + 1)) {
        const std::size_t end = at + lower_address.size();
        if ((at == 0 || !IsAddressCharacter(lower_key[at - 1])) &&
            (end == lower_key.size() || !IsAddressCharacter(lower_key[end]))) {
            return true;
        }
    }
    return false;
}

std::string MemberKeyOf(outlook::Recipient* recipient) {
    std::string address;
    if (SUCCEEDED(recipient->get_Address(&address)) && !address.empty())
        return address;
    std::string name;
    static_cast<void>(recipient->get_Name(&name));
    return name;
}

}  // namespace

COutlookGroupsManager::COutlookGroupsManager(ComPtr<outlook::MAPIFolder> folder)
    : m_folder(std::move(folder)) {
    LoadGroups();
}

void COutlookGroupsManager::LoadGroups() {
    m_lists.clear();
    m_members_of_group.clear();
    m_groups_of_member.clear();
    ComPtr<outlook::Items> items;
    std::int32_t count = 0;
    if (!m_folder || FAILED(m_folder->get_Items(&items)) || !items || FAILED(items->get_Count(&count)))
        return;
    for (std::int32_t index = 1; index <= count; ++index) {
        ComPtr<outlook::IDispatch> item;
        ComPtr<outlook::DistListItem> list;
        if (FAILED(items->Item(index, &item)) || FAILED(item.As(&list)))
            continue;
        std::string name;
        if (FAILED(list->get_DLName(&name)))
            continue;
        m_lists[name] = list;
        m_members_of_group[name];
        std::int32_t members = 0;
        if (FAILED(list->get_MemberCount(&members)))
            continue;
        for (std::int32_t member = 1; member <= members; ++member) {
            ComPtr<outlook::Recipient> recipient;
            if (FAILED(list->GetMember(member, &recipient)) || !recipient)
                continue;
            const std::string key = MemberKeyOf(recipient.get());
            m_members_of_group[name].insert(key);
            m_groups_of_member[key].insert(name);
        }
    }
}

std::set<std::string> COutlookGroupsManager::ParseGroupList(std::string_view text) {
    std::set<std::string> groups;
    for (const std::string& piece : contacts::SplitUnescaped(text, ',')) {
        if (!piece.empty())
            groups.insert(contacts::DecodeValue(piece));
    }
    return groups;
}

std::string COutlookGroupsManager::FindMemberKey(const std::string& address) const {
    if (address.empty())
        return {};
    for (const auto& [key, groups] : m_groups_of_member) {
        if (platform::EqualsIgnoreAsciiCase(key, address))
            return key;
    }
    for (const auto& [key, groups] : m_groups_of_member) {
        if (HoldsAddress(key, address))
            return key;
    }
    return {};
}

std::set<std::string> COutlookGroupsManager::GetContactGroups(const std::string& address) const {
    const std::string key = FindMemberKey(address);
    if (key.empty())
        return {};
    return m_groups_of_member.at(key);
}

std::string COutlookGroupsManager::GetContactGroupsListStr(const std::string& address) const {
    std::string text;
    for (const std::string& group : GetContactGroups(address)) {
        if (!text.empty())
            text += ',';
        text += ical::EscapeText(group);
    }
    return text;
}

ComPtr<outlook::DistListItem> COutlookGroupsManager::CreateList(const std::string& group) {
    ComPtr<outlook::Application> application;
    ComPtr<outlook::IDispatch> created;
    ComPtr<outlook::DistListItem> unsaved;
    ComPtr<outlook::IDispatch> moved;
    ComPtr<outlook::DistListItem> list;
    if (FAILED(m_folder->get_Application(&application)) || !application ||
        FAILED(application->CreateItem(outlook::olDistributionListItem, &created)) || !created ||
        FAILED(created.As(&unsaved))) {
        Log("COutlookGroupsManager::AddContactToGroup: Unable to create the list '%s'.", group.c_str());
        return {};
    }
    // Named before the move saves it: a run killed before the list's own save leaves a list the next
    // run finds by its name, not a nameless one no run ever claims.
    static_cast<void>(unsaved->put_DLName(group));
    if (FAILED(unsaved->Move(m_folder.get(), &moved)) || !moved || FAILED(moved.As(&list))) {
        Log("COutlookGroupsManager::AddContactToGroup: Unable to move the list '%s'.", group.c_str());
        return {};
    }
    m_lists[group] = list;
    return list;
}

void COutlookGroupsManager::AddContactToGroup(const std::string& address, const std::string& group) {
    auto found = m_lists.find(group);
    ComPtr<outlook::DistListItem> list = found != m_lists.end() ? found->second : CreateList(group);
    if (!list)
        return;
    ComPtr<outlook::NameSpace> session;
    ComPtr<outlook::Recipient> recipient;
    bool resolved = false;
    if (SUCCEEDED(list->get_Session(&session)) && session &&
        SUCCEEDED(session->CreateRecipient(address, &recipient)) && recipient &&
        SUCCEEDED(recipient->Resolve(&resolved)) && resolved) {
        static_cast<void>(list->AddMember(recipient.get()));
    }
    const HRESULT hr = list->Save();
    if (FAILED(hr))
        Log("COutlookGroupsManager::AddContactToGroup: Unable to save the list. HRESULT: %d.", hr);
}

void COutlookGroupsManager::DeleteContactFromGroup(const std::string& address, const std::string& group) {
    auto& members = m_members_of_group[group];
    std::erase_if(members, [&address](const std::string& key) {
        return platform::EqualsIgnoreAsciiCase(key, address) || HoldsAddress(key, address);
    });
    const auto found = m_lists.find(group);
    if (found == m_lists.end())
        return;
    ComPtr<outlook::DistListItem> list = found->second;
    if (members.empty()) {
        const HRESULT hr = list->Delete();
        if (FAILED(hr))
            Log("COutlookGroupsManager::DeleteContactFromGroup: Unable to delete the list. HRESULT: %d.", hr);
        m_lists.erase(found);
        m_members_of_group.erase(group);
        return;
    }
    std::int32_t count = 0;
    if (FAILED(list->get_MemberCount(&count)))
        return;
    for (std::int32_t index = 1; index <= count; ++index) {
        ComPtr<outlook::Recipient> recipient;
        if (FAILED(list->GetMember(index, &recipient)) || !recipient)
            continue;
        const std::string key = MemberKeyOf(recipient.get());
        if (platform::EqualsIgnoreAsciiCase(key, address) || HoldsAddress(key, address)) {
            static_cast<void>(list->RemoveMember(recipient.get()));
            static_cast<void>(list->Save());
            return;
        }
    }
}

void COutlookGroupsManager::UpdateItem(const std::string& address, std::string_view categories) {
    if (address.empty()) {
        if (!categories.empty())
            Log("COutlookGroupsManager::UpdateItem: A contact without e-mail address cannot join groups.");
        return;
    }
    const std::set<std::string> wanted = ParseGroupList(categories);
    const std::set<std::string> current = GetContactGroups(address);
    for (const std::string& group : wanted) {
        if (current.count(group) == 0)
            AddContactToGroup(address, group);
    }
    for (const std::string& group : current) {
        if (wanted.count(group) == 0)
            DeleteContactFromGroup(address, group);
    }
    std::string key = FindMemberKey(address);
    if (key.empty())
        key = address;
    if (wanted.empty())
        m_groups_of_member.erase(key);
    else
        m_groups_of_member[key] = wanted;
    for (const std::string& group : wanted) {
        auto& members = m_members_of_group[group];
        const bool known = std::any_of(members.begin(), members.end(), [&key](const std::string& member) {
            return platform::EqualsIgnoreAsciiCase(member, key);
        });
        if (!known)
            members.insert(key);
    }
}

void COutlookGroupsManager::DeleteItem(const std::string& address) {
    for (const std::string& group : GetContactGroups(address))
        DeleteContactFromGroup(address, group);
    const std::string key = FindMemberKey(address);
    if (!key.empty())
        m_groups_of_member.erase(key);
}
