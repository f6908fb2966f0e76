// velsync: the stand-in for Outlook. Each command is one file; this only dispatches.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "host/calendar_command.h"
#include "host/contacts_command.h"
#include "host/shell_commands.h"
#include "host/user_session.h"
#include "platform/apartment.h"
#include "platform/file_system.h"
#include "platform/paths.h"

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

void PrintHelp() {
    std::printf(
        "velsync: calendars and contacts of one user, kept in step with a DAV server.\n\nCommands:\n");
    for (const Command& command : kCommands) {
        std::printf("  velsync %-10s %s\n", command.name, command.summary);
    }
    std::printf(
        "\n'velsync COMMAND --help' describes each. The store is outlook.db in $VELSYNC_HOME\n"
        "(else ~/.config/velsync).\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "help") == 0) {
        PrintHelp();
        return argc < 2 ? kExitUsage : kExitOk;
    }
    const std::vector<std::string> args(argv + 2, argv + argc);
    // The add-in's files (logs, index) go below APPDATA, as on Windows.
    if (std::getenv("APPDATA") == nullptr) {
        setenv("APPDATA", platform::DefaultAppDataFolder().c_str(), 1);
    }
    // Windows always has the folder; the add-in creates only its own folders below it.
    CreateDirectories(std::getenv("APPDATA"));
    for (const Command& command : kCommands) {
        if (std::strcmp(argv[1], command.name) == 0) {
            // This thread is Outlook's user-interface thread: the add-ins live in its apartment.
            const HRESULT hr = platform::CoInitialize();
            const int status = command.run(args);
            if (SUCCEEDED(hr)) {
                platform::CoUninitialize();
            }
            return status;
        }
    }
    std::fprintf(stderr, "velsync: unknown command %s (see velsync --help)\n", argv[1]);
    return kExitUsage;
}
