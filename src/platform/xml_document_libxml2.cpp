#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlreader.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <algorithm>
#include <climits>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/text.h"
#include "platform/xml_document.h"

namespace platform {

namespace {

struct DocumentState {
    ~DocumentState() {
        if (doc != nullptr)
            xmlFreeDoc(doc);
    }
    xmlDocPtr doc = nullptr;
    std::vector<std::pair<std::string, std::string>> namespaces;
};
using State = std::shared_ptr<const DocumentState>;

void InitialiseLibxml2() {
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
}

void IgnoreError(void*, xmlErrorPtr) {}

// MSXML 6 refuses documents with a DTD (ProhibitDTD); stopping at the declaration means no entity of an
// internal subset is ever read, let alone expanded.
void RejectDocumentType(void* context, const xmlChar*, const xmlChar*, const xmlChar*) {
    auto* parser = static_cast<xmlParserCtxtPtr>(context);
    parser->_private = parser;
    xmlStopParser(parser);
}

HRESULT SelectAll(const State& state, xmlNodePtr context, std::string_view xpath,
                  std::vector<xmlNodePtr>* nodes) {
    nodes->clear();
    if (state == nullptr || state->doc == nullptr || context == nullptr)
        return S_OK;
    xmlXPathContextPtr xpath_context = xmlXPathNewContext(state->doc);
    if (xpath_context == nullptr)
        return E_OUTOFMEMORY;
    xpath_context->node = context;
    xpath_context->error = &IgnoreError;
    for (const auto& [prefix, uri] : state->namespaces)
        (void)xmlXPathRegisterNs(xpath_context, BAD_CAST prefix.c_str(), BAD_CAST uri.c_str());
    const std::string expression(xpath);
    xmlXPathObjectPtr result = xmlXPathEvalExpression(BAD_CAST expression.c_str(), xpath_context);
    if (result != nullptr && result->type == XPATH_NODESET && result->nodesetval != nullptr) {
        for (int i = 0; i < result->nodesetval->nodeNr; ++i) {
            xmlNodePtr node = result->nodesetval->nodeTab[i];
            // Namespace nodes of a result are copies owned by the result; they are not offered.
            if (node != nullptr && node->type != XML_NAMESPACE_DECL)
                nodes->push_back(node);
        }
    }
    if (result != nullptr)
        xmlXPathFreeObject(result);
    xmlXPathFreeContext(xpath_context);
    return S_OK;
}

bool IsNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || c == '.';
}

// An XML name without a colon, of ASCII characters only (anything else is left to XPath).
bool IsAsciiNcName(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), IsNameChar) &&
           !(text.front() >= '0' && text.front() <= '9') && text.front() != '-' && text.front() != '.';
}

// One step of a child path: the element's namespace URI and local name.
struct ChildStep {
    const std::string* uri = nullptr;
    std::string_view name;
};

// A child path of prefixed names, "p:a/q:b" (or "self::p:a/q:b", whose first step is the node itself),
// the query DAV readers make most, as steps; false for any other expression (a predicate, another axis,
// an unprefixed or undeclared name...), which XPath then evaluates. An expression compiled and run by
// libxml2 for each response cost more than reading the response.
bool ParseChildPath(std::string_view xpath,
                    const std::vector<std::pair<std::string, std::string>>& namespaces, bool* starts_at_self,
                    std::vector<ChildStep>* steps) {
    constexpr std::string_view kSelf = "self::";
    steps->clear();
    *starts_at_self = xpath.substr(0, kSelf.size()) == kSelf;
    if (*starts_at_self)
        xpath.remove_prefix(kSelf.size());
    while (true) {
        const std::size_t end = std::min(xpath.find('/'), xpath.size());
        const std::string_view step = xpath.substr(0, end);
        const std::size_t colon = std::min(step.find(':'), step.size());
        const std::string_view prefix = step.substr(0, colon);
        const std::string_view name = step.substr(std::min(colon + 1, step.size()));
        if (!IsAsciiNcName(prefix) || !IsAsciiNcName(name))
            return false;
        const auto declared = std::find_if(namespaces.begin(), namespaces.end(),
                                           [&](const auto& entry) { return entry.first == prefix; });
        if (declared == namespaces.end() || declared->second.empty())
            return false;
        steps->push_back(ChildStep{&declared->second, name});
        if (end == xpath.size())
            return true;
        xpath.remove_prefix(end + 1);
    }
}

