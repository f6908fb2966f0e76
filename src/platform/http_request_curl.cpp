#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <set>
#include <utility>
#include <vector>

#include "platform/http_request.h"
#include "platform/text.h"
#include "platform/url.h"

namespace platform {

namespace {

// A hostile server must not be able to fill the memory with one answer.
constexpr std::size_t kMaxResponseBytes = std::size_t{256} * 1024 * 1024;
constexpr std::size_t kMaxResponseHeaderBytes = std::size_t{1024} * 1024;
// Idle easy handles kept per thread; each keeps its own connections alive.
constexpr std::size_t kMaxIdleHandles = 4;

std::mutex g_timeouts_lock;
HttpTimeouts g_timeouts;
std::atomic<long> g_connections_opened{0};
std::atomic<bool> g_transfers_cancelled{false};

std::mutex g_basic_origins_lock;
std::set<std::string> g_basic_origins;

bool IsBasicOrigin(const std::string& origin) {
    std::lock_guard<std::mutex> lock(g_basic_origins_lock);
    return g_basic_origins.count(origin) != 0;
}

void RememberBasicOrigin(const std::string& origin) {
    std::lock_guard<std::mutex> lock(g_basic_origins_lock);
    g_basic_origins.insert(origin);
}

bool InitialiseCurl() {
    static std::once_flag once;
    static bool initialised = false;
    std::call_once(once, [] { initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
    return initialised;
}

// Easy handles of one thread. A handle keeps its connection cache and TLS sessions across
// curl_easy_reset, so handing it from one request object to the next keeps the connection alive.
class HandlePool {
  public:
    ~HandlePool() {
        for (CURL* handle : m_idle)
            curl_easy_cleanup(handle);
    }

    CURL* Take() {
        {
            std::lock_guard<std::mutex> lock(m_lock);
            if (!m_idle.empty()) {
                CURL* handle = m_idle.back();
                m_idle.pop_back();
                return handle;
            }
        }
        return curl_easy_init();
    }

    void Give(CURL* handle) {
        {
            std::lock_guard<std::mutex> lock(m_lock);
            if (m_idle.size() < kMaxIdleHandles) {
                m_idle.push_back(handle);
                return;
            }
        }
        curl_easy_cleanup(handle);
    }

  private:
    std::mutex m_lock;
    std::vector<CURL*> m_idle;
};

std::shared_ptr<HandlePool> ThreadHandlePool() {
    thread_local std::shared_ptr<HandlePool> pool = std::make_shared<HandlePool>();
    return pool;
}

struct HeaderListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using HeaderList = std::unique_ptr<curl_slist, HeaderListDeleter>;

bool AppendHeader(HeaderList* list, const std::string& line) {
    curl_slist* appended = curl_slist_append(list->get(), line.c_str());
    if (appended == nullptr)
        return false;
    (void)list->release();
    list->reset(appended);
    return true;
}

HRESULT HresultOfCurlCode(CURLcode code) {
    switch (code) {
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
            return kHttpErrorNameNotResolved;
        case CURLE_COULDNT_CONNECT:
            return kHttpErrorCannotConnect;
        case CURLE_OPERATION_TIMEDOUT:
            return kHttpErrorTimeout;
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CIPHER:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_ISSUER_ERROR:
        case CURLE_SSL_CRL_BADFILE:
        case CURLE_SSL_INVALIDCERTSTATUS:
        case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        case CURLE_USE_SSL_FAILED:
            return kHttpErrorSecureFailure;
        case CURLE_GOT_NOTHING:
        case CURLE_RECV_ERROR:
        case CURLE_SEND_ERROR:
        case CURLE_PARTIAL_FILE:
            return kHttpErrorConnectionAborted;
        case CURLE_WEIRD_SERVER_REPLY:
        case CURLE_BAD_CONTENT_ENCODING:
        case CURLE_WRITE_ERROR:
        case CURLE_HTTP2:
        case CURLE_HTTP2_STREAM:
            return kHttpErrorInvalidServerResponse;
        case CURLE_OUT_OF_MEMORY:
            return E_OUTOFMEMORY;
        default:
            return kHttpErrorSendFailed;
    }
}

// Bytes that cannot stand in a request line (controls, space, non-ASCII) as %XX; the rest as given.
std::string EscapeForRequestLine(std::string_view text) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F) {
            escaped.push_back('%');
            escaped.push_back(kDigits[byte >> 4]);
            escaped.push_back(kDigits[byte & 0xF]);
        } else {
            escaped.push_back(c);
        }
    }
    return escaped;
}

std::string Base64(std::string_view bytes) {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned v = (static_cast<unsigned char>(bytes[i]) << 16) |
                           (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                           static_cast<unsigned char>(bytes[i + 2]);
        out.push_back(kAlphabet[(v >> 18) & 63]);
        out.push_back(kAlphabet[(v >> 12) & 63]);
        out.push_back(kAlphabet[(v >> 6) & 63]);
        out.push_back(kAlphabet[v & 63]);
    }
    if (i + 1 == bytes.size()) {
        const unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        out.push_back(kAlphabet[(v >> 18) & 63]);
        out.push_back(kAlphabet[(v >> 12) & 63]);
        out += "==";
    } else if (i + 2 == bytes.size()) {
        const unsigned v =
            (static_cast<unsigned char>(bytes[i]) << 16) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
        out.push_back(kAlphabet[(v >> 18) & 63]);
        out.push_back(kAlphabet[(v >> 12) & 63]);
        out.push_back(kAlphabet[(v >> 6) & 63]);
        out.push_back('=');
    }
    return out;
}

bool IsBasicChallenge(std::string_view value) {
    const std::string_view trimmed = TrimWhitespace(value);
    const std::size_t end = trimmed.find_first_of(" \t,");
    return EqualsIgnoreAsciiCase(trimmed.substr(0, end), "Basic");
}

class CurlHttpRequest final : public HttpRequest {
  public:
    CurlHttpRequest(std::shared_ptr<HandlePool> pool, CURL* handle)
        : m_pool(std::move(pool)), m_handle(handle) {}
    ~CurlHttpRequest() override { m_pool->Give(m_handle); }
    CurlHttpRequest(const CurlHttpRequest&) = delete;
    CurlHttpRequest& operator=(const CurlHttpRequest&) = delete;

