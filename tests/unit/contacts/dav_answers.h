// Answers of a CardDAV server for the scripted request objects of the contact tests.
#pragma once

#include <string>

#include "unit/dav/fake_http_request.h"

namespace contacts_test {

inline std::string Response(const std::string& href, const std::string& props,
                            const std::string& status = "200 OK") {
    return "<d:response><d:href>" + href + "</d:href><d:propstat><d:prop>" + props +
           "</d:prop><d:status>HTTP/1.1 " + status + "</d:status></d:propstat></d:response>";
}

inline std::string Multistatus(const std::string& responses) {
    return "<?xml version=\"1.0\"?><d:multistatus xmlns:d=\"DAV:\" "
           "xmlns:card=\"urn:ietf:params:xml:ns:carddav\">" +
           responses + "</d:multistatus>";
}

// A card with entity tag "e-<fn>"; `extra` adds properties such as getlastmodified.
inline std::string Card(const std::string& href, const std::string& fn, const std::string& extra = "") {
    return Response(href, "<d:getetag>\"e-" + fn + "\"</d:getetag><card:address-data>BEGIN:VCARD\r\nFN:" +
                              fn + "\r\nEND:VCARD\r\n</card:address-data>" + extra);
}

inline std::string Book(const std::string& href, const std::string& name,
                        const std::string& privileges = "") {
    return Response(
        href, "<d:resourcetype><d:collection/><card:addressbook/></d:resourcetype><d:displayname>" + name +
                  "</d:displayname>" + privileges);
}

inline const char* const kWrite =
    "<d:current-user-privilege-set><d:privilege><d:read/></d:privilege><d:privilege><d:write/>"
    "</d:privilege></d:current-user-privilege-set>";
inline const char* const kAll =
    "<d:current-user-privilege-set><d:privilege><d:all/></d:privilege></d:current-user-privilege-set>";
inline const char* const kReadOnly =
    "<d:current-user-privilege-set><d:privilege><d:read/></d:privilege></d:current-user-privilege-set>";

}  // namespace contacts_test