bool IsStep(const xmlNode* node, const ChildStep& step) {
    return node->type == XML_ELEMENT_NODE && node->ns != nullptr && node->ns->href != nullptr &&
           reinterpret_cast<const char*>(node->name) == step.name &&
           reinterpret_cast<const char*>(node->ns->href) == *step.uri;
}

// The first node in document order at the end of the path: depth first through the matching children.
xmlNodePtr FirstOnPath(xmlNodePtr node, const std::vector<ChildStep>& steps, std::size_t next) {
    if (next == steps.size())
        return node;
    for (xmlNodePtr child = node->children; child != nullptr; child = child->next) {
        if (!IsStep(child, steps[next]))
            continue;
        if (xmlNodePtr found = FirstOnPath(child, steps, next + 1))
            return found;
    }
    return nullptr;
}

std::string TextOf(xmlNodePtr node) {
    if (node == nullptr)
        return {};
    xmlChar* content = xmlNodeGetContent(node);
    if (content == nullptr)
        return {};
    std::string text(reinterpret_cast<const char*>(content));
    xmlFree(content);
    return text;
}

class LibxmlNode final : public XmlNode {
  public:
    LibxmlNode(State state, xmlNodePtr node) : m_state(std::move(state)), m_node(node) {}
    HRESULT SelectNodes(std::string_view xpath, std::unique_ptr<XmlNodeList>* list) const override;
    HRESULT SelectSingleNode(std::string_view xpath, std::shared_ptr<XmlNode>* node) const override;
    std::string Text() const override { return TextOf(m_node); }

  private:
    State m_state;
    xmlNodePtr m_node;
};

class LibxmlNodeList final : public XmlNodeList {
  public:
    LibxmlNodeList(State state, std::vector<xmlNodePtr> nodes)
        : m_state(std::move(state)), m_nodes(std::move(nodes)) {}

    HRESULT NextNode(std::shared_ptr<XmlNode>* node) override {
        if (m_next >= m_nodes.size()) {
            node->reset();
            return S_FALSE;
        }
        *node = std::make_shared<LibxmlNode>(m_state, m_nodes[m_next++]);
        return S_OK;
    }

    std::size_t Length() const override { return m_nodes.size(); }

  private:
    State m_state;
    std::vector<xmlNodePtr> m_nodes;
    std::size_t m_next = 0;
};

HRESULT SelectList(const State& state, xmlNodePtr context, std::string_view xpath,
                   std::unique_ptr<XmlNodeList>* list) {
    std::vector<xmlNodePtr> nodes;
    const HRESULT hr = SelectAll(state, context, xpath, &nodes);
    if (FAILED(hr))
        return hr;
    *list = std::make_unique<LibxmlNodeList>(state, std::move(nodes));
    return S_OK;
}

HRESULT SelectFirst(const State& state, xmlNodePtr context, std::string_view xpath,
                    std::shared_ptr<XmlNode>* node) {
    std::vector<ChildStep> steps;
    bool starts_at_self = false;
    if (state != nullptr && state->doc != nullptr && context != nullptr &&
        ParseChildPath(xpath, state->namespaces, &starts_at_self, &steps)) {
        xmlNodePtr found = nullptr;
        if (!starts_at_self)
            found = FirstOnPath(context, steps, 0);
        else if (IsStep(context, steps.front()))
            found = FirstOnPath(context, steps, 1);
        if (found == nullptr) {
            node->reset();
            return S_FALSE;
        }
        *node = std::make_shared<LibxmlNode>(state, found);
        return S_OK;
    }
    std::vector<xmlNodePtr> nodes;
    const HRESULT hr = SelectAll(state, context, xpath, &nodes);
    if (FAILED(hr))
        return hr;
    if (nodes.empty()) {
        node->reset();
        return S_FALSE;
    }
    *node = std::make_shared<LibxmlNode>(state, nodes.front());
    return S_OK;
}

