// One Outlook contact as the synchronization sees it: its vCard in both directions, its two user
// properties (the preferred e-mail slot "oidPREF" and the server UID "oidUID"), and its groups.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "contacts/vcard_lines.h"
#include "outlook/com_ptr.h"
#include "outlook/contact_item.h"
#include "outlook/user_property.h"

class COutlookGroupsManager;
class IReadonlyGuards;

class COutlookContact {
  public:
    // Finds or creates "oidPREF" and "oidUID" on the item; a new contact also gets "AllowCreate" set to
    // true, so the read-only guards let the synchronization's own creation pass. `groups` and `guards`
    // are not owned; `guards` may be null.
    COutlookContact(COutlookGroupsManager* groups, outlook::ComPtr<outlook::ContactItem> contact, bool is_new,
                    IReadonlyGuards* guards);

    // The vCard 3.0 text of the contact (CR LF lines), with `default_uid` as UID when "oidUID" is empty;
    // "" when there is no item. FN and N are always written, as servers refuse cards without them; N
    // from the name parts.
    // Throws: CAddinException when a user property holds a value of the wrong type.
    std::string GetVCard(const std::string& default_uid) const;

    // Parses a vCard (2.1, 3.0 or 4.0) into content lines (contacts::ReadCardLines).
    void SetVCard(std::string_view text);

    // Writes the parsed vCard into the item field by field, saves it, then updates its groups.
    // Throws: CAddinException when the item cannot be saved (so the pairing is not recorded) or a user
    // property holds a value of the wrong type.
    void SaveOutlookContact();

    // Leaves every group and deletes the item. Throws: CAddinException when the item cannot be deleted.
    void DeleteOutlookContact();

    std::string GetEntryId() const;
    std::string GetEmail1Address() const;
    platform::DateTime GetLastModificationTime() const;

    // "oidPREF": 0 none, 1..3 the preferred e-mail slot. Throws: CAddinException for a non-number.
    std::int32_t GetPreferredSlot() const;
    void SetPreferredSlot(std::int32_t slot);
    // "oidUID". Throws: CAddinException for a value that is not text.
    std::string GetUid() const;
    void SetUid(const std::string& uid);

    // Ownership: the reference is shared with the caller.
    const outlook::ComPtr<outlook::ContactItem>& Item() const { return m_contact; }

  private:
    COutlookGroupsManager* m_groups;
    outlook::ComPtr<outlook::ContactItem> m_contact;
    IReadonlyGuards* m_guards;
    std::vector<contacts::CardLine> m_lines;
    outlook::ComPtr<outlook::UserProperty> m_pref_property;
    outlook::ComPtr<outlook::UserProperty> m_uid_property;
};
