#include "dav/http_authentication.h"

#include <cstdint>
#include <cstdio>

#include "platform/crypto.h"
#include "platform/text.h"
#include "platform/url.h"

namespace {

std::string_view SkipSeparators(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() &&
           (text[i] == ',' || text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n'))
        ++i;
    return text.substr(i);
}

// A quoted-string; `text` starts after the opening quote. Leaves `text` after the closing quote.
std::string ReadQuoted(std::string_view* text) {
    std::string value;
    std::size_t i = 0;
    for (; i < text->size(); ++i) {
        const char c = (*text)[i];
        if (c == '\\' && i + 1 < text->size()) {
            value.push_back((*text)[++i]);
        } else if (c == '"') {
            ++i;
            break;
        } else {
            value.push_back(c);
        }
    }
    text->remove_prefix(i);
    return value;
}

std::string ChooseQop(std::string_view offered) {
    std::string_view rest = offered;
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        const std::string_view option = platform::TrimWhitespace(rest.substr(0, comma));
        if (platform::EqualsIgnoreAsciiCase(option, "auth"))
            return "auth";
        if (comma == std::string_view::npos)
            break;
        rest.remove_prefix(comma + 1);
    }
    return {};
}

std::string Quote(std::string_view value) {
    std::string quoted = "\"";
    for (char c : value) {
        if (c == '"' || c == '\\')
            quoted.push_back('\\');
        quoted.push_back(c);
    }
    quoted.push_back('"');
    return quoted;
}

std::string DigestUri(const std::string& url) {
    platform::UrlParts parts;
    if (FAILED(platform::CrackUrl(url, &parts)))
        return {};
    return parts.path;
}

}  // namespace

DigestChallenge ParseDigestChallenge(std::string_view parameters) {
    DigestChallenge challenge;
    std::string qop_offered;
    std::string_view rest = SkipSeparators(parameters);
    while (!rest.empty()) {
        const std::size_t name_end = rest.find_first_of("=,");
        const std::string name(platform::TrimWhitespace(rest.substr(0, name_end)));
        if (name_end == std::string_view::npos || rest[name_end] == ',') {
            // A piece without "=" carries nothing.
            rest = name_end == std::string_view::npos ? std::string_view()
                                                      : SkipSeparators(rest.substr(name_end));
            continue;
        }
        rest = platform::TrimWhitespace(rest.substr(name_end + 1));
        std::string value;
        if (!rest.empty() && rest.front() == '"') {
            rest.remove_prefix(1);
            value = ReadQuoted(&rest);
            const std::size_t comma = rest.find(',');
            rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma);
        } else {
            const std::size_t comma = rest.find(',');
            value = std::string(platform::TrimWhitespace(rest.substr(0, comma)));
            rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma);
        }
        rest = SkipSeparators(rest);
        if (platform::EqualsIgnoreAsciiCase(name, "realm")) {
            challenge.realm = value;
        } else if (platform::EqualsIgnoreAsciiCase(name, "nonce")) {
            challenge.nonce = value;
        } else if (platform::EqualsIgnoreAsciiCase(name, "opaque")) {
            challenge.opaque = value;
            challenge.has_opaque = true;
        } else if (platform::EqualsIgnoreAsciiCase(name, "qop")) {
            qop_offered = value;
        }
    }
    challenge.qop = ChooseQop(qop_offered);
    return challenge;
}

std::optional<std::string_view> DigestParametersOf(std::string_view challenge) {
    const std::size_t space = challenge.find(' ');
    if (challenge.empty() || space == std::string_view::npos || space == 0)
        return std::nullopt;
    if (!platform::EqualsIgnoreAsciiCase(challenge.substr(0, space), "Digest"))
        return std::nullopt;
    return challenge.substr(space + 1);
}

std::string BuildAuthorization(std::string_view challenge, const HttpCredentials& credentials) {
    const std::optional<std::string_view> parameters = DigestParametersOf(challenge);
    return parameters ? BuildDigestAuthorization(*parameters, credentials, NewClientNonce()) : std::string();
}

std::string BuildDigestAuthorization(std::string_view parameters, const HttpCredentials& credentials,
                                     std::string_view cnonce, std::uint32_t nonce_count) {
    const DigestChallenge challenge = ParseDigestChallenge(parameters);
    char nc[16];
    std::snprintf(nc, sizeof nc, "%08x", nonce_count);
    const std::string ha1 =
        platform::Md5Hex(credentials.user + ":" + challenge.realm + ":" + credentials.password);
    const std::string uri = DigestUri(credentials.url);
    const std::string ha2 = platform::Md5Hex(credentials.method + ":" + uri);
    std::string value = "Digest username=" + Quote(credentials.user) + ", realm=" + Quote(challenge.realm) +
                        ", nonce=" + Quote(challenge.nonce) + ", uri=" + Quote(uri);
    if (challenge.qop.empty()) {
        // RFC 2069: the server offered no qop, so it expects no nc and cnonce either.
        const std::string response = platform::Md5Hex(ha1 + ":" + challenge.nonce + ":" + ha2);
        value += ", response=" + Quote(response);
    } else {
        const std::string response = platform::Md5Hex(ha1 + ":" + challenge.nonce + ":" + nc + ":" +
                                                      std::string(cnonce) + ":" + challenge.qop + ":" + ha2);
        value += ", qop=" + challenge.qop + ", nc=" + nc + ", cnonce=" + Quote(cnonce) +
                 ", response=" + Quote(response);
    }
    if (challenge.has_opaque)
        value += ", opaque=" + Quote(challenge.opaque);
    return value;
}

std::string NewClientNonce() {
    std::uint8_t bytes[16] = {};
    if (!platform::RandomBytes(bytes, sizeof bytes))
        return {};
    const std::uint32_t data1 = (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
                                (std::uint32_t{bytes[2]} << 8) | bytes[3];
    const unsigned data2 = (unsigned{bytes[4]} << 8) | bytes[5];
    const unsigned data3 = (unsigned{bytes[6]} << 8) | bytes[7];
    char text[64];
    int length = std::snprintf(text, sizeof text, "%x-%x-%x-", data1, data2, data3);
    for (int i = 8; i < 16 && length > 0 && length < static_cast<int>(sizeof text); ++i) {
        if (i == 10)
            text[length++] = '-';
        length += std::snprintf(text + length, sizeof text - static_cast<std::size_t>(length), "%x",
                                unsigned{bytes[i]});
    }
    return std::string(text, 8);
}
