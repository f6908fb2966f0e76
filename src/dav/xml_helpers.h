// Reading DAV responses: every XML answer is loaded into a document with one fixed set of selection
// prefixes, whatever prefixes the server wrote, and read through these helpers. A null document or node
// is an empty selection everywhere.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "dav/xml_node_iterator.h"
#include "platform/xml_document.h"

// d = DAV:, s = SabreDAV, cal = CalDAV, cs = CalendarServer, card = CardDAV.
inline constexpr const char* kSelectionNamespaces =
    "xmlns:d='DAV:' xmlns:s='http://sabredav.org/ns' xmlns:cal='urn:ietf:params:xml:ns:caldav' "
    "xmlns:cs='http://calendarserver.org/ns/' xmlns:card='urn:ietf:params:xml:ns:carddav'";

using XmlNodePtr = std::shared_ptr<platform::XmlNode>;

// The response text as a document. Text that does not load logs "Unable to load XML." and gives an empty
// document; null only when no document can be made at all.
XmlNodePtr LoadXml(std::string_view text);

// Each d:response of a d:multistatus answer, handed to `visit` as it is read, so that a long answer is
// never held as one tree. False, with the log line of LoadXml, when the text is not a well-formed
// multistatus document; `visit` may have seen some responses by then.
bool ForEachResponse(std::string_view text, const std::function<void(const XmlNodePtr&)>& visit);

// An iterator at the first node the expression selects (relative to `node`, absolute from its document).
CXmlNodeIterator SelectNodes(const XmlNodePtr& node, std::string_view xpath);

// Whether the expression selects at least one node.
bool HasNode(const XmlNodePtr& node, std::string_view xpath);

// The text of the first selected node (concatenated descendant text), or "" when nothing is selected.
std::string SelectText(const XmlNodePtr& node, std::string_view xpath);

// Text for an XML request body: "&", "<" and ">" as entities, so that names and hrefs cannot change the
// request's markup.
std::string EscapeXml(std::string_view text);

// SelectText read as a decimal number the way _wtoi does: leading white space, a sign, then digits up to
// the first non-digit; 0 when there are no digits. Values beyond 32 bits are clamped.
std::int32_t SelectInt(const XmlNodePtr& node, std::string_view xpath);

// The same reading of a text.
std::int32_t ParseLeadingInt(std::string_view text);
