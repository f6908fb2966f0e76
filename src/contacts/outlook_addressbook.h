// One Outlook contacts folder and, recursively, its sub-folders: the contacts of each, its groups, and
// the folders made for server address books.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "contacts/outlook_contact.h"
#include "contacts/outlook_groups_manager.h"
#include "outlook/com_ptr.h"
#include "outlook/folder.h"
#include "outlook/folders.h"
#include "outlook/items.h"

class IReadonlyGuards;

class COutlookAddressbook : public std::enable_shared_from_this<COutlookAddressbook> {
  public:
    // The book of `folder` with its contacts, groups and sub-folders loaded. `guards` is not owned and
    // may be null.
    static std::shared_ptr<COutlookAddressbook> Create(outlook::ComPtr<outlook::MAPIFolder> folder,
                                                       IReadonlyGuards* guards);

    // Use Create; public only for make_shared.
    COutlookAddressbook(outlook::ComPtr<outlook::MAPIFolder> folder, IReadonlyGuards* guards);

    // A new contact in the folder (unsaved until the caller saves it), marked "AllowCreate".
    // Throws: CAddinException when the folder cannot make one.
    std::shared_ptr<COutlookContact> CreateContact();

    // The contact with this EntryID (contacts created in this run included), or empty.
    std::shared_ptr<COutlookContact> FindContact(const std::string& entry_id) const;

    // This book, a descendant with this folder EntryID, or empty.
    std::shared_ptr<COutlookAddressbook> FindAddressbook(const std::string& entry_id);

    // A sub-folder named `name` for a server book: made new, or, when one of that name exists, reused
    // (`use_existing`) or, after the user agrees, deleted and made again. Empty when the user declines
    // or no folder can be made.
    std::shared_ptr<COutlookAddressbook> CreateNewAddressbook(const std::string& name, bool use_existing);

    // The first child whose folder name equals `name` (ASCII case ignored, as folder names collide),
    // taken out of the children list; empty when none.
    std::shared_ptr<COutlookAddressbook> DetachAddressbookByName(const std::string& name);

    // Deletes the folder with everything in it.
    HRESULT Delete();

    const std::string& GetEntryId() const { return m_entry_id; }
    const std::string& GetName() const { return m_name; }
    const std::vector<std::shared_ptr<COutlookContact>>& GetContacts() const { return m_contacts; }
    const std::vector<std::shared_ptr<COutlookAddressbook>>& GetChildren() const { return m_children; }

  private:
    void LoadContacts();
    void LoadAddressbooks();

    outlook::ComPtr<outlook::MAPIFolder> m_folder;
    outlook::ComPtr<outlook::Folders> m_folders;
    outlook::ComPtr<outlook::Items> m_items;
    IReadonlyGuards* m_guards;
    std::string m_entry_id;
    std::string m_name;
    std::unique_ptr<COutlookGroupsManager> m_groups;
    std::map<std::string, std::shared_ptr<COutlookContact>> m_contacts_by_id;
    std::vector<std::shared_ptr<COutlookContact>> m_contacts;
    std::vector<std::shared_ptr<COutlookContact>> m_created;
    std::map<std::string, std::shared_ptr<COutlookAddressbook>> m_children_by_name;
    std::map<std::string, std::shared_ptr<COutlookAddressbook>> m_children_by_id;
    std::vector<std::shared_ptr<COutlookAddressbook>> m_children;
};
