#include "dav/digest_session.h"

#include <limits>
#include <optional>

#include "platform/text.h"
#include "platform/url.h"

namespace {

std::string OriginOf(const std::string& url) {
    platform::UrlParts parts;
    if (FAILED(platform::CrackUrl(url, &parts)) || parts.host.empty())
        return {};
    return platform::AsciiLower(parts.scheme + "://" + parts.host + ":" + std::to_string(parts.port));
}

}  // namespace

std::string DigestSession::Answer(std::string_view challenge, const HttpCredentials& credentials) {
    m_origin.clear();
    const std::optional<std::string_view> parameters = DigestParametersOf(challenge);
    if (!parameters)
        return {};
    m_parameters = std::string(*parameters);
    m_cnonce = NewClientNonce();
    m_count = 1;
    // Without qop there is no nonce count, so a repeated answer would be a replay: never sent unasked.
    if (!ParseDigestChallenge(m_parameters).qop.empty())
        m_origin = OriginOf(credentials.url);
    return BuildDigestAuthorization(m_parameters, credentials, m_cnonce, m_count);
}

std::string DigestSession::Preempt(const HttpCredentials& credentials) {
    if (m_origin.empty() || m_origin != OriginOf(credentials.url) ||
        m_count == std::numeric_limits<std::uint32_t>::max())
        return {};
    ++m_count;
    return BuildDigestAuthorization(m_parameters, credentials, m_cnonce, m_count);
}