HRESULT LibxmlNode::SelectNodes(std::string_view xpath, std::unique_ptr<XmlNodeList>* list) const {
    return SelectList(m_state, m_node, xpath, list);
}

HRESULT LibxmlNode::SelectSingleNode(std::string_view xpath, std::shared_ptr<XmlNode>* node) const {
    return SelectFirst(m_state, m_node, xpath, node);
}

// "xmlns:d='DAV:' xmlns:cal=\"urn:...\"" into (prefix, uri) pairs.
bool ParseDeclarations(std::string_view text, std::vector<std::pair<std::string, std::string>>* namespaces) {
    std::vector<std::pair<std::string, std::string>> parsed;
    std::string_view rest = TrimWhitespace(text);
    while (!rest.empty()) {
        if (rest.rfind("xmlns:", 0) != 0)
            return false;
        rest.remove_prefix(6);
        const std::size_t equals = rest.find('=');
        if (equals == std::string_view::npos || equals == 0 || equals + 1 >= rest.size())
            return false;
        const std::string prefix(TrimWhitespace(rest.substr(0, equals)));
        rest = TrimWhitespace(rest.substr(equals + 1));
        const char quote = rest.empty() ? '\0' : rest.front();
        if (quote != '\'' && quote != '"')
            return false;
        const std::size_t close = rest.find(quote, 1);
        if (close == std::string_view::npos || prefix.empty())
            return false;
        parsed.emplace_back(prefix, std::string(rest.substr(1, close - 1)));
        rest = TrimWhitespace(rest.substr(close + 1));
    }
    *namespaces = std::move(parsed);
    return true;
}

class LibxmlDocument final : public XmlDocument {
  public:
    LibxmlDocument() : m_state(std::make_shared<DocumentState>()) {}

    HRESULT SelectNodes(std::string_view xpath, std::unique_ptr<XmlNodeList>* list) const override {
        return SelectList(m_state, reinterpret_cast<xmlNodePtr>(m_state->doc), xpath, list);
    }

    HRESULT SelectSingleNode(std::string_view xpath, std::shared_ptr<XmlNode>* node) const override {
        return SelectFirst(m_state, reinterpret_cast<xmlNodePtr>(m_state->doc), xpath, node);
    }

    std::string Text() const override { return TextOf(reinterpret_cast<xmlNodePtr>(m_state->doc)); }

    HRESULT SetSelectionNamespaces(std::string_view declarations) override {
        std::vector<std::pair<std::string, std::string>> namespaces;
        if (!ParseDeclarations(declarations, &namespaces))
            return E_INVALIDARG;
        auto state = std::make_shared<DocumentState>();
        state->namespaces = std::move(namespaces);
        // The loaded tree moves to the new state; nodes handed out earlier keep the old one alive.
        if (m_state->doc != nullptr)
            state->doc = xmlCopyDoc(m_state->doc, 1);
        m_state = std::move(state);
        return S_OK;
    }

    HRESULT LoadXml(std::string_view text) override {
        auto state = std::make_shared<DocumentState>();
        state->namespaces = m_state->namespaces;
        m_state = state;
        if (text.size() > static_cast<std::size_t>(INT_MAX))
            return S_FALSE;
        xmlParserCtxtPtr parser = xmlNewParserCtxt();
        if (parser == nullptr)
            return E_OUTOFMEMORY;
        parser->sax->internalSubset = &RejectDocumentType;
        parser->_private = nullptr;
        // No XML_PARSE_NOENT (entities stay unexpanded), no DTDLOAD, no HUGE (keeps the depth and size
        // limits). The text is UTF-8 whatever its declaration says.
        const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
        xmlDocPtr doc =
            xmlCtxtReadMemory(parser, text.data(), static_cast<int>(text.size()), nullptr, "UTF-8", options);
        const bool accepted = doc != nullptr && parser->wellFormed != 0 && parser->_private == nullptr &&
                              doc->intSubset == nullptr && xmlDocGetRootElement(doc) != nullptr;
        xmlFreeParserCtxt(parser);
        if (!accepted) {
            if (doc != nullptr)
                xmlFreeDoc(doc);
            return S_FALSE;
        }
        state->doc = doc;
        return S_OK;
    }

