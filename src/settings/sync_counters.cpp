#include "settings/sync_counters.h"

std::string FormatSummaryLine(const std::string& name, const SyncCounters& counters) {
    const auto side = [](const char* label, int created, int changed, int deleted) {
        return std::string(label) + " " + std::to_string(created) + " new, " + std::to_string(changed) +
               " changed, " + std::to_string(deleted) + " deleted";
    };
    return name + ": " +
           side("Outlook", counters.created_in_outlook, counters.changed_in_outlook,
                counters.deleted_in_outlook) +
           "; " +
           side("server", counters.created_on_server, counters.changed_on_server,
                counters.deleted_on_server) +
           "; " + std::to_string(counters.conflicts) + " conflict(s); " + std::to_string(counters.failures) +
           " failed";
}