    HRESULT Open(std::string_view method, std::string_view url, std::string_view user,
                 std::string_view password) override {
        UrlParts parts;
        if (method.empty() || FAILED(CrackUrl(url, &parts)))
            return E_INVALIDARG;
        const std::string scheme = AsciiLower(parts.scheme);
        if (scheme != "http" && scheme != "https")
            return E_INVALIDARG;
        m_method = std::string(method);
        m_user = std::string(user);
        m_password = std::string(password);
        // Credentials in the URL are used like the ones given here, and never sent unasked.
        if (m_user.empty() && parts.has_user_info) {
            m_user = parts.user;
            m_password = parts.password;
        }
        parts.has_user_info = false;
        parts.user.clear();
        parts.password.clear();
        parts.path = EscapeForRequestLine(parts.path);
        parts.query = EscapeForRequestLine(parts.query);
        m_url = ComposeUrl(parts);
        m_origin = scheme + "://" + AsciiLower(parts.host) + ":" + std::to_string(parts.port);
        m_headers.clear();
        ClearResponse();
        m_opened = true;
        return S_OK;
    }

    HRESULT SetRequestHeader(std::string_view name, std::string_view value) override {
        if (!m_opened)
            return kHttpErrorNotOpened;
        if (name.empty() || name.find_first_of(":\r\n") != std::string_view::npos ||
            value.find_first_of("\r\n") != std::string_view::npos)
            return E_INVALIDARG;
        for (auto& header : m_headers) {
            if (EqualsIgnoreAsciiCase(header.first, name)) {
                header.second = std::string(value);
                return S_OK;
            }
        }
        m_headers.emplace_back(std::string(name), std::string(value));
        return S_OK;
    }

