// A scripted stand-in for the platform request object: answers come from a queue, and every call is
// recorded so tests can check what the client sent.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "dav/web_client.h"
#include "platform/http_request.h"

namespace dav_test {

struct FakeAnswer {
    HRESULT send_result = S_OK;
    int status = 207;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    HRESULT body_result = S_OK;
};

struct SentRequest {
    std::string method;
    std::string url;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
};

// Shared between the test and the request objects the factory makes.
struct FakeServer {
    std::deque<FakeAnswer> answers;
    std::vector<SentRequest> sent;
    std::vector<std::string> opened_urls;
    HRESULT create_result = S_OK;
    HRESULT open_result = S_OK;
    HRESULT header_result = S_OK;
};

class FakeHttpRequest final : public platform::HttpRequest {
  public:
    explicit FakeHttpRequest(std::shared_ptr<FakeServer> server) : m_server(std::move(server)) {}

    HRESULT Open(std::string_view method, std::string_view url, std::string_view, std::string_view) override {
        if (FAILED(m_server->open_result))
            return m_server->open_result;
        m_method = std::string(method);
        m_url = std::string(url);
        m_headers.clear();
        m_server->opened_urls.push_back(m_url);
        return S_OK;
    }

    HRESULT SetRequestHeader(std::string_view name, std::string_view value) override {
        if (FAILED(m_server->header_result))
            return m_server->header_result;
        for (auto& header : m_headers) {
            if (header.first == name) {
                header.second = std::string(value);
                return S_OK;
            }
        }
        m_headers.emplace_back(std::string(name), std::string(value));
        return S_OK;
    }

    HRESULT Send(std::string_view body) override {
        m_server->sent.push_back({m_method, m_url, m_headers, std::string(body)});
        if (m_server->answers.empty()) {
            m_answer = FakeAnswer{platform::kHttpErrorCannotConnect, 0, {}, {}, S_OK};
        } else {
            m_answer = m_server->answers.front();
            m_server->answers.pop_front();
        }
        return m_answer.send_result;
    }

    int Status() const override { return m_answer.status; }

    std::string GetResponseHeader(std::string_view name) const override {
        for (const auto& header : m_answer.headers) {
            if (header.first == name)
                return header.second;
        }
        return {};
    }

    HRESULT GetResponseBody(std::string* body) const override {
        if (FAILED(m_answer.body_result))
            return m_answer.body_result;
        *body = m_answer.body;
        return S_OK;
    }

    int TransportCode() const override { return FAILED(m_answer.send_result) ? 7 : 0; }

  private:
    std::shared_ptr<FakeServer> m_server;
    std::string m_method;
    std::string m_url;
    std::vector<std::pair<std::string, std::string>> m_headers;
    FakeAnswer m_answer;
};

// The value of a header the request sent, or "<none>".
inline std::string HeaderOf(const SentRequest& request, const std::string& name) {
    for (const auto& [key, value] : request.headers) {
        if (key == name)
            return value;
    }
    return "<none>";
}

inline HttpRequestFactory FactoryFor(const std::shared_ptr<FakeServer>& server) {
    return [server](std::unique_ptr<platform::HttpRequest>* request) -> HRESULT {
        if (FAILED(server->create_result))
            return server->create_result;
        *request = std::make_unique<FakeHttpRequest>(server);
        return S_OK;
    };
}

}  // namespace dav_test
