// The scripted HTTP server (scripts/servers/scripted-server.py) for statuses and faults real servers do
// not produce on demand. Scenarios live in tests/data/dav/.
#pragma once

#include <sys/types.h>

#include <string>

namespace testing_support {

class ScriptedHttpServer {
  public:
    ScriptedHttpServer() = default;
    ~ScriptedHttpServer();
    ScriptedHttpServer(const ScriptedHttpServer&) = delete;
    ScriptedHttpServer& operator=(const ScriptedHttpServer&) = delete;

    // Starts the server on the scenario file (a name in tests/data/dav/ or a path); waits at most 10 s
    // for its port. False with the reason in `error`.
    bool Start(const std::string& scenario, std::string* error);
    // The same over TLS with a fresh self-signed certificate for 127.0.0.1 (made with openssl).
    bool StartTls(const std::string& scenario, std::string* error);
    // Ends the server and removes its state folder.
    void Stop();

    // "http://127.0.0.1:PORT" (https for TLS)
    std::string url() const {
        return (m_tls ? "https" : "http") + std::string("://127.0.0.1:") + std::to_string(m_port);
    }
    // The certificate of a TLS server (PEM), for a test that trusts it.
    std::string certificate_path() const { return m_state_dir + "/cert.pem"; }

    // "done" once every exchange of the scenario happened as scripted, "pending N" or "mismatch: ..."
    // otherwise. Waits at most 5 s for "done".
    std::string Result() const;

  private:
    bool StartProcess(const std::string& scenario, bool tls, std::string* error);

    pid_t m_pid = -1;
    int m_port = 0;
    bool m_tls = false;
    std::string m_state_dir;
};

}  // namespace testing_support
