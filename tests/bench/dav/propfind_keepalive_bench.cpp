// COUNT sequential PROPFINDs through one CDavServer, as a sync run makes them, against the Apache Digest
// front (keeps connections alive) and Radicale (HTTP/1.0, closes every connection). Prints requests per
// second and the TCP connections the client opened.
//
//   propfind_keepalive_bench [COUNT]
#include <chrono>
#include <cstdio>
#include <string>

#include "dav/dav_server.h"
#include "platform/http_request.h"
#include "settings/addin_exception.h"
#include "support/dav_servers.h"

namespace {

bool Run(testing_support::DavServerKind kind, int count) {
    testing_support::DavServerProcess server(kind);
    std::string error;
    if (!server.Start(&error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    CDavServer dav(server.url(), testing_support::kDavUser, testing_support::kDavPassword);
    const long before = platform::HttpConnectionsOpened();
    const auto started = std::chrono::steady_clock::now();
    try {
        for (int i = 0; i < count; ++i)
            (void)dav.ProcessRequest(DavRequest{"PROPFIND",
                                                "/alice/",
                                                "<?xml version=\"1.0\"?><D:propfind "
                                                "xmlns:D=\"DAV:\"><D:prop><D:getetag/></D:prop></D:propfind>",
                                                {{"Depth", "0"}}});
    } catch (CAddinException& failure) {
        std::fprintf(stderr, "request failed: %u %s\n", failure.GetCode(), failure.GetMessage().c_str());
        return false;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("%-14s %d PROPFINDs in %.3f s: %.1f requests/s, TCP connections opened: %ld\n",
                testing_support::DavServerKindName(kind).c_str(), count, seconds, count / seconds,
                platform::HttpConnectionsOpened() - before);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::stoi(argv[1]) : 200;
    bool ok = Run(testing_support::DavServerKind::kApacheDigest, count);
    ok = Run(testing_support::DavServerKind::kRadicale, count) && ok;
    return ok ? 0 : 1;
}
