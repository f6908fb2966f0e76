// Named time zones: Windows zone IDs ("W. Europe Standard Time") mapped to IANA zones through ICU's
// table, and conversions between a zone's wall-clock time and UTC. Local time (the process TZ) stays
// with DateTime::LocalToUtc / UtcToLocal.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/date_time.h"

namespace platform {

// Every Windows zone ID ICU maps, sorted (std::string order), without duplicates. Built once per process:
// asking ICU for every zone's Windows ID costs milliseconds. Ownership: the list lives until exit.
const std::vector<std::string>& WindowsZoneIds();

// The IANA zone ICU uses for a Windows ID (its "001" region entry), or "" when the ID is unknown.
std::string IanaFromWindowsId(const std::string& windows_id);

// Whether `id` is one of WindowsZoneIds(), without building that list (exact, case-sensitive).
bool IsWindowsZoneId(const std::string& id);

// The Windows ID of an IANA zone (aliases allowed), or "" when ICU maps it to none.
std::string WindowsIdFromIana(const std::string& iana_id);

// The IANA ID of the process's zone (TZ, else the system's), "Etc/Unknown" when ICU cannot tell.
std::string HostIanaZone();

// Wall-clock time of `iana_id` to UTC. A time in a spring-forward gap is taken with the offset before
// the change, a repeated time as the first of the two. False (out untouched) for an unknown zone or an
// invalid date.
bool ZoneWallToUtc(const std::string& iana_id, const DateTime& wall, DateTime* utc);
// UTC to wall-clock time of `iana_id`. False for an unknown zone or an invalid date.
bool ZoneUtcToWall(const std::string& iana_id, const DateTime& utc, DateTime* wall);

// The zone's rules as an iCalendar VTIMEZONE component (CR LF lines, TZID the IANA ID) for the times from
// `from_utc` on. Empty for an unknown zone or an invalid date.
std::string ZoneVTimezone(const std::string& iana_id, const DateTime& from_utc);

// A display name "(UTC+01:00) Europe/Berlin" built from the standard offset and the IANA ID.
std::string ZoneDisplayName(const std::string& iana_id);

}  // namespace platform
