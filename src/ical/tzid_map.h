// tzids.csv: iCalendar TZIDs (IANA names and the Windows-style names servers send) to Outlook zone IDs.
// UTF-8 lines of at least four comma-separated columns; column 1 is the TZID, column 3 the Outlook ID,
// double quotes in both are removed. The first matching line wins.
#pragma once

#include <string>
#include <string_view>

// The Outlook zone ID for `tzid` from the tzids.csv that lies beside the module; "" when the file or the
// line is missing. The file is looked at on the first call and on the first after RecheckTzidMap.
std::string MapTzid(std::string_view tzid);

// The next MapTzid reads the module's tzids.csv again when its size or time changed. Called as each
// calendar's synchronization begins, so that an edited file is picked up by the next run.
void RecheckTzidMap();

// The same lookup in the file at `path`. The file is read again whenever its size or time changes.
std::string MapTzidInFile(const std::string& path, std::string_view tzid);
