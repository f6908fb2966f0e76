#include "platform/time_zones.h"

#include <unicode/basictz.h>
#include <unicode/strenum.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>
#include <unicode/vtzone.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>

namespace platform {
namespace {

constexpr double kMillisPerSecond = 1000.0;

std::string ToUtf8(const icu::UnicodeString& text) {
    std::string out;
    text.toUTF8String(out);
    return out;
}

// Null for an ID ICU does not know: createTimeZone answers unknown IDs with "Etc/Unknown" (GMT).
std::unique_ptr<icu::TimeZone> OpenZone(const std::string& iana_id) {
    if (iana_id.empty()) {
        return nullptr;
    }
    std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(iana_id)));
    if (zone == nullptr || *zone == icu::TimeZone::getUnknown()) {
        return nullptr;
    }
    return zone;
}

// Runs `use` on the zone, kept open for the process: opening one per conversion cost more than the
// conversion. Only zones ICU knows are kept (a few hundred at most). False for an unknown ID.
template <typename Use>
bool WithZone(const std::string& iana_id, Use use) {
    static std::mutex lock;
    static std::map<std::string, std::unique_ptr<icu::TimeZone>, std::less<>> open;
    std::lock_guard guard(lock);
    auto found = open.find(iana_id);
    if (found == open.end()) {
        std::unique_ptr<icu::TimeZone> zone = OpenZone(iana_id);
        if (zone == nullptr) {
            return false;
        }
        found = open.emplace(iana_id, std::move(zone)).first;
    }
    use(*found->second);
    return true;
}

std::vector<std::string> ReadWindowsZoneIds() {
    std::set<std::string> ids;
    UErrorCode status = U_ZERO_ERROR;
    // Every zone, not only locations: "UTC" and "Dateline Standard Time" have only Etc/ zones.
    std::unique_ptr<icu::StringEnumeration> zones(
        icu::TimeZone::createTimeZoneIDEnumeration(UCAL_ZONE_TYPE_ANY, nullptr, nullptr, status));
    if (U_FAILURE(status) || zones == nullptr) {
        return {};
    }
    const icu::UnicodeString* id = nullptr;
    while ((id = zones->snext(status)) != nullptr && U_SUCCESS(status)) {
        UErrorCode win_status = U_ZERO_ERROR;
        icu::UnicodeString windows_id;
        icu::TimeZone::getWindowsID(*id, windows_id, win_status);
        if (U_SUCCESS(win_status) && !windows_id.isEmpty()) {
            ids.insert(ToUtf8(windows_id));
        }
    }
    return {ids.begin(), ids.end()};
}

std::string ReadIanaFromWindowsId(const std::string& windows_id) {
    UErrorCode status = U_ZERO_ERROR;
    icu::UnicodeString iana;
    icu::TimeZone::getIDForWindowsID(icu::UnicodeString::fromUTF8(windows_id), nullptr, iana, status);
    if (U_FAILURE(status) || iana.isEmpty()) {
        return windows_id == "UTC" ? "Etc/UTC" : std::string();
    }
    return ToUtf8(iana);
}

}  // namespace

const std::vector<std::string>& WindowsZoneIds() {
    static const std::vector<std::string> kIds = ReadWindowsZoneIds();
    return kIds;
}

std::string IanaFromWindowsId(const std::string& windows_id) {
    if (windows_id.empty()) {
        return {};
    }
    // Asked for every zoned time converted and every TZID read; ICU opens its mapping table at every
    // call. TZIDs come from servers: a bounded number of unknown ones is remembered.
    constexpr std::size_t kMaxKnown = 1024;
    static std::mutex lock;
    static std::map<std::string, std::string, std::less<>> known;
    std::lock_guard guard(lock);
    const auto found = known.find(windows_id);
    if (found != known.end()) {
        return found->second;
    }
    std::string iana = ReadIanaFromWindowsId(windows_id);
    if (!iana.empty() || known.size() < kMaxKnown) {
        known.emplace(windows_id, iana);
    }
    return iana;
}

bool IsWindowsZoneId(const std::string& id) {
    return !IanaFromWindowsId(id).empty();
}

std::string WindowsIdFromIana(const std::string& iana_id) {
    if (iana_id.empty()) {
        return {};
    }
    // ICU searches its mapping table under a global lock at every call (every local time conversion
    // asks for the local zone's id); the answer for an id never changes, and there are a few hundred ids.
    static std::mutex lock;
    static std::map<std::string, std::string, std::less<>> known;
    std::lock_guard guard(lock);
    const auto found = known.find(iana_id);
    if (found != known.end()) {
        return found->second;
    }
    UErrorCode status = U_ZERO_ERROR;
    icu::UnicodeString windows_id;
    icu::TimeZone::getWindowsID(icu::UnicodeString::fromUTF8(iana_id), windows_id, status);
    std::string result = U_FAILURE(status) ? std::string() : ToUtf8(windows_id);
    known.emplace(iana_id, result);
    return result;
}

