// The account's view of the DAV server: server URL and credentials, the one place every DAV request goes
// through, and the current user's principal.
#pragma once

#include <string>
#include <string_view>

#include "dav/dav_request.h"
#include "dav/web_client.h"
#include "settings/transport_failure.h"

class CDavServer {
  public:
    CDavServer(std::string server_url, std::string user, std::string password);
    // The same with the request objects made by `factory` (tests).
    CDavServer(std::string server_url, std::string user, std::string password, HttpRequestFactory factory);

    // One exchange through a fresh CWebClient; returns the response body as text. A request with a body
    // and no Content-Type of its own gets one by the body's kind (XML, iCalendar, vCard).
    // Throws: the CAddinExceptions of CWebClient; every status that returns is a success.
    std::string ProcessRequest(const DavRequest& request);
    // The same, also handing back the response's ETag header ("" when it has none): a PUT's new tag.
    std::string ProcessRequest(const DavRequest& request, std::string* response_etag);
    std::string ProcessRequest(std::string_view method, std::string_view url, std::string_view body);

    // The href of the current user's principal (asked with Depth: 0), cached once found; "" when the
    // answer has none (asked again next time). A bare host that answers 403, 404 or 405 is asked again
    // where /.well-known/caldav (or carddav) redirects to, and that becomes the server URL; a principal
    // outside the server URL's path (the URL was a collection's own) makes the host's root the server
    // URL. Throws: as ProcessRequest; the first failure when no well-known path redirects.
    std::string GetCurrentUserPrincipal();

    // A server path joined to the server URL: the server URL's path is put in front unless the path
    // already starts with it. A server URL without a scheme is taken as http; one that cannot be split
    // leaves the request url as it is.
    std::string BuildRequestUrl(std::string_view request_url) const;

    const std::string& GetServerUrl() const { return m_server_url; }
    // How many requests that may change the server (all but PROPFIND, REPORT, GET, OPTIONS) were sent,
    // answered or not: a collection tag read before them no longer stands for the collection.
    std::uint64_t GetChangesSent() const { return m_changes_sent; }

  private:
    // ProcessRequest through `client`, which the caller keeps to read the answer's headers.
    std::string Exchange(CWebClient* client, const DavRequest& request);
    // After the principal request on a bare host failed with `failure` (403/404 or 405), the server URL
    // a well-known path redirects to; "" when there is none.
    std::string FindWellKnownContext(FailureKind failure);
    // Makes the host's root the server URL when `href`, a server path, is not below the URL's path.
    void RootAtHostWhenOutside(const std::string& href);

    std::string m_server_url;
    std::string m_user;
    std::string m_password;
    std::string m_principal;
    HttpRequestFactory m_factory;
    DigestSession m_digest;
    std::uint64_t m_changes_sent = 0;
};

// "application/xml; charset=utf-8", "text/calendar; charset=utf-8" or "text/vcard; charset=utf-8" by the
// body's first text; "" when the body is empty or of another kind.
std::string ContentTypeOfBody(std::string_view body);
