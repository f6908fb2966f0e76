#include "contacts/outlook_addressbook.h"

#include "contacts/readonly_guards.h"
#include "outlook/contact_item.h"
#include "platform/message_box.h"
#include "platform/text.h"
#include "settings/addin_exception.h"
#include "settings/log.h"
#include "settings/messages.h"

using outlook::ComPtr;

std::shared_ptr<COutlookAddressbook> COutlookAddressbook::Create(ComPtr<outlook::MAPIFolder> folder,
                                                                 IReadonlyGuards* guards) {
    auto book = std::make_shared<COutlookAddressbook>(std::move(folder), guards);
    book->LoadContacts();
    book->LoadAddressbooks();
    return book;
}

COutlookAddressbook::COutlookAddressbook(ComPtr<outlook::MAPIFolder> folder, IReadonlyGuards* guards)
    : m_folder(std::move(folder)), m_guards(guards) {
    if (m_folder) {
        static_cast<void>(m_folder->get_Folders(&m_folders));
        static_cast<void>(m_folder->get_Items(&m_items));
        static_cast<void>(m_folder->get_EntryID(&m_entry_id));
        static_cast<void>(m_folder->get_Name(&m_name));
    }
    m_groups = std::make_unique<COutlookGroupsManager>(m_folder);
}

void COutlookAddressbook::LoadContacts() {
    std::int32_t count = 0;
    if (!m_items || FAILED(m_items->get_Count(&count)))
        return;
    for (std::int32_t index = 1; index <= count; ++index) {
        ComPtr<outlook::IDispatch> item;
        ComPtr<outlook::ContactItem> contact_item;
        if (FAILED(m_items->Item(index, &item)) || FAILED(item.As(&contact_item)))
            continue;
        auto contact = std::make_shared<COutlookContact>(m_groups.get(), contact_item, false, m_guards);
        m_contacts_by_id[contact->GetEntryId()] = contact;
        m_contacts.push_back(std::move(contact));
    }
}

void COutlookAddressbook::LoadAddressbooks() {
    std::int32_t count = 0;
    if (!m_folders || FAILED(m_folders->get_Count(&count)))
        return;
    for (std::int32_t index = 1; index <= count; ++index) {
        ComPtr<outlook::MAPIFolder> folder;
        if (FAILED(m_folders->Item(index, &folder)) || !folder)
            continue;
        auto child = Create(folder, m_guards);
        m_children_by_id[child->GetEntryId()] = child;
        m_children_by_name[child->GetName()] = child;
        m_children.push_back(std::move(child));
    }
}

std::shared_ptr<COutlookContact> COutlookAddressbook::CreateContact() {
    ComPtr<outlook::IDispatch> item;
    ComPtr<outlook::ContactItem> contact_item;
    HRESULT hr = m_items ? m_items->Add(&item) : E_POINTER;
    if (SUCCEEDED(hr))
        hr = item.As(&contact_item);
    if (FAILED(hr)) {
        Log("COutlookAddressbook::CreateContact: Unable to add a contact. HRESULT: %d.", hr);
        throw CAddinException(kErrorUnknown, "COutlookAddressbook::CreateContact: " + HrName(hr));
    }
    auto contact = std::make_shared<COutlookContact>(m_groups.get(), contact_item, true, m_guards);
    m_contacts.push_back(contact);
    m_created.push_back(contact);
    return contact;
}

std::shared_ptr<COutlookContact> COutlookAddressbook::FindContact(const std::string& entry_id) const {
    if (entry_id.empty())
        return nullptr;
    const auto found = m_contacts_by_id.find(entry_id);
    if (found != m_contacts_by_id.end())
        return found->second;
    for (const auto& created : m_created) {
        if (created->GetEntryId() == entry_id)
            return created;
    }
    return nullptr;
}

std::shared_ptr<COutlookAddressbook> COutlookAddressbook::FindAddressbook(const std::string& entry_id) {
    if (entry_id.empty())
        return nullptr;
    if (m_entry_id == entry_id)
        return shared_from_this();
    const auto found = m_children_by_id.find(entry_id);
    if (found != m_children_by_id.end())
        return found->second;
    for (const auto& child : m_children) {
        if (auto book = child->FindAddressbook(entry_id))
            return book;
    }
    return nullptr;
}

std::shared_ptr<COutlookAddressbook> COutlookAddressbook::DetachAddressbookByName(const std::string& name) {
    for (auto it = m_children.begin(); it != m_children.end(); ++it) {
        if (platform::EqualsIgnoreAsciiCase((*it)->GetName(), name)) {
            auto child = *it;
            m_children.erase(it);
            return child;
        }
    }
    return nullptr;
}

std::shared_ptr<COutlookAddressbook> COutlookAddressbook::CreateNewAddressbook(const std::string& name,
                                                                               bool use_existing) {
    if (!m_folders)
        return nullptr;
    ComPtr<outlook::MAPIFolder> folder;
    if (FAILED(m_folders->Add(name, &folder)) || !folder) {
        folder = nullptr;
        Log("COutlookAddressbook::CreateNewAddressbook will detach");
        auto existing = DetachAddressbookByName(name);
        if (!existing)
            return nullptr;
        if (use_existing) {
            Log("COutlookAddressbook::CreateNewAddressbook will use existing");
            m_children.push_back(existing);
            return existing;
        }
        Log("COutlookAddressbook::CreateNewAddressbook will not use existing");
        std::string question = LoadMessage(IDS_CONTACT_FOLDER_EXISTS);
        const std::size_t at = question.find("%s");
        if (at != std::string::npos)
            question.replace(at, 2, name);
        const int answer = platform::ShowMessageBox(question, LoadMessage(IDS_WARNING),
                                                    platform::MB_YESNO | platform::MB_ICONQUESTION);
        if (answer != platform::IDYES) {
            m_children.push_back(existing);
            return nullptr;
        }
        if (m_guards != nullptr)
            m_guards->SetFolderReadonly(existing->GetEntryId(), false);
        const HRESULT deleted = existing->Delete();
        if (FAILED(deleted))
            Log("COutlookAddressbook::CreateNewAddressbook: Unable to delete the folder. HRESULT: %d.",
                deleted);
        m_children_by_id.erase(existing->GetEntryId());
        if (FAILED(m_folders->Add(name, &folder)) || !folder)
            return nullptr;
    }
    Log("COutlookAddressbook::CreateNewAddressbook will show as OutlookAB");
    static_cast<void>(folder->put_ShowAsOutlookAB(true));
    auto book = Create(folder, m_guards);
    m_children_by_id[book->GetEntryId()] = book;
    m_children_by_name[book->GetName()] = book;
    return book;
}

HRESULT COutlookAddressbook::Delete() {
    return m_folder ? m_folder->Delete() : E_POINTER;
}
