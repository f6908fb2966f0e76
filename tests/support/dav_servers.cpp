#include "support/dav_servers.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace testing_support {

namespace {

// Runs a command line, returns its exit status and its output (stdout and stderr).
int RunCommand(const std::string& command, std::string* output) {
    output->clear();
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr)
        return -1;
    char buffer[4096];
    std::size_t read = 0;
    while ((read = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output->append(buffer, read);
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted.push_back(c);
    }
    return quoted + "'";
}

std::string ValueOfLine(const std::string& output, const std::string& key) {
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind(key + "=", 0) == 0)
            return line.substr(key.size() + 1);
    }
    return {};
}

}  // namespace

std::string DavServerKindName(DavServerKind kind) {
    switch (kind) {
        case DavServerKind::kRadicale:
            return "radicale";
        case DavServerKind::kApacheDigest:
            return "apache-digest";
        case DavServerKind::kXandikos:
            return "xandikos";
    }
    return "unknown";
}

void PrintTo(DavServerKind kind, std::ostream* out) {
    *out << DavServerKindName(kind);
}

std::string NameOfDavServerKind(const ::testing::TestParamInfo<DavServerKind>& info) {
    std::string name = DavServerKindName(info.param);
    for (char& c : name) {
        if (c == '-')
            c = '_';
    }
    return name;
}

bool AreServersRequired() {
    const char* value = std::getenv("VELSYNC_REQUIRE_SERVERS");
    return value != nullptr && std::string(value) == "1";
}

std::string SourceDir() {
    return VELSYNC_SOURCE_DIR;
}

std::string MakeTempFolder(const std::string& prefix) {
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/" + prefix + "-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr)
        return {};
    return pattern;
}

void RemoveTree(const std::string& path) {
    std::error_code ignored;
    if (!path.empty())
        std::filesystem::remove_all(path, ignored);
}

int UnusedLocalPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    close(fd);
    return port;
}

DavServerProcess::~DavServerProcess() {
    Stop();
}

bool DavServerProcess::Start(std::string* error) {
    m_state_dir = MakeTempFolder("velsync-" + DavServerKindName(m_kind));
    if (m_state_dir.empty()) {
        *error = "cannot make a state folder";
        return false;
    }
    std::string output;
    const std::string command = ShellQuote(SourceDir() + "/scripts/servers/start") + " " +
                                DavServerKindName(m_kind) + " " + ShellQuote(m_state_dir);
    const int status = RunCommand(command, &output);
    m_url = ValueOfLine(output, "url");
    m_access_log = ValueOfLine(output, "access_log");
    if (status != 0 || m_url.empty()) {
        *error = DavServerKindName(m_kind) + " did not start: " + output;
        Stop();
        return false;
    }
    return true;
}

void DavServerProcess::Stop() {
    if (m_state_dir.empty())
        return;
    std::string output;
    (void)RunCommand(ShellQuote(SourceDir() + "/scripts/servers/stop") + " " + ShellQuote(m_state_dir),
                     &output);
    RemoveTree(m_state_dir);
    m_state_dir.clear();
    m_url.clear();
}

std::map<DavServerKind, std::unique_ptr<DavServerProcess>>& DavServerTest::Running() {
    static std::map<DavServerKind, std::unique_ptr<DavServerProcess>> running;
    return running;
}

std::map<DavServerKind, std::string>& DavServerTest::Failures() {
    static std::map<DavServerKind, std::string> failures;
    return failures;
}

void DavServerTest::TearDownTestSuite() {
    Running().clear();
    Failures().clear();
}

void DavServerTest::SetUp() {
    const DavServerKind kind = GetParam();
    if (Running().count(kind) == 0 && Failures().count(kind) == 0) {
        auto process = std::make_unique<DavServerProcess>(kind);
        std::string error;
        if (process->Start(&error))
            Running()[kind] = std::move(process);
        else
            Failures()[kind] = error;
    }
    if (Failures().count(kind) != 0) {
        if (AreServersRequired())
            FAIL() << Failures()[kind];
        GTEST_SKIP() << Failures()[kind];
    }
}

const DavServerProcess& DavServerTest::server() const {
    return *Running().at(GetParam());
}

std::string DavServerTest::UniqueName(const std::string& prefix) {
    static std::atomic<int> counter{0};
    return prefix + "-" + std::to_string(getpid()) + "-" + std::to_string(++counter);
}

}  // namespace testing_support
