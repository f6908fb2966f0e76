// The XML DOM document with XPath selection (MSXML 6 DOMDocument60). Loading never touches the network,
// never loads a DTD and never expands entities: a document with a document type declaration, one nested
// deeper than the parser's limit or one that is not well-formed does not load.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/hresult.h"

namespace platform {

class XmlNodeList;

// A node of a loaded document. Nodes keep their document alive.
class XmlNode {
  public:
    virtual ~XmlNode() = default;

    // Every node the XPath 1.0 expression selects, in document order. Relative expressions start at this
    // node, absolute ones at the document. An expression that does not compile selects nothing.
    // Fails: E_OUTOFMEMORY. Ownership: the caller owns the list.
    [[nodiscard]] virtual HRESULT SelectNodes(std::string_view xpath,
                                              std::unique_ptr<XmlNodeList>* list) const = 0;

    // The first node selected; S_FALSE and a null node when nothing is.
    [[nodiscard]] virtual HRESULT SelectSingleNode(std::string_view xpath,
                                                   std::shared_ptr<XmlNode>* node) const = 0;

    // The concatenated text of the node's descendants (of an attribute: its value), UTF-8.
    virtual std::string Text() const = 0;
};

class XmlNodeList {
  public:
    virtual ~XmlNodeList() = default;
    // The next node; S_FALSE and a null node after the last one.
    [[nodiscard]] virtual HRESULT NextNode(std::shared_ptr<XmlNode>* node) = 0;
    virtual std::size_t Length() const = 0;
};

// The document node; selections on an empty (not loaded) document find nothing.
class XmlDocument : public XmlNode {
  public:
    // The prefixes XPath expressions may use, as "xmlns:p='uri' xmlns:q='uri'" (MSXML's
    // "SelectionNamespaces" property). Fails: E_INVALIDARG when the text is not of that form.
    [[nodiscard]] virtual HRESULT SetSelectionNamespaces(std::string_view declarations) = 0;

    // Parses the UTF-8 text (a leading byte order mark is allowed). S_FALSE when it is not a well-formed,
    // acceptable document; the document is then empty. Fails: E_OUTOFMEMORY.
    [[nodiscard]] virtual HRESULT LoadXml(std::string_view text) = 0;
};

// A new empty document. Fails: E_OUTOFMEMORY. Ownership: shared with the nodes taken from it.
[[nodiscard]] HRESULT CreateXmlDocument(std::shared_ptr<XmlDocument>* document);

// Parses the UTF-8 text as XmlDocument::LoadXml does, but hands each element child of the root to `visit`
// as soon as it is read, as the root element of a document of its own that selects with the prefixes of
// `declarations` (SetSelectionNamespaces' form): a long text is never held as one tree. S_OK when the
// whole text was acceptable and its root is `root_name` in the namespace `root_uri`; S_FALSE otherwise,
// possibly after some children were visited. Fails: E_INVALIDARG for bad declarations, E_OUTOFMEMORY.
[[nodiscard]] HRESULT ReadRootChildren(std::string_view text, std::string_view declarations,
                                       std::string_view root_uri, std::string_view root_name,
                                       const std::function<void(const std::shared_ptr<XmlNode>&)>& visit);

}  // namespace platform
