// A position in a node selection: the current node and the rest of the list. The end has no node.
#pragma once

#include <memory>

#include "platform/xml_document.h"

class CXmlNodeIterator {
  public:
    // The end iterator.
    CXmlNodeIterator() = default;
    // At the list's first node (the end when the list is empty or null).
    explicit CXmlNodeIterator(std::unique_ptr<platform::XmlNodeList> list);

    bool IsEnd() const { return m_current == nullptr; }
    // Null at the end. Ownership: shared; the node keeps its document alive.
    const std::shared_ptr<platform::XmlNode>& Current() const { return m_current; }
    // Drops the current node and takes the next one.
    void Next();

  private:
    std::unique_ptr<platform::XmlNodeList> m_list;
    std::shared_ptr<platform::XmlNode> m_current;
};
