#include "dav/xml_helpers.h"

#include <limits>

#include "settings/log.h"

XmlNodePtr LoadXml(std::string_view text) {
    std::shared_ptr<platform::XmlDocument> document;
    if (FAILED(platform::CreateXmlDocument(&document)))
        return nullptr;
    if (FAILED(document->SetSelectionNamespaces(kSelectionNamespaces)))
        return nullptr;
    if (document->LoadXml(text) != S_OK)
        Log("Unable to load XML.");
    return document;
}

bool ForEachResponse(std::string_view text, const std::function<void(const XmlNodePtr&)>& visit) {
    const HRESULT hr = platform::ReadRootChildren(text, kSelectionNamespaces, "DAV:", "multistatus",
                                                  [&](const XmlNodePtr& node) {
                                                      if (HasNode(node, "self::d:response"))
                                                          visit(node);
                                                  });
    if (hr != S_OK)
        Log("Unable to load XML.");
    return hr == S_OK;
}

CXmlNodeIterator SelectNodes(const XmlNodePtr& node, std::string_view xpath) {
    std::unique_ptr<platform::XmlNodeList> list;
    if (node == nullptr || FAILED(node->SelectNodes(xpath, &list)))
        return CXmlNodeIterator();
    return CXmlNodeIterator(std::move(list));
}

bool HasNode(const XmlNodePtr& node, std::string_view xpath) {
    std::shared_ptr<platform::XmlNode> found;
    return node != nullptr && node->SelectSingleNode(xpath, &found) == S_OK;
}

std::string SelectText(const XmlNodePtr& node, std::string_view xpath) {
    std::shared_ptr<platform::XmlNode> found;
    if (node == nullptr || node->SelectSingleNode(xpath, &found) != S_OK || found == nullptr)
        return {};
    return found->Text();
}

std::string EscapeXml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::int32_t SelectInt(const XmlNodePtr& node, std::string_view xpath) {
    return ParseLeadingInt(SelectText(node, xpath));
}

std::int32_t ParseLeadingInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > kLimit)
            value = kLimit;
    }
    if (negative)
        return static_cast<std::int32_t>(-value);
    return value >= kLimit ? std::numeric_limits<std::int32_t>::max() : static_cast<std::int32_t>(value);
}
