// One synchronous HTTP exchange through the platform request object: open with the account's
// credentials, send the header table and a byte body, judge the status, answer one Digest challenge, and
// hand back the response body. Every failure is thrown as CAddinException.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "dav/digest_session.h"
#include "platform/hresult.h"
#include "platform/http_request.h"

// Makes the platform request object; tests hand in a scripted one.
using HttpRequestFactory = std::function<HRESULT(std::unique_ptr<platform::HttpRequest>*)>;

class CWebClient {
  public:
    CWebClient();
    explicit CWebClient(HttpRequestFactory factory);
    virtual ~CWebClient() = default;
    CWebClient(const CWebClient&) = delete;
    CWebClient& operator=(const CWebClient&) = delete;

    // Stores the request, makes the request object on first use, and opens it. A URL that does not start
    // with "http://" or "https://" (case-sensitive) gets "http://" in front.
    // Throws: CAddinException 300 (no request object), 301 (open failed).
    void Open(std::string_view method, std::string_view url, std::string_view user,
              std::string_view password);

    // Sets a header of the table (names case-sensitive; an existing name keeps its place).
    void AddHeader(std::string_view name, std::string_view value);
    // User-Agent: Velmarquin Harrowgate/1.0
    void SetUserAgent();
    // Digest challenges are answered through `session` and learnt there, and a request to an origin it
    // knows is sent with an answer at once. Ownership: the caller's; it must outlive the sends.
    void UseDigestSession(DigestSession* session) { m_digest = session; }

    // Sends the body (at most twice: once more after a 401 with a challenge) and returns the status; the
    // response body goes to `response` when there is one. -1 when Open never made a request object.
    // Throws: CAddinException 302 (a header the request object refuses), 303 (no answer), 304 (other bad
    // status, text 317 with it), 305 (unreadable body), 306 (403/404), 307 (405), 400 (401 after retry);
    // each carries the status, the transport code and their kind.
    int SendXml(std::string_view body, std::string* response);

    // Body text to wire bytes: UTF-8, invalid sequences replaced by U+FFFD.
    static std::string ConvertUtf16ToUtf8(std::string_view text);
    // Wire bytes to text: UTF-8 decoded with U+FFFD for malformed sequences, never rejected.
    static std::string ConvertUtf8ToUtf16(std::string_view bytes);

    // A header of the last response ("" when there is none or nothing was sent).
    std::string GetResponseHeader(std::string_view name) const;

    const std::string& GetUrl() const { return m_url; }

  private:
    HttpRequestFactory m_factory;
    std::unique_ptr<platform::HttpRequest> m_request;
    std::string m_method;
    std::string m_url;
    std::string m_user;
    std::string m_password;
    std::vector<std::pair<std::string, std::string>> m_headers;
    DigestSession* m_digest = nullptr;
};
