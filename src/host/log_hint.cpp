#include "host/log_hint.h"

#include "platform/file_system.h"
#include "settings/log.h"

std::string LogHint() {
    // A run writes "addin-<local time>.log", so the greatest such name is the newest run; "addin.log"
    // holds what happened outside runs.
    std::string newest_run;
    bool has_session_log = false;
    for (const std::string& name : platform::ListFiles(LogFolder())) {
        if (name == "addin.log") {
            has_session_log = true;
        } else if (name.rfind("addin-", 0) == 0 && name.size() > 4 &&
                   name.substr(name.size() - 4) == ".log" && name > newest_run) {
            newest_run = name;
        }
    }
    const std::string chosen = !newest_run.empty() ? newest_run : has_session_log ? "addin.log" : "";
    if (chosen.empty()) {
        return "No log was kept: 'velsync options --log on' keeps one, 'velsync -v sync' shows one run's.";
    }
    std::string folder = LogFolder();
    while (!folder.empty() && folder.back() == '/') {
        folder.pop_back();
    }
    return "Log: " + folder + "/" + chosen;
}
