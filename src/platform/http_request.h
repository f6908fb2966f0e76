// The XML HTTP request object (Msxml2.XMLHTTP.6.0): one synchronous HTTP exchange at a time.
//
// Connections are kept alive and reused by later request objects of the same thread, so a sync run opens
// one connection (and does one TLS handshake) per server. Basic is answered only after a Basic challenge
// from an origin; later requests to that origin carry it at once. Digest is left to the caller. No
// Content-Type is added, redirects are not followed, TLS is verified against the system store
// (CURL_CA_BUNDLE, SSL_CERT_FILE and SSL_CERT_DIR are honoured).
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/hresult.h"

namespace platform {

// Send failures, as WinINet reports them (HRESULT_FROM_WIN32 of its ERROR_INTERNET_* numbers).
inline constexpr HRESULT kHttpErrorTimeout = HresultFromWin32(12002);
inline constexpr HRESULT kHttpErrorNameNotResolved = HresultFromWin32(12007);
inline constexpr HRESULT kHttpErrorCannotConnect = HresultFromWin32(12029);
inline constexpr HRESULT kHttpErrorConnectionAborted = HresultFromWin32(12030);
inline constexpr HRESULT kHttpErrorInvalidServerResponse = HresultFromWin32(12152);
inline constexpr HRESULT kHttpErrorSecureFailure = HresultFromWin32(12175);
// The process stopped every transfer (CancelTransfers).
inline constexpr HRESULT kHttpErrorOperationCancelled = HresultFromWin32(12017);
// Anything else the transfer failed with.
inline constexpr HRESULT kHttpErrorSendFailed = HresultFromWin32(12003);
// The object was used out of order (send before open).
inline constexpr HRESULT kHttpErrorNotOpened = static_cast<HRESULT>(0x8000000Au);

class HttpRequest {
  public:
    virtual ~HttpRequest() = default;

    // Starts a new request; headers set for an earlier one are dropped. user/password are used only to
    // answer a Basic challenge. Fails: E_INVALIDARG for an empty method or a URL that is not absolute.
    [[nodiscard]] virtual HRESULT Open(std::string_view method, std::string_view url, std::string_view user,
                                       std::string_view password) = 0;

    // Adds a header (a second call with the same name replaces the value). Fails: kHttpErrorNotOpened.
    [[nodiscard]] virtual HRESULT SetRequestHeader(std::string_view name, std::string_view value) = 0;

    // Sends the body (may be empty) and waits for the whole answer, within the time-outs. Fails with one of
    // the kHttpError* codes when no status was received; TransportCode() then tells the cause.
    [[nodiscard]] virtual HRESULT Send(std::string_view body) = 0;

    // Status of the last answer; 0 when there was none.
    virtual int Status() const = 0;

    // The answer's header values for `name` (case-insensitive), joined by ", "; empty when absent.
    virtual std::string GetResponseHeader(std::string_view name) const = 0;

    // The answer's body bytes. Fails: kHttpErrorNotOpened when nothing was received.
    [[nodiscard]] virtual HRESULT GetResponseBody(std::string* body) const = 0;

    // The transport's own code of the last send (a CURLcode here; 0 = none), for log lines.
    virtual int TransportCode() const = 0;
};

// Why a send that got no status failed, in a user's words: refused, host unknown, time-out, dropped, or
// an untrusted certificate or other TLS failure with the transport's own text.
std::string DescribeSendFailure(HRESULT hr, int transport_code);

// A new request object. Fails: E_OUTOFMEMORY when the transport cannot be initialised.
// Ownership: the caller owns the object; it belongs to the calling thread.
[[nodiscard]] HRESULT CreateHttpRequest(std::unique_ptr<HttpRequest>* request);

// Bounds of one exchange. A connection that is not made within connect_seconds, or an exchange during
// which no byte moves for stall_seconds, fails the send; total_seconds caps the whole exchange.
struct HttpTimeouts {
    long connect_seconds = 15;
    long stall_seconds = 30;
    long total_seconds = 600;
};
// Process-wide; tests shorten them to make a stalling server fail fast.
void SetHttpTimeouts(const HttpTimeouts& timeouts);
HttpTimeouts GetHttpTimeouts();

// Process-wide and for good, as the host ends a session: from now on every send fails at once with
// kHttpErrorOperationCancelled, and a send under way fails so within about a second.
void CancelTransfers();

// How many TCP connections the request objects of this process have opened so far.
long HttpConnectionsOpened();

}  // namespace platform
