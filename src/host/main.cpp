// velsync: the stand-in for Outlook. Each command is one file; this only dispatches.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "host/calendar_command.h"
#include "host/contacts_command.h"
#include "host/user_session.h"

namespace {

struct Command {
    const char* name;
    const char* summary;
    int (*run)(const std::vector<std::string>& args);
};

const Command kCommands[] = {
    {"calendar", "appointments and calendar folders", RunCalendarCommand},
    {"contacts", "contacts, distribution lists and contact folders", RunContactsCommand},
};

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
    for (const Command& command : kCommands) {
        if (std::strcmp(argv[1], command.name) == 0) {
            return command.run(args);
        }
    }
    std::fprintf(stderr, "velsync: unknown command %s (see velsync --help)\n", argv[1]);
    return kExitUsage;
}
