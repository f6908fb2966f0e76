#include "contacts/card_dav_addressbook.h"

#include <algorithm>

#include "dav/dav_server.h"
#include "dav/href_check.h"
#include "dav/xml_helpers.h"
#include "platform/text.h"
#include "settings/addin_exception.h"
#include "settings/log.h"

namespace {

constexpr std::uint32_t kErrorParseXml = 600;

constexpr const char* kListBody =
    "<?xml version=\"1.0\"?><d:propfind xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:carddav\"><d:prop>"
    "<d:resourcetype /><d:displayname /><c:addressbook-description />"
    "<x:getctag xmlns:x=\"http://calendarserver.org/ns/\" /><d:current-user-privilege-set /></d:prop>"
    "</d:propfind>";

bool ContainsNear(std::string_view href, std::string_view word) {
    if (href.size() <= word.size())
        return false;
    return href.substr(href.size() - word.size() - 1).find(word) != std::string_view::npos;
}

// Only a privilege set the server actually gave (status 200) can make a book read-only; Xandikos gives
// only DAV:all, Radicale and SabreDAV DAV:write for writable books.
bool PrivilegesDenyWrite(const XmlNodePtr& response) {
    constexpr const char* kSet = "d:propstat[contains(d:status, ' 200')]/d:prop/d:current-user-privilege-set";
    if (!HasNode(response, kSet))
        return false;
    const std::string set(kSet);
    return !HasNode(response, set + "/d:privilege/d:write") && !HasNode(response, set + "/d:privilege/d:all");
}

}  // namespace

CCardDavAddressbook::CCardDavAddressbook(CDavServer* server, bool readonly)
    : m_server(server), m_readonly(readonly) {}

void CCardDavAddressbook::LoadFromServer(CDavServer* server, const std::string& home_set_url, bool readonly,
                                         std::vector<std::shared_ptr<CCardDavAddressbook>>* out) {
    // Depth-less PROPFIND is Depth 0 on Radicale (no books) and infinity on Xandikos (every card).
    DavRequest request{"PROPFIND", home_set_url, kListBody, {{"Depth", "1"}}};
    const XmlNodePtr document = LoadXml(server->ProcessRequest(request));
    if (!HasNode(document, "/d:multistatus")) {
        Log("CCardDavAddressbook::LoadFromServer: Unable to parse the listing of %s.", home_set_url.c_str());
        throw CAddinException(kErrorParseXml);
    }
    for (CXmlNodeIterator it = SelectNodes(document, "/d:multistatus/d:response"); !it.IsEnd(); it.Next()) {
        const XmlNodePtr& response = it.Current();
        if (!HasNode(response, "d:propstat/d:prop/d:resourcetype/card:addressbook"))
            continue;
        const std::string href(platform::TrimWhitespace(SelectText(response, "d:href")));
        if (href.empty() || HasControlCharacter(href)) {
            Log("CCardDavAddressbook::LoadFromServer: Skipped the book '%s'.",
                platform::SanitizeUtf8(href).c_str());
            continue;
        }
        auto book = std::make_shared<CCardDavAddressbook>(server, readonly);
        book->m_home_set_url = home_set_url;
        book->m_href = href;
        book->m_display_name = SelectText(response, "d:propstat/d:prop/d:displayname");
        book->m_ctag = std::string(platform::TrimWhitespace(
            SelectText(response, "d:propstat[contains(d:status, ' 200')]/d:prop/cs:getctag")));
        if (IsSharedBookHref(href) || PrivilegesDenyWrite(response))
            book->m_readonly = true;
        out->push_back(std::move(book));
    }
}

void CCardDavAddressbook::LoadContacts() {
    std::vector<std::shared_ptr<CCardDavContact>> loaded;
    m_unreadable.clear();
    CCardDavContact::LoadFromServer(m_server, m_href, &loaded, &m_unreadable);
    m_by_href.clear();
    m_contacts.clear();
    for (auto& contact : loaded) {
        auto [place, inserted] = m_by_href.try_emplace(contact->GetHref(), contact);
        if (inserted) {
            m_contacts.push_back(std::move(contact));
            continue;
        }
        for (auto& kept : m_contacts) {
            if (kept == place->second)
                kept = contact;
        }
        place->second = std::move(contact);
    }
}

std::shared_ptr<CCardDavContact> CCardDavAddressbook::CreateContact(const std::string& name) const {
    return CCardDavContact::NewContact(m_server, m_href, name);
}

std::shared_ptr<CCardDavContact> CCardDavAddressbook::LoadContact(const std::string& href) const {
    return CCardDavContact::LoadOne(m_server, m_href, href);
}

std::shared_ptr<CCardDavContact> CCardDavAddressbook::FindContact(const std::string& href) const {
    const auto found = m_by_href.find(href);
    return found == m_by_href.end() ? nullptr : found->second;
}

bool CCardDavAddressbook::IsUnreadable(const std::string& href) const {
    return std::find(m_unreadable.begin(), m_unreadable.end(), href) != m_unreadable.end();
}

bool CCardDavAddressbook::IsDefaultHref(std::string_view href) {
    while (!href.empty() && href.back() == '/')
        href.remove_suffix(1);
    const std::size_t slash = href.rfind('/');
    return href.substr(slash == std::string_view::npos ? 0 : slash + 1) == "addressbook";
}

bool CCardDavAddressbook::IsSharedBookHref(std::string_view href) {
    return ContainsNear(href, "Collected") || ContainsNear(href, "SharedWithAll");
}
