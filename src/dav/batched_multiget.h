// Reading the objects of a collection by href in multiget REPORTs, so that one object the server or the
// XML parser cannot handle costs only itself.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "dav/xml_helpers.h"

class CDavServer;
class CAddinException;

// Whether a failed listing may still be read object by object: its answer did not parse (`error` null),
// or the server failed with a 5xx status (one object it cannot serialize). Any other failure (401, 403,
// 404, no answer) is the collection's.
bool CanReadOneByOne(const CAddinException* error);

// A multiget REPORT on `collection_href` for `hrefs`, 50 at a time, each body being `head`,
// one D:href per object, then `tail`. `read` gets every href with its response (null when the answer
// holds none) and returns false when it cannot use it. A batch that CanReadOneByOne is asked again in
// halves, down to single objects. Returns the hrefs that could not be read, in their order.
// Throws: the other CAddinExceptions of CDavServer.
std::vector<std::string> BatchedMultiget(
    CDavServer* server, const std::string& collection_href, std::string_view head, std::string_view tail,
    const std::vector<std::string>& hrefs,
    const std::function<bool(const std::string&, const XmlNodePtr&)>& read);