  private:
    std::shared_ptr<DocumentState> m_state;
};

bool IsNamed(xmlTextReaderPtr reader, std::string_view uri, std::string_view name) {
    const xmlChar* node_uri = xmlTextReaderConstNamespaceUri(reader);
    const xmlChar* node_name = xmlTextReaderConstLocalName(reader);
    return node_name != nullptr && reinterpret_cast<const char*>(node_name) == name &&
           (node_uri == nullptr ? uri.empty() : reinterpret_cast<const char*>(node_uri) == uri);
}

// The element the reader stands on, copied into a document of its own (namespace declarations of its
// ancestors move onto the copy's root).
HRESULT CopyOut(xmlTextReaderPtr reader, const std::vector<std::pair<std::string, std::string>>& namespaces,
                std::shared_ptr<XmlNode>* node) {
    xmlNodePtr expanded = xmlTextReaderExpand(reader);
    if (expanded == nullptr)
        return S_FALSE;
    auto state = std::make_shared<DocumentState>();
    state->namespaces = namespaces;
    state->doc = xmlNewDoc(BAD_CAST "1.0");
    xmlNodePtr copy = state->doc == nullptr ? nullptr : xmlDocCopyNode(expanded, state->doc, 1);
    if (copy == nullptr)
        return E_OUTOFMEMORY;
    (void)xmlDocSetRootElement(state->doc, copy);
    *node = std::make_shared<LibxmlNode>(std::move(state), copy);
    return S_OK;
}

}  // namespace

HRESULT CreateXmlDocument(std::shared_ptr<XmlDocument>* document) {
    InitialiseLibxml2();
    *document = std::make_shared<LibxmlDocument>();
    return S_OK;
}

HRESULT ReadRootChildren(std::string_view text, std::string_view declarations, std::string_view root_uri,
                         std::string_view root_name,
                         const std::function<void(const std::shared_ptr<XmlNode>&)>& visit) {
    std::vector<std::pair<std::string, std::string>> namespaces;
    if (!ParseDeclarations(declarations, &namespaces))
        return E_INVALIDARG;
    if (text.size() > static_cast<std::size_t>(INT_MAX))
        return S_FALSE;
    InitialiseLibxml2();
    // The options of LoadXml: no entity expansion, no DTD loading, the parser's depth and size limits.
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    xmlTextReaderPtr reader =
        xmlReaderForMemory(text.data(), static_cast<int>(text.size()), nullptr, "UTF-8", options);
    if (reader == nullptr)
        return E_OUTOFMEMORY;
    // The reader reports some errors (a huge text node) on stderr whatever XML_PARSE_NOERROR says.
    xmlTextReaderSetStructuredErrorHandler(reader, &IgnoreError, nullptr);
    HRESULT hr = S_OK;
    bool has_root = false;
    int read = xmlTextReaderRead(reader);
    while (read == 1 && hr == S_OK) {
        const int type = xmlTextReaderNodeType(reader);
        const int depth = xmlTextReaderDepth(reader);
        if (type == XML_READER_TYPE_DOCUMENT_TYPE) {
            // Refused at the declaration, as LoadXml does.
            hr = S_FALSE;
        } else if (type == XML_READER_TYPE_ELEMENT && depth == 0) {
            has_root = IsNamed(reader, root_uri, root_name);
            hr = has_root ? S_OK : S_FALSE;
        } else if (type == XML_READER_TYPE_ELEMENT && depth == 1) {
            std::shared_ptr<XmlNode> child;
            hr = CopyOut(reader, namespaces, &child);
            if (hr == S_OK) {
                visit(child);
                // Past the child's subtree: the reader lets go of what it has read.
                read = xmlTextReaderNext(reader);
                continue;
            }
        }
        read = xmlTextReaderRead(reader);
    }
    xmlFreeTextReader(reader);
    if (FAILED(hr))
        return hr;
    return hr == S_OK && read == 0 && has_root ? S_OK : S_FALSE;
}

}  // namespace platform
