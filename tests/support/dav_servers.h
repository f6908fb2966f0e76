// Real DAV servers for tests, started by the repository's scripts (scripts/servers/start) on 127.0.0.1
// with a free port and stopped again by scripts/servers/stop. The account is alice/secret; bob/secret2
// shares a read-only calendar and address book with her.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <ostream>
#include <string>

namespace testing_support {

enum class DavServerKind { kRadicale, kApacheDigest, kXandikos };

inline constexpr const char* kDavUser = "alice";
inline constexpr const char* kDavPassword = "secret";

// "radicale", "apache-digest", "xandikos": the scripts' names, and gtest parameter names.
std::string DavServerKindName(DavServerKind kind);
void PrintTo(DavServerKind kind, std::ostream* out);
// For INSTANTIATE_TEST_SUITE_P(..., NameOfDavServerKind).
std::string NameOfDavServerKind(const ::testing::TestParamInfo<DavServerKind>& info);

// VELSYNC_REQUIRE_SERVERS=1 (CI): a server that cannot start fails the test instead of skipping it.
bool AreServersRequired();

// The repository's root folder (scripts, test data).
std::string SourceDir();

// A fresh folder under the temporary folder; removed by RemoveTree.
std::string MakeTempFolder(const std::string& prefix);
void RemoveTree(const std::string& path);

// A port on 127.0.0.1 that nothing listens on right now.
int UnusedLocalPort();

class DavServerProcess {
  public:
    explicit DavServerProcess(DavServerKind kind) : m_kind(kind) {}
    ~DavServerProcess();
    DavServerProcess(const DavServerProcess&) = delete;
    DavServerProcess& operator=(const DavServerProcess&) = delete;

    // Runs the start script; false with the script's output in `error` when the server did not come up.
    bool Start(std::string* error);
    // Runs the stop script and removes the state folder.
    void Stop();

    DavServerKind kind() const { return m_kind; }
    // "http://127.0.0.1:PORT/"
    const std::string& url() const { return m_url; }
    const std::string& state_dir() const { return m_state_dir; }
    // Apache's access log (client port per line), empty for the other kinds.
    const std::string& access_log() const { return m_access_log; }

  private:
    DavServerKind m_kind;
    std::string m_state_dir;
    std::string m_url;
    std::string m_access_log;
};

// Parameterised over the server kinds. The server of a kind starts with the suite's first test of that
// kind and stops in TearDownTestSuite. A server that cannot start skips the tests (fails them in CI).
class DavServerTest : public ::testing::TestWithParam<DavServerKind> {
  public:
    static void TearDownTestSuite();

  protected:
    void SetUp() override;
    const DavServerProcess& server() const;
    // A name no other test of this process uses, for a fresh collection: prefix + "-" + number.
    static std::string UniqueName(const std::string& prefix);

  private:
    static std::map<DavServerKind, std::unique_ptr<DavServerProcess>>& Running();
    static std::map<DavServerKind, std::string>& Failures();
};

}  // namespace testing_support
