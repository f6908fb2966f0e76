#include "contacts/card_dav_contact.h"

#include <array>
#include <optional>
#include <utility>

#include "dav/batched_multiget.h"
#include "dav/dav_server.h"
#include "dav/href_check.h"
#include "dav/xml_helpers.h"
#include "ical/ical_line.h"
#include "ical/ical_text.h"
#include "platform/text.h"
#include "settings/addin_exception.h"
#include "settings/log.h"

namespace {

constexpr std::uint32_t kErrorParseXml = 600;

constexpr const char* kQueryBody =
    "<?xml version=\"1.0\" encoding=\"utf-8\" ?><c:addressbook-query xmlns:d=\"DAV:\" "
    "xmlns:c=\"urn:ietf:params:xml:ns:carddav\"><d:prop><d:getetag/><d:getlastmodified/>"
    "<c:address-data></c:address-data></d:prop></c:addressbook-query>";

// The hrefs alone, for a book whose full answer cannot be read.
constexpr const char* kListBody =
    "<?xml version=\"1.0\" encoding=\"utf-8\" ?><c:addressbook-query xmlns:d=\"DAV:\" "
    "xmlns:c=\"urn:ietf:params:xml:ns:carddav\"><d:prop><d:getetag/></d:prop></c:addressbook-query>";

constexpr const char* kMultigetHead =
    "<?xml version=\"1.0\" encoding=\"utf-8\" ?><c:addressbook-multiget xmlns:D=\"DAV:\" "
    "xmlns:c=\"urn:ietf:params:xml:ns:carddav\"><D:prop><D:getetag/><D:getlastmodified/>"
    "<c:address-data></c:address-data></D:prop>";

std::string_view WithoutTrailingSlash(std::string_view href) {
    while (!href.empty() && href.back() == '/')
        href.remove_suffix(1);
    return href;
}

// Reads the digits of a token; false for an empty token or any other character.
bool ReadNumber(std::string_view token, int* out) {
    if (token.empty() || token.size() > 9)
        return false;
    int value = 0;
    for (const char c : token) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    *out = value;
    return true;
}

int MonthNumber(std::string_view name) {
    static constexpr std::array<const char*, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (std::size_t i = 0; i < kMonths.size(); ++i) {
        if (platform::EqualsIgnoreAsciiCase(name, kMonths[i]))
            return static_cast<int>(i) + 1;
    }
    return 0;
}

// The usable card hrefs of a multistatus with their responses, as LoadFromServer describes.
std::vector<std::pair<std::string, XmlNodePtr>> CardResponses(const XmlNodePtr& document,
                                                              const std::string& collection_href) {
    std::vector<std::pair<std::string, XmlNodePtr>> cards;
    const std::string_view collection = WithoutTrailingSlash(collection_href);
    for (CXmlNodeIterator it = SelectNodes(document, "/d:multistatus/d:response"); !it.IsEnd(); it.Next()) {
        std::string href(platform::TrimWhitespace(SelectText(it.Current(), "d:href")));
        // <d:response><d:href>/alice/contacts/addressbook/</d:href> ... address-data 404: Xandikos
        // answers for the collection itself.
        if (WithoutTrailingSlash(href) == collection)
            continue;
        if (href.size() <= collection.size() || href.compare(0, collection.size(), collection) != 0 ||
            href[collection.size()] != '/' || !IsUsableHref(href)) {
            Log("CCardDavContact::LoadFromServer: Skipped the response for '%s'.",
                platform::SanitizeUtf8(href).c_str());
            continue;
        }
        cards.emplace_back(std::move(href), it.Current());
    }
    return cards;
}

}  // namespace

CCardDavContact::CCardDavContact(CDavServer* server, std::string href)
    : m_server(server), m_href(std::move(href)) {}

void CCardDavContact::LoadFromServer(CDavServer* server, const std::string& collection_href,
                                     std::vector<std::shared_ptr<CCardDavContact>>* out,
                                     std::vector<std::string>* unreadable) {
    XmlNodePtr document;
    try {
        document = LoadXml(
            server->ProcessRequest(DavRequest{"REPORT", collection_href, kQueryBody, {{"Depth", "1"}}}));
    } catch (const CAddinException& error) {
        if (!CanReadOneByOne(&error))
            throw;
    }
    if (HasNode(document, "/d:multistatus")) {
        for (auto& [href, response] : CardResponses(document, collection_href))
            out->push_back(FromResponse(server, href, response));
        return;
    }
    // One card spoils the whole answer: Xandikos answers 500 for a card that is not UTF-8 (another client
    // stored it), and the XML parser refuses a raw control character. List the hrefs alone and fetch the
    // cards in batches.
    Log("CCardDavContact::LoadFromServer: Unable to read the cards of %s; they are fetched in batches.",
        platform::SanitizeUtf8(collection_href).c_str());
    const XmlNodePtr listing =
        LoadXml(server->ProcessRequest(DavRequest{"REPORT", collection_href, kListBody, {{"Depth", "1"}}}));
    // A cut answer must not read as an empty book: that would delete every contact.
    if (!HasNode(listing, "/d:multistatus")) {
        Log("CCardDavContact::LoadFromServer: Unable to parse the answer for %s.",
            platform::SanitizeUtf8(collection_href).c_str());
        throw CAddinException(kErrorParseXml);
    }
    std::vector<std::string> hrefs;
    for (auto& card : CardResponses(listing, collection_href))
        hrefs.push_back(std::move(card.first));
    std::vector<std::string> unread = Multiget(server, collection_href, hrefs, out);
    unreadable->insert(unreadable->end(), unread.begin(), unread.end());
}

