// One CardDAV address book collection with the contacts it holds.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "contacts/card_dav_contact.h"

class CDavServer;

class CCardDavAddressbook {
  public:
    // `server` is not owned and must outlive the book.
    CCardDavAddressbook(CDavServer* server, bool readonly);

    // Lists the collections of `home_set_url` (PROPFIND, Depth: 1) and appends one book per address
    // book collection, with its collection tag; no contacts until LoadContacts(). A book is read-only
    // when `readonly` is set, when
    // its href names a shared book (IsSharedBookHref), or when the server's current-user-privilege-set
    // for it holds neither DAV:write nor DAV:all.
    // Throws: the CAddinExceptions of CDavServer; 600 for an answer that is not a multistatus document.
    static void LoadFromServer(CDavServer* server, const std::string& home_set_url, bool readonly,
                               std::vector<std::shared_ptr<CCardDavAddressbook>>* out);

    // Fills the contacts from the server (CCardDavContact::LoadFromServer); of two contacts with the
    // same href the later one is kept. Throws: as CCardDavContact::LoadFromServer.
    void LoadContacts();

    // A new, unsaved contact named `name` in this book; the book's lists do not change.
    std::shared_ptr<CCardDavContact> CreateContact(const std::string& name) const;

    // The contact at `href` as the server has it now; null when it has none there. The book's lists do
    // not change. Throws: as CCardDavContact::LoadOne.
    std::shared_ptr<CCardDavContact> LoadContact(const std::string& href) const;

    // The contact with this href (exact), or empty.
    std::shared_ptr<CCardDavContact> FindContact(const std::string& href) const;
    // Hrefs of cards that are on the server but could not be read by the last LoadContacts.
    bool IsUnreadable(const std::string& href) const;
    std::size_t GetUnreadableCount() const { return m_unreadable.size(); }

    // True when the last non-empty segment of the href is "addressbook" (case-sensitive).
    bool IsDefault() const { return IsDefaultHref(m_href); }
    static bool IsDefaultHref(std::string_view href);
    // True when "Collected" lies within the href's last 10 characters or "SharedWithAll" within its last
    // 14: the server's shared books, which are read-only.
    static bool IsSharedBookHref(std::string_view href);

    const std::string& GetHref() const { return m_href; }
    const std::string& GetDisplayName() const { return m_display_name; }
    const std::string& GetHomeSetUrl() const { return m_home_set_url; }
    // The collection tag of the listing (getctag): changes whenever a card does. "" when the server gave
    // none.
    const std::string& GetCTag() const { return m_ctag; }
    bool IsReadonly() const { return m_readonly; }
    const std::vector<std::shared_ptr<CCardDavContact>>& GetContacts() const { return m_contacts; }

    void SetHref(std::string href) { m_href = std::move(href); }
    void SetDisplayName(std::string name) { m_display_name = std::move(name); }

  private:
    CDavServer* m_server;
    std::string m_home_set_url;
    std::string m_href;
    std::string m_display_name;
    std::string m_ctag;
    bool m_readonly;
    std::map<std::string, std::shared_ptr<CCardDavContact>> m_by_href;
    std::vector<std::shared_ptr<CCardDavContact>> m_contacts;
    std::vector<std::string> m_unreadable;
};
