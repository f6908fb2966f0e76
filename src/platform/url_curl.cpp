#include <curl/curl.h>

#include <charconv>
#include <memory>

#include "platform/text.h"
#include "platform/url.h"

namespace platform {

namespace {

struct UrlHandleDeleter {
    void operator()(CURLU* handle) const { curl_url_cleanup(handle); }
};
using UrlHandle = std::unique_ptr<CURLU, UrlHandleDeleter>;

// One part as written. A part that is absent gives CURLUE_NO_* and an empty text.
bool GetPart(CURLU* handle, CURLUPart what, std::string* text, bool* present) {
    char* value = nullptr;
    const CURLUcode code = curl_url_get(handle, what, &value, 0);
    *present = code == CURLUE_OK;
    if (code == CURLUE_OK) {
        *text = value;
        curl_free(value);
        return true;
    }
    text->clear();
    return code == CURLUE_NO_USER || code == CURLUE_NO_PASSWORD || code == CURLUE_NO_PORT ||
           code == CURLUE_NO_QUERY || code == CURLUE_NO_HOST;
}

}  // namespace

int DefaultPortOfScheme(std::string_view scheme) {
    const std::string lower = AsciiLower(scheme);
    if (lower == "http")
        return 80;
    if (lower == "https")
        return 443;
    if (lower == "ftp")
        return 21;
    if (lower == "gopher")
        return 70;
    if (lower == "socks")
        return 1080;
    return 0;
}

HRESULT CrackUrl(std::string_view url, UrlParts* parts) {
    // curl would guess a scheme for "host/path"; InternetCrackUrl refuses such a URL.
    const std::size_t separator = url.find("://");
    if (separator == std::string_view::npos || separator == 0)
        return E_INVALIDARG;
    UrlHandle handle(curl_url());
    if (!handle)
        return E_OUTOFMEMORY;
    const std::string text(url);
    const unsigned flags = CURLU_NON_SUPPORT_SCHEME | CURLU_PATH_AS_IS | CURLU_ALLOW_SPACE;
    if (curl_url_set(handle.get(), CURLUPART_URL, text.c_str(), flags) != CURLUE_OK)
        return E_INVALIDARG;

    UrlParts result;
    bool present = false;
    std::string port;
    if (!GetPart(handle.get(), CURLUPART_SCHEME, &result.scheme, &present) ||
        !GetPart(handle.get(), CURLUPART_USER, &result.user, &present))
        return E_INVALIDARG;
    result.has_user_info = present;
    if (!GetPart(handle.get(), CURLUPART_PASSWORD, &result.password, &present) ||
        !GetPart(handle.get(), CURLUPART_HOST, &result.host, &present) ||
        !GetPart(handle.get(), CURLUPART_PORT, &port, &present) ||
        !GetPart(handle.get(), CURLUPART_PATH, &result.path, &present) ||
        !GetPart(handle.get(), CURLUPART_QUERY, &result.query, &present))
        return E_INVALIDARG;
    if (present)
        result.query.insert(0, "?");
    // curl lowercases the scheme; the caller sees it as written.
    result.scheme = text.substr(0, separator);
    if (port.empty()) {
        result.port = DefaultPortOfScheme(result.scheme);
    } else {
        const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), result.port);
        if (error != std::errc() || end != port.data() + port.size())
            return E_INVALIDARG;
    }
    if (result.path.empty())
        result.path = "/";
    *parts = std::move(result);
    return S_OK;
}

std::string ComposeUrl(const UrlParts& parts) {
    std::string url = parts.scheme + "://";
    if (parts.has_user_info) {
        url += parts.user;
        if (!parts.password.empty())
            url += ":" + parts.password;
        url += "@";
    }
    url += parts.host;
    if (parts.port != 0 && parts.port != DefaultPortOfScheme(parts.scheme))
        url += ":" + std::to_string(parts.port);
    url += parts.path;
    url += parts.query;
    return url;
}

}  // namespace platform