    HRESULT Send(std::string_view body) override {
        if (!m_opened)
            return kHttpErrorNotOpened;
        if (g_transfers_cancelled.load()) {
            ClearResponse();
            m_transport_code = CURLE_ABORTED_BY_CALLBACK;
            return kHttpErrorOperationCancelled;
        }
        const bool caller_authorizes = !HeaderValue("Authorization").empty();
        const bool can_answer_basic = !caller_authorizes && !m_user.empty();
        bool send_basic = can_answer_basic && IsBasicOrigin(m_origin);
        HRESULT hr = Perform(body, send_basic);
        if (FAILED(hr))
            return hr;
        if (m_status == 401 && can_answer_basic && !send_basic && HasBasicChallenge()) {
            RememberBasicOrigin(m_origin);
            send_basic = true;
            hr = Perform(body, send_basic);
        }
        return hr;
    }

    int Status() const override { return m_status; }

    std::string GetResponseHeader(std::string_view name) const override {
        std::string joined;
        for (const auto& header : m_response_headers) {
            if (!EqualsIgnoreAsciiCase(header.first, name))
                continue;
            if (!joined.empty())
                joined += ", ";
            joined += header.second;
        }
        return joined;
    }

    HRESULT GetResponseBody(std::string* body) const override {
        if (m_status == 0)
            return kHttpErrorNotOpened;
        *body = m_response_body;
        return S_OK;
    }

    int TransportCode() const override { return m_transport_code; }

  private:
    void ClearResponse() {
        m_status = 0;
        m_transport_code = 0;
        m_response_headers.clear();
        m_response_body.clear();
        m_header_bytes = 0;
    }

    std::string HeaderValue(std::string_view name) const {
        for (const auto& header : m_headers) {
            if (EqualsIgnoreAsciiCase(header.first, name))
                return header.second;
        }
        return {};
    }

    bool HasBasicChallenge() const {
        for (const auto& header : m_response_headers) {
            if (EqualsIgnoreAsciiCase(header.first, "WWW-Authenticate") && IsBasicChallenge(header.second))
                return true;
        }
        return false;
    }

    static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
        auto* self = static_cast<CurlHttpRequest*>(user);
        const std::size_t bytes = size * count;
        if (self->m_response_body.size() + bytes > kMaxResponseBytes)
            return 0;
        self->m_response_body.append(data, bytes);
        return bytes;
    }

    static int OnProgress(void* user, curl_off_t, curl_off_t received, curl_off_t, curl_off_t sent) {
        auto* self = static_cast<CurlHttpRequest*>(user);
        if (g_transfers_cancelled.load()) {
            self->m_cancelled = true;
            return 1;
        }
        const auto now = std::chrono::steady_clock::now();
        if (received + sent != self->m_last_progress_bytes) {
            self->m_last_progress_bytes = received + sent;
            self->m_last_progress = now;
            return 0;
        }
        self->m_stalled = now - self->m_last_progress > self->m_stall_limit;
        return self->m_stalled ? 1 : 0;
    }

