// 200 sequential PROPFINDs, each through a fresh CDavServer request as a sync run makes them, against the
// Apache Digest front (keeps connections alive) and, for comparison, Radicale itself (HTTP/1.0, closes
// every connection). Prints requests per second and the TCP connections opened, counted by the client
// and, for Apache, by the server's log (one client port per connection).
//
//   propfind_keepalive_bench [COUNT]
#include <chrono>
#include <cstdio>
#include <fstream>
#include <set>
#include <string>

#include "dav/dav_server.h"
#include "platform/http_request.h"
#include "settings/addin_exception.h"
#include "support/dav_servers.h"

namespace {

constexpr const char* kBody =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?><D:propfind xmlns:D=\"DAV:\"><D:prop><D:getetag/>"
    "<D:resourcetype/></D:prop></D:propfind>";

// Distinct client ports of the PROPFIND lines in the access log ("%h %{remote}p %k \"%r\" %>s"); the
// start script's readiness probe is a GET.
std::size_t ConnectionsInLog(const std::string& path) {
    std::ifstream log(path);
    std::set<std::string> ports;
    std::string host, port, rest;
    while (log >> host >> port && std::getline(log, rest)) {
        if (rest.find("\"PROPFIND ") != std::string::npos)
            ports.insert(port);
    }
    return ports.size();
}

bool Run(testing_support::DavServerKind kind, int count) {
    testing_support::DavServerProcess server(kind);
    std::string error;
    if (!server.Start(&error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    CDavServer dav(server.url(), testing_support::kDavUser, testing_support::kDavPassword);
    const long connections_before = platform::HttpConnectionsOpened();
    const auto started = std::chrono::steady_clock::now();
    try {
        for (int i = 0; i < count; ++i)
            (void)dav.ProcessRequest(DavRequest{"PROPFIND", "/alice/", kBody, {{"Depth", "0"}}});
    } catch (CAddinException& failure) {
        std::fprintf(stderr, "request failed: %u %s\n", failure.GetCode(), failure.GetMessage().c_str());
        return false;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const long connections = platform::HttpConnectionsOpened() - connections_before;
    std::printf("%-14s %d PROPFINDs in %.3f s: %.1f requests/s, TCP connections opened: %ld (client)",
                testing_support::DavServerKindName(kind).c_str(), count, seconds, count / seconds,
                connections);
    if (!server.access_log().empty())
        std::printf(", %zu (server log)", ConnectionsInLog(server.access_log()));
    std::printf("\n");
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::stoi(argv[1]) : 200;
    bool ok = Run(testing_support::DavServerKind::kApacheDigest, count);
    ok = Run(testing_support::DavServerKind::kRadicale, count) && ok;
    return ok ? 0 : 1;
}