std::string HostIanaZone() {
    // Asked at every conversion to local time. ICU reads TZ, else the system's zone files, each time; the
    // answer is kept until TZ changes, as the C library keeps its own.
    static std::mutex lock;
    static std::optional<std::optional<std::string>> seen_tz;
    static std::string known;
    const char* tz = std::getenv("TZ");
    std::optional<std::string> current_tz = tz == nullptr ? std::nullopt : std::optional<std::string>(tz);
    std::lock_guard guard(lock);
    if (seen_tz.has_value() && *seen_tz == current_tz) {
        return known;
    }
    std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::detectHostTimeZone());
    icu::UnicodeString id;
    if (zone != nullptr) {
        zone->getID(id);
    }
    known = zone == nullptr ? "Etc/Unknown" : ToUtf8(id);
    seen_tz = std::move(current_tz);
    return known;
}

bool ZoneWallToUtc(const std::string& iana_id, const DateTime& wall, DateTime* utc) {
    if (!wall.IsValid()) {
        return false;
    }
    const double wall_millis = static_cast<double>(wall.ToUnixSeconds()) * kMillisPerSecond;
    int32_t raw = 0;
    int32_t dst = 0;
    UErrorCode status = U_ZERO_ERROR;
    const bool known = WithZone(iana_id, [&](const icu::TimeZone& zone) {
        const auto* basic = dynamic_cast<const icu::BasicTimeZone*>(&zone);
        if (basic != nullptr) {
            basic->getOffsetFromLocal(wall_millis, UCAL_TZ_LOCAL_FORMER, UCAL_TZ_LOCAL_FORMER, raw, dst,
                                      status);
        } else {
            zone.getOffset(wall_millis, true, raw, dst, status);
        }
    });
    if (!known || U_FAILURE(status)) {
        return false;
    }
    *utc = wall.AddSeconds(-static_cast<std::int64_t>(raw + dst) / 1000);
    return true;
}

bool ZoneUtcToWall(const std::string& iana_id, const DateTime& utc, DateTime* wall) {
    if (!utc.IsValid()) {
        return false;
    }
    int32_t raw = 0;
    int32_t dst = 0;
    UErrorCode status = U_ZERO_ERROR;
    const bool known = WithZone(iana_id, [&](const icu::TimeZone& zone) {
        zone.getOffset(static_cast<double>(utc.ToUnixSeconds()) * kMillisPerSecond, false, raw, dst, status);
    });
    if (!known || U_FAILURE(status)) {
        return false;
    }
    *wall = utc.AddSeconds(static_cast<std::int64_t>(raw + dst) / 1000);
    return true;
}

std::string ZoneVTimezone(const std::string& iana_id, const DateTime& from_utc) {
    if (OpenZone(iana_id) == nullptr || !from_utc.IsValid()) {
        return {};
    }
    std::unique_ptr<icu::VTimeZone> zone(
        icu::VTimeZone::createVTimeZoneByID(icu::UnicodeString::fromUTF8(iana_id)));
    if (zone == nullptr) {
        return {};
    }
    // ICU starts at the first change after the time it is given: a year earlier, the observance in
    // force at `from_utc` is in the text too.
    constexpr std::int64_t kYearSeconds = 366 * 86400;
    icu::UnicodeString text;
    UErrorCode status = U_ZERO_ERROR;
    zone->write(static_cast<double>(from_utc.ToUnixSeconds() - kYearSeconds) * kMillisPerSecond, text,
                status);
    if (U_FAILURE(status)) {
        return {};
    }
    // ICU's own marker and its placeholder names "(STD)" and "(DST)" say nothing to other readers.
    std::string kept;
    const std::string all = ToUtf8(text);
    for (std::size_t start = 0, end = 0; start < all.size(); start = end + 2) {
        end = all.find("\r\n", start);
        if (end == std::string::npos) {
            end = all.size();
        }
        const std::string line = all.substr(start, end - start);
        if (!line.empty() && line.rfind("X-TZINFO", 0) != 0 && line.rfind("TZNAME:(", 0) != 0) {
            kept += line + "\r\n";
        }
    }
    return kept;
}

std::string ZoneDisplayName(const std::string& iana_id) {
    std::unique_ptr<icu::TimeZone> zone = OpenZone(iana_id);
    if (zone == nullptr) {
        return iana_id;
    }
    const std::int32_t standard = zone->getRawOffset() / 60000;
    const int magnitude = std::abs(standard);
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "(UTC%c%02d:%02d) ", standard < 0 ? '-' : '+', magnitude / 60,
                  magnitude % 60);
    return prefix + iana_id;
}

}  // namespace platform
