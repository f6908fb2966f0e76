// The Authorization value the client computes itself after a 401: HTTP Digest with MD5 (RFC 2617, and
// RFC 2069 when the server offers no qop). Basic is answered by the platform request object.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// What a Digest response is computed over.
struct HttpCredentials {
    std::string method;
    std::string url;  // absolute; its path (without the query) is the digest uri
    std::string user;
    std::string password;
};

// The parameters of a Digest challenge that the response uses.
struct DigestChallenge {
    std::string realm;
    std::string nonce;
    std::string opaque;
    bool has_opaque = false;
    std::string qop;  // "auth" when the server offers it, else empty (the RFC 2069 form is sent)
};

// Reads "realm=\"r\", nonce=\"n\", qop=\"auth,auth-int\"": names trimmed and compared without regard to
// case, quoted values may hold commas and backslash escapes, unknown names ignored.
DigestChallenge ParseDigestChallenge(std::string_view parameters);

// The parameter text of a whole WWW-Authenticate value when its scheme (the text before the first space)
// is Digest in any case; none for another scheme or a value without a space.
std::optional<std::string_view> DigestParametersOf(std::string_view challenge);

// The value for a whole WWW-Authenticate value: the Digest response when the scheme is Digest, else empty.
std::string BuildAuthorization(std::string_view challenge, const HttpCredentials& credentials);

// The Digest response for the challenge's parameter text, with the given client nonce and nonce count
// (written as eight hexadecimal digits).
std::string BuildDigestAuthorization(std::string_view parameters, const HttpCredentials& credentials,
                                     std::string_view cnonce, std::uint32_t nonce_count = 1);

// Eight lowercase hexadecimal characters from a new GUID (its first field without leading zeros,
// continued by the next fields when it is shorter).
std::string NewClientNonce();
