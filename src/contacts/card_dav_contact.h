// One vCard resource of a CardDAV address book: its href, its text, its modification date and entity
// tag, and the requests that write it back.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dav/xml_helpers.h"
#include "platform/date_time.h"

class CDavServer;

class CCardDavContact {
  public:
    // `server` is not owned and must outlive the contact.
    CCardDavContact(CDavServer* server, std::string href);

    // One contact per response of an addressbook-query REPORT (Depth: 1) on the collection, in the
    // server's order. Skipped with a log line: the collection's own response (Xandikos lists it), and
    // hrefs that are not below the collection or hold control characters or dot segments (a request to
    // them could reach another resource). An answer that does not parse, or a 5xx, is asked again for
    // hrefs alone and the cards are fetched by BatchedMultiget; those that cannot be read on their own
    // go to `unreadable`.
    // Throws: the CAddinExceptions of CDavServer; 600 when the listing is not a multistatus document (a
    // cut answer must not read as an empty book).
    static void LoadFromServer(CDavServer* server, const std::string& collection_href,
                               std::vector<std::shared_ptr<CCardDavContact>>* out,
                               std::vector<std::string>* unreadable);

    // The contact at `href` of the collection, read by an addressbook-multiget REPORT; null when the
    // server has no card there or cannot give it. Throws: the CAddinExceptions of CDavServer other than
    // a 5xx.
    static std::shared_ptr<CCardDavContact> LoadOne(CDavServer* server, const std::string& collection_href,
                                                    const std::string& href);

    // A contact not yet on the server: href = collection href + name + ".vcf", empty vCard, zero date.
    static std::shared_ptr<CCardDavContact> NewContact(CDavServer* server, const std::string& collection_href,
                                                       const std::string& name);

    // An HTTP date ("Sun, 06 Nov 1994 08:49:37 GMT") as local time; invalid when it cannot be read.
    static platform::DateTime ParseHttpDate(std::string_view text);

    // The href without everything up to its last "/", with every ".vcf" removed.
    static std::string ResourceNameOf(std::string_view href);

    const std::string& GetHref() const { return m_href; }
    const std::string& GetVCard() const { return m_vcard; }
    const platform::DateTime& GetLastModified() const { return m_last_modified; }
    const std::string& GetETag() const { return m_etag; }
    std::string GetResourceName() const { return ResourceNameOf(m_href); }
    // The card's UID; "" when it has none.
    std::string GetUid() const;
    bool IsNew() const { return m_is_new; }

    void SetVCard(std::string vcard) { m_vcard = std::move(vcard); }
    void SetLastModified(const platform::DateTime& modified) { m_last_modified = modified; }

    // PUT of the vCard. A new contact is sent with If-None-Match "*", a listed one with If-Match and the
    // entity tag the listing gave (none when it gave none), so that a change made on the server since
    // the listing is never overwritten. Afterwards the entity tag is the one the server answered with (""
    // when it sent none). Throws: the CAddinExceptions of CDavServer (412: 304).
    void Save();
    // DELETE of the href, with If-Match when the listing gave an entity tag; a card already gone (404,
    // 410) counts as deleted. Throws: as Save.
    void Delete();

  private:
    // The cards at `hrefs` with their text, in their order; returns the hrefs of those without.
    static std::vector<std::string> Multiget(CDavServer* server, const std::string& collection_href,
                                             const std::vector<std::string>& hrefs,
                                             std::vector<std::shared_ptr<CCardDavContact>>* out);
    // The contact of one multistatus response (null reads as one without text).
    static std::shared_ptr<CCardDavContact> FromResponse(CDavServer* server, const std::string& href,
                                                         const XmlNodePtr& response);

    CDavServer* m_server;
    std::string m_href;
    std::string m_vcard;
    std::string m_etag;
    platform::DateTime m_last_modified = platform::DateTime::FromValue(0.0);
    bool m_is_new = false;
};
