// URL cracking and composing in the shape of InternetCrackUrl / InternetCreateUrl: the parts are taken
// and joined as they stand, with no percent-decoding and no re-encoding.
#pragma once

#include <string>
#include <string_view>

#include "platform/hresult.h"

namespace platform {

struct UrlParts {
    std::string scheme;    // "http", as written (case kept)
    std::string user;      // empty when the URL has no user information
    std::string password;  // empty when the user information has no password
    bool has_user_info = false;
    std::string host;   // "[::1]" for IPv6 literals
    int port = 0;       // the URL's port, or the scheme's default port (0 for an unknown scheme)
    std::string path;   // "/" when the URL has none
    std::string query;  // with its leading "?", or empty
};

// The default port of a scheme (ftp 21, gopher 70, http 80, https 443, socks 1080), 0 for others.
int DefaultPortOfScheme(std::string_view scheme);

// Splits an absolute URL. E_INVALIDARG when it has no scheme or cannot be parsed; `parts` untouched then.
[[nodiscard]] HRESULT CrackUrl(std::string_view url, UrlParts* parts);

// scheme "://" [user [":" password] "@"] host [":" port when not the default] path query.
std::string ComposeUrl(const UrlParts& parts);

}  // namespace platform