std::shared_ptr<CCardDavContact> CCardDavContact::LoadOne(CDavServer* server,
                                                          const std::string& collection_href,
                                                          const std::string& href) {
    std::vector<std::shared_ptr<CCardDavContact>> contacts;
    (void)Multiget(server, collection_href, {href}, &contacts);
    return contacts.empty() ? nullptr : contacts.front();
}

std::vector<std::string> CCardDavContact::Multiget(CDavServer* server, const std::string& collection_href,
                                                   const std::vector<std::string>& hrefs,
                                                   std::vector<std::shared_ptr<CCardDavContact>>* out) {
    return BatchedMultiget(server, collection_href, kMultigetHead, "</c:addressbook-multiget>", hrefs,
                           [&](const std::string& href, const XmlNodePtr& response) {
                               std::shared_ptr<CCardDavContact> contact =
                                   FromResponse(server, href, response);
                               if (contact->m_vcard.empty())
                                   return false;
                               out->push_back(std::move(contact));
                               return true;
                           });
}

std::shared_ptr<CCardDavContact> CCardDavContact::FromResponse(CDavServer* server, const std::string& href,
                                                               const XmlNodePtr& response) {
    auto contact = std::make_shared<CCardDavContact>(server, href);
    contact->m_vcard = SelectText(response, "d:propstat/d:prop/card:address-data");
    contact->m_etag =
        std::string(platform::TrimWhitespace(SelectText(response, "d:propstat/d:prop/d:getetag")));
    const std::string modified = SelectText(response, "d:propstat/d:prop/d:getlastmodified");
    if (!platform::TrimWhitespace(modified).empty()) {
        contact->m_last_modified = ParseHttpDate(modified);
        // An unreadable date counts as a change made just now.
        if (!contact->m_last_modified.IsValid())
            contact->m_last_modified = platform::DateTime::NowLocal();
    }
    return contact;
}

std::shared_ptr<CCardDavContact> CCardDavContact::NewContact(CDavServer* server,
                                                             const std::string& collection_href,
                                                             const std::string& name) {
    auto contact = std::make_shared<CCardDavContact>(server, collection_href + name + ".vcf");
    contact->m_is_new = true;
    return contact;
}

platform::DateTime CCardDavContact::ParseHttpDate(std::string_view text) {
    std::vector<std::string_view> tokens;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == ',' || text[i] == ':' || text[i] == ' ') {
            if (i > start)
                tokens.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    int day = 0, year = 0, hour = 0, minute = 0, second = 0;
    if (tokens.size() < 7 || !ReadNumber(tokens[1], &day) || !ReadNumber(tokens[3], &year) ||
        !ReadNumber(tokens[4], &hour) || !ReadNumber(tokens[5], &minute) || !ReadNumber(tokens[6], &second)) {
        return platform::DateTime::Invalid();
    }
    const int month = MonthNumber(tokens[2]);
    if (month == 0)
        return platform::DateTime::Invalid();
    const platform::DateTime utc = platform::DateTime::FromParts(year, month, day, hour, minute, second);
    if (!utc.IsValid())
        return utc;
    return utc.UtcToLocal();
}

std::string CCardDavContact::GetUid() const {
    for (const std::string& line : ical::UnfoldLines(m_vcard)) {
        const std::optional<CICalLine> parsed = CICalLine::Parse(platform::TrimWhitespace(line));
        if (parsed && parsed->HasName("UID"))
            return std::string(platform::TrimWhitespace(parsed->Value()));
    }
    return {};
}

std::string CCardDavContact::ResourceNameOf(std::string_view href) {
    const std::size_t slash = href.rfind('/');
    std::string name(slash == std::string_view::npos ? href : href.substr(slash + 1));
    for (std::size_t at = name.find(".vcf"); at != std::string::npos; at = name.find(".vcf", at))
        name.erase(at, 4);
    return name;
}

void CCardDavContact::Save() {
    DavRequest request{"PUT", m_href, m_vcard, {}};
    if (m_is_new)
        request.headers.emplace_back("If-None-Match", "*");
    else if (!m_etag.empty())
        request.headers.emplace_back("If-Match", m_etag);
    std::string new_etag;
    m_server->ProcessRequest(request, &new_etag);
    m_is_new = false;
    m_etag = std::move(new_etag);
}

void CCardDavContact::Delete() {
    DavRequest request{"DELETE", m_href, "", {}};
    if (!m_etag.empty())
        request.headers.emplace_back("If-Match", m_etag);
    try {
        m_server->ProcessRequest(request);
    } catch (const CAddinException& error) {
        // A card the server no longer has is deleted; anything else may still be there.
        if (error.GetKind() != FailureKind::kNotFound && error.GetKind() != FailureKind::kGone)
            throw;
        Log("CCardDavContact::Delete: %s was already gone.", platform::SanitizeUtf8(m_href).c_str());
    }
}
