#include "contacts/internal/unrecorded_contacts.h"

#include "contacts/card_dav_contact.h"

namespace contacts {

void UnrecordedContacts::Add(const std::shared_ptr<CCardDavContact>& contact) {
    const std::string uid = contact->GetUid();
    if (!uid.empty())
        m_by_uid.emplace(uid, contact);
    m_by_name.emplace(contact->GetResourceName(), contact);
}

std::shared_ptr<CCardDavContact> UnrecordedContacts::TakeFrom(
    std::map<std::string, std::shared_ptr<CCardDavContact>>* keyed, const std::string& key) {
    if (key.empty())
        return nullptr;
    const auto found = keyed->find(key);
    if (found == keyed->end())
        return nullptr;
    std::shared_ptr<CCardDavContact> contact = found->second;
    // Handed out once: its other key must not pair it with a second Outlook contact.
    for (auto* map : {&m_by_uid, &m_by_name}) {
        for (auto it = map->begin(); it != map->end();)
            it = it->second == contact ? map->erase(it) : std::next(it);
    }
    return contact;
}

std::shared_ptr<CCardDavContact> UnrecordedContacts::Take(const std::string& uid,
                                                          const std::string& entry_id) {
    if (auto contact = TakeFrom(&m_by_uid, uid))
        return contact;
    if (auto contact = TakeFrom(&m_by_name, entry_id))
        return contact;
    return TakeFrom(&m_by_uid, entry_id);
}

}  // namespace contacts