    static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user) {
        auto* self = static_cast<CurlHttpRequest*>(user);
        const std::size_t bytes = size * count;
        self->m_header_bytes += bytes;
        if (self->m_header_bytes > kMaxResponseHeaderBytes)
            return 0;
        const std::string_view line = TrimWhitespace(std::string_view(data, bytes));
        // A new status line (after "100 Continue") starts a new set of headers.
        if (line.rfind("HTTP/", 0) == 0) {
            self->m_response_headers.clear();
            return bytes;
        }
        const std::size_t colon = line.find(':');
        if (colon != std::string_view::npos && colon > 0) {
            self->m_response_headers.emplace_back(std::string(TrimWhitespace(line.substr(0, colon))),
                                                  std::string(TrimWhitespace(line.substr(colon + 1))));
        }
        return bytes;
    }

    HRESULT BuildHeaderList(bool send_basic, HeaderList* list) const {
        bool has_content_type = false;
        for (const auto& [name, value] : m_headers) {
            if (send_basic && EqualsIgnoreAsciiCase(name, "Authorization"))
                continue;
            if (EqualsIgnoreAsciiCase(name, "Content-Type"))
                has_content_type = true;
            // "Name;" is curl's form of a header with an empty value ("Name:" would remove it).
            const std::string line = value.empty() ? name + ";" : name + ": " + value;
            if (!AppendHeader(list, line))
                return E_OUTOFMEMORY;
        }
        if (send_basic && !AppendHeader(list, "Authorization: Basic " + Base64(m_user + ":" + m_password)))
            return E_OUTOFMEMORY;
        // curl would add a form Content-Type and an Expect: 100-continue round trip of its own.
        if (!has_content_type && !AppendHeader(list, "Content-Type:"))
            return E_OUTOFMEMORY;
        if (HeaderValue("Expect").empty() && !AppendHeader(list, "Expect:"))
            return E_OUTOFMEMORY;
        return S_OK;
    }

    void SetTransferOptions(std::string_view body, curl_slist* headers) {
        const HttpTimeouts timeouts = GetHttpTimeouts();
        curl_easy_reset(m_handle);
        curl_easy_setopt(m_handle, CURLOPT_URL, m_url.c_str());
        curl_easy_setopt(m_handle, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(m_handle, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(m_handle, CURLOPT_FOLLOWLOCATION, 0L);
        curl_easy_setopt(m_handle, CURLOPT_CONNECTTIMEOUT, timeouts.connect_seconds);
        // curl's low-speed limit averages over a window of several seconds, so a request body sent just
        // before a stall would keep it quiet for longer than asked; the progress callback counts from the
        // last byte instead.
        m_stall_limit = std::chrono::seconds(timeouts.stall_seconds);
        m_last_progress_bytes = -1;
        curl_easy_setopt(m_handle, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(m_handle, CURLOPT_XFERINFOFUNCTION, &CurlHttpRequest::OnProgress);
        curl_easy_setopt(m_handle, CURLOPT_XFERINFODATA, this);
        curl_easy_setopt(m_handle, CURLOPT_TIMEOUT, timeouts.total_seconds);
        curl_easy_setopt(m_handle, CURLOPT_SSL_VERIFYPEER, 1L);
        curl_easy_setopt(m_handle, CURLOPT_SSL_VERIFYHOST, 2L);
        // libcurl leaves these variables to its command-line tool; the platform object honours them.
        if (const char* bundle = std::getenv("CURL_CA_BUNDLE"); bundle != nullptr && *bundle != '\0')
            curl_easy_setopt(m_handle, CURLOPT_CAINFO, bundle);
        else if (const char* file = std::getenv("SSL_CERT_FILE"); file != nullptr && *file != '\0')
            curl_easy_setopt(m_handle, CURLOPT_CAINFO, file);
        if (const char* folder = std::getenv("SSL_CERT_DIR"); folder != nullptr && *folder != '\0')
            curl_easy_setopt(m_handle, CURLOPT_CAPATH, folder);
        curl_easy_setopt(m_handle, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(m_handle, CURLOPT_WRITEFUNCTION, &CurlHttpRequest::OnBody);
        curl_easy_setopt(m_handle, CURLOPT_WRITEDATA, this);
        curl_easy_setopt(m_handle, CURLOPT_HEADERFUNCTION, &CurlHttpRequest::OnHeader);
        curl_easy_setopt(m_handle, CURLOPT_HEADERDATA, this);
        if (body.empty() && m_method == "GET") {
            curl_easy_setopt(m_handle, CURLOPT_HTTPGET, 1L);
        } else if (body.empty() && m_method == "HEAD") {
            curl_easy_setopt(m_handle, CURLOPT_NOBODY, 1L);
        } else {
            curl_easy_setopt(m_handle, CURLOPT_POSTFIELDS, body.data());
            curl_easy_setopt(m_handle, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
            curl_easy_setopt(m_handle, CURLOPT_CUSTOMREQUEST, m_method.c_str());
        }
    }

    HRESULT Perform(std::string_view body, bool send_basic) {
        ClearResponse();
        HeaderList headers;
        const HRESULT hr = BuildHeaderList(send_basic, &headers);
        if (FAILED(hr))
            return hr;
        // POSTFIELDS must not be a null pointer even for an empty body.
        static constexpr char kEmpty[] = "";
        SetTransferOptions(body.data() == nullptr ? std::string_view(kEmpty) : body, headers.get());
        m_stalled = false;
        m_cancelled = false;
        const CURLcode code = curl_easy_perform(m_handle);
        long connects = 0;
        if (curl_easy_getinfo(m_handle, CURLINFO_NUM_CONNECTS, &connects) == CURLE_OK)
            g_connections_opened += connects;
        m_transport_code = static_cast<int>(code);
        curl_easy_setopt(m_handle, CURLOPT_HTTPHEADER, nullptr);
        if (code != CURLE_OK) {
            m_status = 0;
            m_response_headers.clear();
            m_response_body.clear();
            if (m_cancelled)
                return kHttpErrorOperationCancelled;
            return m_stalled ? kHttpErrorTimeout : HresultOfCurlCode(code);
        }
        long status = 0;
        curl_easy_getinfo(m_handle, CURLINFO_RESPONSE_CODE, &status);
        m_status = static_cast<int>(status);
        return m_status == 0 ? kHttpErrorInvalidServerResponse : S_OK;
    }

    std::shared_ptr<HandlePool> m_pool;
    CURL* m_handle;
    bool m_opened = false;
    std::string m_method;
    std::string m_url;
    std::string m_origin;
    std::string m_user;
    std::string m_password;
    std::vector<std::pair<std::string, std::string>> m_headers;
    int m_status = 0;
    int m_transport_code = 0;
    std::size_t m_header_bytes = 0;
    std::chrono::seconds m_stall_limit{30};
    curl_off_t m_last_progress_bytes = -1;
    std::chrono::steady_clock::time_point m_last_progress;
    bool m_stalled = false;
    bool m_cancelled = false;
    std::vector<std::pair<std::string, std::string>> m_response_headers;
    std::string m_response_body;
};

}  // namespace

std::string DescribeSendFailure(HRESULT hr, int transport_code) {
    const std::string text = curl_easy_strerror(static_cast<CURLcode>(transport_code));
    if (hr == kHttpErrorSecureFailure)
        return "the server's certificate is not trusted or TLS failed: " + text;
    if (hr == kHttpErrorCannotConnect)
        return "the server refused the connection or cannot be reached";
    if (hr == kHttpErrorNameNotResolved)
        return "the host name is unknown";
    if (hr == kHttpErrorTimeout)
        return "time-out: the server did not answer in time";
    if (hr == kHttpErrorConnectionAborted)
        return "the server dropped the connection";
    if (hr == kHttpErrorOperationCancelled)
        return "cancelled: the session is ending";
    return text;
}

HRESULT CreateHttpRequest(std::unique_ptr<HttpRequest>* request) {
    if (!InitialiseCurl())
        return E_OUTOFMEMORY;
    std::shared_ptr<HandlePool> pool = ThreadHandlePool();
    CURL* handle = pool->Take();
    if (handle == nullptr)
        return E_OUTOFMEMORY;
    *request = std::make_unique<CurlHttpRequest>(std::move(pool), handle);
    return S_OK;
}

void SetHttpTimeouts(const HttpTimeouts& timeouts) {
    std::lock_guard<std::mutex> lock(g_timeouts_lock);
    g_timeouts = timeouts;
}

HttpTimeouts GetHttpTimeouts() {
    std::lock_guard<std::mutex> lock(g_timeouts_lock);
    return g_timeouts;
}

void CancelTransfers() {
    g_transfers_cancelled.store(true);
}

long HttpConnectionsOpened() {
    return g_connections_opened.load();
}

}  // namespace platform
