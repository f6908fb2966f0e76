// velsync: the stand-in for Outlook. Each command is one file; this only dispatches.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/calendar_command.h"
#include "host/contacts_command.h"
#include "host/shell_commands.h"
#include "host/user_session.h"
#include "platform/apartment.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "settings/log_to_stderr.h"

namespace {

struct Command {
    const char* name;
    const char* summary;
    int (*run)(const std::vector<std::string>& args);
};

const Command kCommands[] = {
    {"register", "register the add-in module (--user: for this user only)", RunRegisterCommand},
    {"unregister", "unregister the add-in module", RunUnregisterCommand},
    {"options", "the add-in's settings: server, account, what and how often", RunOptionsCommand},
    {"sync", "synchronize once now (the add-in's button) and report", RunSyncCommand},
    {"run", "a session: synchronize on the add-in's timer until stopped", RunSessionCommand},
    {"calendar", "appointments and calendar folders", RunCalendarCommand},
    {"contacts", "contacts, distribution lists and contact folders", RunContactsCommand},
};

void CreateDirectories(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        (void)platform::CreateOneDirectory(path.substr(0, slash));
    }
    (void)platform::CreateOneDirectory(path);
}

void PrintHelp(std::FILE* to) {
    std::fprintf(to,
                 "velsync: calendars and contacts of one user, kept in step with a DAV server.\n\n"
                 "Usage: velsync [-v] COMMAND [OPTIONS]\n\nCommands:\n");
    for (const Command& command : kCommands) {
        std::fprintf(to, "  velsync %-11s %s\n", command.name, command.summary);
    }
    std::fprintf(
        to,
        "\nOptions:\n"
        "  -v, --verbose  log this run (whatever 'velsync options --log' says) and copy the log to\n"
        "                 stderr\n"
        "  -h, --help     this text; 'velsync COMMAND --help' describes each command\n"
        "  --version      the version\n"
        "\nThe store is outlook.db in $VELSYNC_HOME (else ~/.config/velsync); logs, when on, lie in\n"
        "$APPDATA/Velmarquin/HarrowgateAddin/Logs (APPDATA: else ~/.local/share).\n");
}

// Sets the one-run log switch for a -v or --verbose; true when `word` was one.
bool TakeVerbose(const std::string& word) {
    if (word != "-v" && word != "--verbose") {
        return false;
    }
    setenv(kLogToStderrVariable, "1", 1);  // NOLINT(concurrency-mt-unsafe): no thread runs yet
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    // The store, the registry with the password, the index and the logs are the user's alone.
    umask(077);
    const std::vector<std::string> words(argv + 1, argv + argc);
    std::size_t at = 0;
    for (; at < words.size() && words[at].size() > 1 && words[at][0] == '-'; ++at) {
        const std::string& word = words[at];
        if (word == "-h" || word == "--help") {
            PrintHelp(stdout);
            return kExitOk;
        }
        if (word == "--version") {
            std::printf("velsync %s\n", VELSYNC_PROGRAM_VERSION);
            return kExitOk;
        }
        if (!TakeVerbose(word)) {
            std::fprintf(stderr, "velsync: unknown option %s (see velsync --help)\n", word.c_str());
            return kExitUsage;
        }
    }
    if (at == words.size()) {
        PrintHelp(stderr);
        return kExitUsage;
    }
    const std::string& name = words[at];
    if (name == "help") {
        PrintHelp(stdout);
        return kExitOk;
    }
    std::vector<std::string> args;
    for (std::size_t i = at + 1; i < words.size(); ++i) {
        // sync and run take no words of their own, so a -v among their options is the log switch.
        if ((name == "sync" || name == "run") && TakeVerbose(words[i])) {
            continue;
        }
        // -h right after the command (or its action) is --help.
        const bool help_place = i == at + 1 || (i == at + 2 && i + 1 == words.size());
        args.push_back(words[i] == "-h" && help_place ? "--help" : words[i]);
    }
    // The add-in's files (logs, index) go below APPDATA, as on Windows. No thread runs yet.
    if (std::getenv("APPDATA") == nullptr) {
        setenv("APPDATA", platform::DefaultAppDataFolder().c_str(), 1);  // NOLINT(concurrency-mt-unsafe)
    }
    // Windows always has the folder; the add-in creates only its own folders below it.
    CreateDirectories(std::getenv("APPDATA"));
    for (const Command& command : kCommands) {
        if (name == command.name) {
            // This thread is Outlook's user-interface thread: the add-ins live in its apartment.
            const HRESULT hr = platform::CoInitialize();
            const int status = command.run(args);
            if (SUCCEEDED(hr)) {
                platform::CoUninitialize();
            }
            return status;
        }
    }
    std::fprintf(stderr, "velsync: unknown command %s (see velsync --help)\n", name.c_str());
    return kExitUsage;
}
