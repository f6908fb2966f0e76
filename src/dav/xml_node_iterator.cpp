#include "dav/xml_node_iterator.h"

CXmlNodeIterator::CXmlNodeIterator(std::unique_ptr<platform::XmlNodeList> list) : m_list(std::move(list)) {
    Next();
}

void CXmlNodeIterator::Next() {
    m_current.reset();
    if (m_list != nullptr && m_list->NextNode(&m_current) != S_OK)
        m_current.reset();
}
