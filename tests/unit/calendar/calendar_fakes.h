// Multistatus answers and request checks for the calendar unit tests over the scripted request object.
#pragma once

#include <memory>
#include <string>

#include "unit/dav/fake_http_request.h"

namespace calendar_unit {

inline std::string Multistatus(const std::string& responses) {
    return "<d:multistatus xmlns:d=\"DAV:\" xmlns:cal=\"urn:ietf:params:xml:ns:caldav\" "
           "xmlns:cs=\"http://calendarserver.org/ns/\">" +
           responses + "</d:multistatus>";
}

// A home-set listing entry. `privileges` is the inside of current-user-privilege-set ("" leaves the
// property out); `types` goes into resourcetype.
inline std::string Collection(const std::string& href, const std::string& types, const std::string& name,
                              const std::string& privileges, const std::string& owner = "") {
    std::string prop = "<d:resourcetype><d:collection/>" + types + "</d:resourcetype><d:displayname>" + name +
                       "</d:displayname>";
    if (!privileges.empty())
        prop += "<d:current-user-privilege-set>" + privileges + "</d:current-user-privilege-set>";
    if (!owner.empty())
        prop += "<d:owner><d:href>" + owner + "</d:href></d:owner>";
    return "<d:response><d:href>" + href + "</d:href><d:propstat><d:prop>" + prop +
           "</d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>";
}

inline std::string Privilege(const std::string& name) {
    return "<d:privilege><d:" + name + "/></d:privilege>";
}

// A calendar-query entry.
inline std::string Event(const std::string& href, const std::string& etag, const std::string& data) {
    return "<d:response><d:href>" + href + "</d:href><d:propstat><d:prop><d:getetag>" + etag +
           "</d:getetag><cal:calendar-data>" + data +
           "</cal:calendar-data></d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>";
}

inline std::string Ics(const std::string& uid, const std::string& summary, const std::string& modified = "") {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:" + uid +
           "\r\nDTSTART:20300101T090000Z\r\nDTEND:20300101T100000Z\r\nSUMMARY:" + summary + "\r\n" +
           (modified.empty() ? "" : "LAST-MODIFIED:" + modified + "\r\n") + "END:VEVENT\r\nEND:VCALENDAR\r\n";
}

class FakeDav {
  public:
    void Answer(int status, const std::string& body = "") {
        server->answers.push_back(dav_test::FakeAnswer{S_OK, status, {}, body});
    }
    std::shared_ptr<dav_test::FakeServer> server = std::make_shared<dav_test::FakeServer>();
};

}  // namespace calendar_unit
