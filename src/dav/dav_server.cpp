#include "dav/dav_server.h"

#include "dav/xml_helpers.h"
#include "platform/text.h"
#include "platform/url.h"
#include "settings/addin_exception.h"
#include "settings/log.h"

namespace {

constexpr const char* kPrincipalBody =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?><D:propfind xmlns:D=\"DAV:\" xmlns:C=\"DAV:\"><D:prop>"
    "<C:current-user-principal/></D:prop></D:propfind>";

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           platform::EqualsIgnoreAsciiCase(text.substr(0, prefix.size()), prefix);
}

// The server URL's parts and its path without a final "/" (the base hrefs are joined to). A URL typed
// without a scheme is read as the request would go out: with "http://" in front. False when it cannot be
// split.
bool SplitServerUrl(const std::string& server_url, platform::UrlParts* parts, std::string* base) {
    const std::string url = server_url.find("://") == std::string::npos ? "http://" + server_url : server_url;
    if (FAILED(platform::CrackUrl(url, parts)))
        return false;
    *base = parts->path;
    if (!base->empty() && base->back() == '/')
        base->pop_back();
    return true;
}

}  // namespace

std::string ContentTypeOfBody(std::string_view body) {
    if (body.rfind("\xEF\xBB\xBF", 0) == 0)
        body.remove_prefix(3);
    body = platform::TrimWhitespace(body);
    if (body.empty())
        return {};
    if (body.front() == '<')
        return "application/xml; charset=utf-8";
    if (StartsWithIgnoreCase(body, "BEGIN:VCALENDAR"))
        return "text/calendar; charset=utf-8";
    if (StartsWithIgnoreCase(body, "BEGIN:VCARD"))
        return "text/vcard; charset=utf-8";
    return {};
}

CDavServer::CDavServer(std::string server_url, std::string user, std::string password)
    : CDavServer(std::move(server_url), std::move(user), std::move(password), HttpRequestFactory()) {}

CDavServer::CDavServer(std::string server_url, std::string user, std::string password,
                       HttpRequestFactory factory)
    : m_server_url(std::move(server_url)),
      m_user(std::move(user)),
      m_password(std::move(password)),
      m_factory(std::move(factory)) {}

std::string CDavServer::ProcessRequest(const DavRequest& request) {
    return ProcessRequest(request, nullptr);
}

std::string CDavServer::ProcessRequest(const DavRequest& request, std::string* response_etag) {
    CWebClient client = m_factory ? CWebClient(m_factory) : CWebClient();
    std::string answer = Exchange(&client, request);
    if (response_etag != nullptr)
        *response_etag = std::string(platform::TrimWhitespace(client.GetResponseHeader("ETag")));
    return answer;
}

std::string CDavServer::Exchange(CWebClient* web_client, const DavRequest& request) {
    CWebClient& client = *web_client;
    if (request.method != "PROPFIND" && request.method != "REPORT" && request.method != "GET" &&
        request.method != "OPTIONS")
        ++m_changes_sent;
    const std::string url = BuildRequestUrl(request.url);
    client.Open(request.method, url, m_user, m_password);
    client.SetUserAgent();
    client.UseDigestSession(&m_digest);
    bool has_content_type = false;
    for (const auto& [name, value] : request.headers) {
        client.AddHeader(name, value);
        has_content_type = has_content_type || platform::EqualsIgnoreAsciiCase(name, "Content-Type");
    }
    // Xandikos refuses an XML body without a type (415).
    if (!has_content_type) {
        const std::string content_type = ContentTypeOfBody(request.body);
        if (!content_type.empty())
            client.AddHeader("Content-Type", content_type);
    }
    std::string response;
    (void)client.SendXml(CWebClient::ConvertUtf16ToUtf8(request.body), &response);
    return CWebClient::ConvertUtf8ToUtf16(response);
}

std::string CDavServer::ProcessRequest(std::string_view method, std::string_view url, std::string_view body) {
    return ProcessRequest(DavRequest{std::string(method), std::string(url), std::string(body), {}});
}

std::string CDavServer::GetCurrentUserPrincipal() {
    if (!m_principal.empty())
        return m_principal;
    // Without Depth, Xandikos takes infinity and lists every item below the URL.
    const DavRequest request{"PROPFIND", "", kPrincipalBody, {{"Depth", "0"}}};
    std::string answer;
    try {
        answer = ProcessRequest(request);
    } catch (const CAddinException& error) {
        const std::string context = FindWellKnownContext(error.GetKind());
        if (context.empty())
            throw;
        m_server_url = context;
        answer = ProcessRequest(request);
    }
    m_principal = SelectText(LoadXml(answer),
                             "/d:multistatus/d:response/d:propstat/d:prop/d:current-user-principal/d:href");
    RootAtHostWhenOutside(m_principal);
    return m_principal;
}

std::string CDavServer::FindWellKnownContext(FailureKind failure) {
    platform::UrlParts parts;
    std::string base;
    if ((failure != FailureKind::kForbidden && failure != FailureKind::kNotFound &&
         failure != FailureKind::kNotDav) ||
        !SplitServerUrl(m_server_url, &parts, &base) || !base.empty())
        return {};
    // RFC 6764: a bare host names its DAV context by a redirect from a well-known path (Nextcloud,
    // SOGo and Apple's servers do).
    for (const char* path : {"/.well-known/caldav", "/.well-known/carddav"}) {
        CWebClient client = m_factory ? CWebClient(m_factory) : CWebClient();
        try {
            (void)Exchange(&client, DavRequest{"PROPFIND", path, kPrincipalBody, {{"Depth", "0"}}});
        } catch (const CAddinException&) {
            const std::string location(platform::TrimWhitespace(client.GetResponseHeader("Location")));
            if (location.empty())
                continue;
            if (location.front() != '/')
                return location;
            parts.path = location;
            parts.query.clear();
            return platform::ComposeUrl(parts);
        }
    }
    return {};
}

void CDavServer::RootAtHostWhenOutside(const std::string& href) {
    platform::UrlParts parts;
    std::string base;
    if (href.empty() || href.front() != '/' || !SplitServerUrl(m_server_url, &parts, &base) ||
        href.substr(0, base.size()) == base)
        return;
    // A URL typed from inside the DAV tree (a calendar's own, ".../alice/calendar/") still answers with
    // the principal, but the server's hrefs are paths from the host's root, not from below that URL.
    parts.path = "/";
    parts.query.clear();
    Log("CDavServer::GetCurrentUserPrincipal: %s lies outside %s; requests go to the host's root.",
        platform::SanitizeUtf8(href).c_str(), platform::SanitizeUtf8(m_server_url).c_str());
    m_server_url = platform::ComposeUrl(parts);
}

std::string CDavServer::BuildRequestUrl(std::string_view request_url) const {
    platform::UrlParts parts;
    std::string base;
    if (!SplitServerUrl(m_server_url, &parts, &base))
        return std::string(request_url);
    if (request_url.substr(0, base.size()) == base)
        base.clear();
    parts.path = base + std::string(request_url);
    return platform::ComposeUrl(parts);
}
