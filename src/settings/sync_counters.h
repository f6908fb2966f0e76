// What a run did to one calendar or address book, for the summary at its end.
#pragma once

#include <string>

struct SyncCounters {
    int created_in_outlook = 0;
    int changed_in_outlook = 0;
    int deleted_in_outlook = 0;
    int created_on_server = 0;
    int changed_on_server = 0;
    int deleted_on_server = 0;
    int conflicts = 0;  // changed on both sides; one side won
    int failures = 0;   // items tried again next run
};

// "<name>: Outlook 2 new, 1 changed, 0 deleted; server 0 new, 0 changed, 1 deleted; 1 conflict(s);
// 0 failed".
std::string FormatSummaryLine(const std::string& name, const SyncCounters& counters);
