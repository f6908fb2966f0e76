// What one account has learnt of a server's Digest challenge, across the requests of a run. After the
// first 401 was answered, later requests to the same origin carry an answer at once, with the known nonce
// and the next nonce count (RFC 7616, 3.4), instead of drawing a 401 each; a stale or changed nonce comes
// with the next 401 and is answered and learnt then. Belongs to one thread, as its CDavServer does.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "dav/http_authentication.h"

class DigestSession {
  public:
    // The Authorization value for a 401's WWW-Authenticate value (see BuildAuthorization). A Digest
    // challenge offering qop auth is remembered for the origin of credentials.url; anything else makes
    // the session forget what it knew.
    std::string Answer(std::string_view challenge, const HttpCredentials& credentials);

    // The Authorization value for a new request with the next nonce count, when a challenge of the
    // request's origin is remembered; else empty (the request goes out without one).
    std::string Preempt(const HttpCredentials& credentials);

  private:
    std::string m_origin;  // "scheme://host:port", ASCII lower-case; empty while nothing is remembered
    std::string m_parameters;
    std::string m_cnonce;
    std::uint32_t m_count = 0;
};
