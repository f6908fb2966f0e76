#include "dav/web_client.h"

#include <cstdint>
#include <cstdio>

#include "dav/http_authentication.h"
#include "dav/http_status.h"
#include "platform/text.h"
#include "settings/addin_exception.h"
#include "settings/log.h"
#include "settings/messages.h"

namespace {

constexpr int kStatusNoContentWinInet = 1223;
// "Unable to initialize request": a header the request object refuses.
constexpr std::uint32_t kErrorInitializeRequest = 302;

std::string FormatBadStatus(int status) {
    const std::string format = LoadMessage(317);
    const int needed = std::snprintf(nullptr, 0, format.c_str(), status);
    if (needed <= 0)
        return format;
    std::string text(static_cast<std::size_t>(needed) + 1, '\0');
    std::snprintf(text.data(), text.size(), format.c_str(), status);
    text.resize(static_cast<std::size_t>(needed));
    return text;
}

}  // namespace

CWebClient::CWebClient() : CWebClient(HttpRequestFactory(&platform::CreateHttpRequest)) {}

CWebClient::CWebClient(HttpRequestFactory factory) : m_factory(std::move(factory)) {}

void CWebClient::Open(std::string_view method, std::string_view url, std::string_view user,
                      std::string_view password) {
    m_method = std::string(method);
    m_url = std::string(url);
    m_user = std::string(user);
    m_password = std::string(password);
    if (m_request == nullptr) {
        const HRESULT hr = m_factory(&m_request);
        if (FAILED(hr) || m_request == nullptr) {
            m_request.reset();
            Log("CWebClient::SendXml: Unable to create XMLHTTPRequest object. HRESULT: %d.",
                FAILED(hr) ? hr : E_POINTER);
            throw CAddinException(kErrorCreateRequest);
        }
    }
    if (m_url.compare(0, 7, "http://") != 0 && m_url.compare(0, 8, "https://") != 0)
        m_url = "http://" + m_url;
    Log("CWebClient::Open: Url: '%s'", m_url.c_str());
    const HRESULT hr = m_request->Open(m_method, m_url, m_user, m_password);
    if (FAILED(hr)) {
        Log("CWebClient::SendXml: Unable to open connection. HRESULT: %d.", hr);
        throw CAddinException(kErrorOpenConnection);
    }
}

void CWebClient::AddHeader(std::string_view name, std::string_view value) {
    for (auto& header : m_headers) {
        if (header.first == name) {
            header.second = std::string(value);
            return;
        }
    }
    m_headers.emplace_back(std::string(name), std::string(value));
}

void CWebClient::SetUserAgent() {
    AddHeader("User-Agent", "Velmarquin Harrowgate/1.0");
}

std::string CWebClient::GetResponseHeader(std::string_view name) const {
    return m_request == nullptr ? std::string() : m_request->GetResponseHeader(name);
}

int CWebClient::SendXml(std::string_view body, std::string* response) {
    if (m_request == nullptr)
        return -1;
    if (m_digest != nullptr) {
        const std::string authorization =
            m_digest->Preempt(HttpCredentials{m_method, m_url, m_user, m_password});
        if (!authorization.empty())
            AddHeader("Authorization", authorization);
    }
    bool retried = false;
    int status = 0;
    for (int send = 0; send < 2; ++send) {
        for (const auto& [name, value] : m_headers) {
            const HRESULT hr = m_request->SetRequestHeader(name, value);
            if (FAILED(hr)) {
                // A name or value with a line break would split the request; it is never sent.
                Log("CWebClient::SendXml: Unable to set header '%s'. HRESULT: %d.", name.c_str(), hr);
                throw CAddinException(kErrorInitializeRequest);
            }
        }
        const HRESULT hr = m_request->Send(body);
        status = m_request->Status();
        if (FAILED(hr)) {
            if (status == kStatusNoContentWinInet) {
                status = 204;
                break;
            }
            Log("CWebClient::SendXml: Unable to send request. HRESULT: %d.", hr);
            Log("CWebClient::SendXml: Transport code: %d. Status: %d.", m_request->TransportCode(), status);
            const TransportFailure failure{
                hr == platform::kHttpErrorTimeout ? FailureKind::kTimeout : FailureKind::kTransport, status,
                m_request->TransportCode()};
            throw CAddinException(kErrorNoConnection,
                                  LoadMessage(CAddinException::MessageIdForCode(kErrorNoConnection)) + " (" +
                                      platform::DescribeSendFailure(hr, m_request->TransportCode()) + ")",
                                  failure);
        }
        if (status == kStatusNoContentWinInet) {
            status = 204;
            break;
        }
        if (IsSuccessStatus(m_method, status))
            break;
        Log("CWebClient::SendXml: Bad response status. Status: %d.", status);
        const TransportFailure failure{ClassifyStatus(status), status, m_request->TransportCode()};
        if (failure.kind == FailureKind::kForbidden || failure.kind == FailureKind::kNotFound)
            throw CAddinException(kErrorForbiddenOrNotFound, "", failure);
        if (status == 401) {
            if (retried)
                throw CAddinException(kErrorLogonFailed, "", failure);
            const std::string challenge = m_request->GetResponseHeader("WWW-Authenticate");
            if (!challenge.empty()) {
                const HttpCredentials credentials{m_method, m_url, m_user, m_password};
                const std::string authorization = m_digest != nullptr
                                                      ? m_digest->Answer(challenge, credentials)
                                                      : BuildAuthorization(challenge, credentials);
                const std::string method = m_method;
                const std::string url = m_url;
                const std::string user = m_user;
                const std::string password = m_password;
                Open(method, url, user, password);
                AddHeader("Authorization", authorization);
            }
            retried = true;
            continue;
        }
        if (failure.kind == FailureKind::kNotDav)
            throw CAddinException(kErrorNotDavServer, "", failure);
        throw CAddinException(kErrorBadStatus, FormatBadStatus(status), failure);
    }
    std::string bytes;
    const HRESULT hr = m_request->GetResponseBody(&bytes);
    if (FAILED(hr)) {
        Log("CWebClient::ReceiveData: Bad response body. HRESULT: %d.", hr);
        throw CAddinException(kErrorNoResponse, "",
                              TransportFailure{FailureKind::kUnreadable, status, m_request->TransportCode()});
    }
    if (!bytes.empty())
        *response = std::move(bytes);
    return status;
}

std::string CWebClient::ConvertUtf16ToUtf8(std::string_view text) {
    return platform::SanitizeUtf8(text);
}

std::string CWebClient::ConvertUtf8ToUtf16(std::string_view bytes) {
    return platform::SanitizeUtf8(bytes);
}
