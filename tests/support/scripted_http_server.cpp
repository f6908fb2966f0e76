#include "support/scripted_http_server.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "support/dav_servers.h"

extern char** environ;

namespace testing_support {

namespace {

std::string ReadSmallFile(const std::string& path) {
    std::ifstream file(path);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

}  // namespace

ScriptedHttpServer::~ScriptedHttpServer() {
    Stop();
}

bool ScriptedHttpServer::Start(const std::string& scenario, std::string* error) {
    return StartProcess(scenario, false, error);
}

bool ScriptedHttpServer::StartTls(const std::string& scenario, std::string* error) {
    return StartProcess(scenario, true, error);
}

bool ScriptedHttpServer::StartProcess(const std::string& scenario, bool tls, std::string* error) {
    Stop();
    m_tls = tls;
    m_state_dir = MakeTempFolder("velsync-scripted");
    if (m_state_dir.empty()) {
        *error = "cannot make a state folder";
        return false;
    }
    const std::string command =
        "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=127.0.0.1 "
        "-addext subjectAltName=IP:127.0.0.1 -keyout '" +
        m_state_dir + "/key.pem' -out '" + m_state_dir + "/cert.pem' >/dev/null 2>&1";
    if (m_tls && std::system(command.c_str()) != 0) {
        *error = "openssl cannot make a certificate";
        return false;
    }
    const std::string path =
        scenario.find('/') == std::string::npos ? SourceDir() + "/tests/data/dav/" + scenario : scenario;
    m_port = 0;
    const std::string script = SourceDir() + "/scripts/servers/scripted-server.py";
    std::vector<std::string> arguments = {"/usr/bin/python3", script,     "--scenario", path,
                                          "--state",          m_state_dir};
    if (m_tls)
        arguments.insert(arguments.end(),
                         {"--tls-cert", certificate_path(), "--tls-key", m_state_dir + "/key.pem"});
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    if (posix_spawn(&m_pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        m_pid = -1;
        *error = "cannot run " + script;
        return false;
    }
    for (int i = 0; i < 100 && m_port == 0; ++i) {
        const std::string port = ReadSmallFile(m_state_dir + "/port");
        if (!port.empty())
            m_port = std::stoi(port);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (m_port == 0) {
        *error = "the scripted server did not start";
        Stop();
        return false;
    }
    return true;
}

void ScriptedHttpServer::Stop() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
    }
    RemoveTree(m_state_dir);
    m_state_dir.clear();
    m_port = 0;
}

std::string ScriptedHttpServer::Result() const {
    std::string result;
    for (int i = 0; i < 50; ++i) {
        result = ReadSmallFile(m_state_dir + "/result");
        if (result == "done" || result.rfind("mismatch", 0) == 0)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return result;
}

}  // namespace testing_support
