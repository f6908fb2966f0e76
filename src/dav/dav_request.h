// One DAV request as the synchronizers describe it.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct DavRequest {
    std::string method;  // "PROPFIND", "REPORT", "PUT", "DELETE", "MKCALENDAR"
    std::string url;     // a server path ("/alice/calendar/"), or empty for the server URL itself
    std::string body;    // UTF-8 text; may be empty
    std::vector<std::pair<std::string, std::string>> headers;  // extra headers, sent in this order
};
