#include "dav/batched_multiget.h"

#include <algorithm>
#include <map>
#include <optional>

#include "dav/dav_server.h"
#include "platform/text.h"
#include "settings/addin_exception.h"
#include "settings/log.h"

namespace {

constexpr std::size_t kBatch = 50;

using ReadResponse = std::function<bool(const std::string&, const XmlNodePtr&)>;

// The answer to one multiget; nothing when it may be asked again in parts.
std::optional<XmlNodePtr> Ask(CDavServer* server, const std::string& collection_href,
                              const std::string& body) {
    try {
        XmlNodePtr document =
            LoadXml(server->ProcessRequest(DavRequest{"REPORT", collection_href, body, {}}));
        if (HasNode(document, "/d:multistatus"))
            return document;
        return std::nullopt;
    } catch (const CAddinException& error) {
        if (!CanReadOneByOne(&error))
            throw;
        return std::nullopt;
    }
}

// At most two requests per href: a refused batch is split until each refused part is one object.
void Fetch(CDavServer* server, const std::string& collection_href, std::string_view head,
           std::string_view tail, const std::vector<std::string>& hrefs, const ReadResponse& read,
           std::vector<std::string>* unreadable) {
    std::string body(head);
    for (const std::string& href : hrefs)
        body += "<D:href>" + EscapeXml(href) + "</D:href>";
    body += tail;
    const std::optional<XmlNodePtr> document = Ask(server, collection_href, body);
    if (!document) {
        if (hrefs.size() > 1) {
            const auto middle = hrefs.begin() + static_cast<std::ptrdiff_t>(hrefs.size() / 2);
            Fetch(server, collection_href, head, tail, std::vector<std::string>(hrefs.begin(), middle), read,
                  unreadable);
            Fetch(server, collection_href, head, tail, std::vector<std::string>(middle, hrefs.end()), read,
                  unreadable);
            return;
        }
        Log("BatchedMultiget: '%s' cannot be read; it is left alone.",
            platform::SanitizeUtf8(hrefs.front()).c_str());
        unreadable->push_back(hrefs.front());
        return;
    }
    // The first answer for an href counts.
    std::map<std::string, XmlNodePtr> answered;
    for (CXmlNodeIterator it = SelectNodes(*document, "/d:multistatus/d:response"); !it.IsEnd(); it.Next())
        answered.emplace(std::string(platform::TrimWhitespace(SelectText(it.Current(), "d:href"))),
                         it.Current());
    for (const std::string& href : hrefs) {
        const auto found = answered.find(href);
        if (!read(href, found == answered.end() ? XmlNodePtr() : found->second))
            unreadable->push_back(href);
    }
}

}  // namespace

bool CanReadOneByOne(const CAddinException* error) {
    if (error == nullptr)
        return true;
    const int status = error->GetTransport().http_status;
    return error->GetKind() == FailureKind::kBadStatus && status >= 500 && status <= 599;
}

std::vector<std::string> BatchedMultiget(CDavServer* server, const std::string& collection_href,
                                         std::string_view head, std::string_view tail,
                                         const std::vector<std::string>& hrefs, const ReadResponse& read) {
    std::vector<std::string> unreadable;
    for (std::size_t first = 0; first < hrefs.size(); first += kBatch) {
        const auto batch = hrefs.begin() + static_cast<std::ptrdiff_t>(first);
        const auto end = batch + static_cast<std::ptrdiff_t>(std::min(kBatch, hrefs.size() - first));
        Fetch(server, collection_href, head, tail, std::vector<std::string>(batch, end), read, &unreadable);
    }
    return unreadable;
}
