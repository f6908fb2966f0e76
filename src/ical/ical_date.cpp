#include "ical/ical_date.h"

namespace ical {
namespace {

// Reads exactly `count` decimal digits at `pos`.
bool ReadDigits(std::string_view text, std::size_t pos, std::size_t count, int* number) {
    if (pos + count > text.size())
        return false;
    int result = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        result = result * 10 + (text[i] - '0');
    }
    *number = result;
    return true;
}

}  // namespace

ParsedDateTime ParseDateTimeParts(std::string_view text) {
    ParsedDateTime parsed;
    int year = 0;
    int month = 0;
    int day = 0;
    if (!ReadDigits(text, 0, 4, &year) || !ReadDigits(text, 4, 2, &month) || !ReadDigits(text, 6, 2, &day))
        return parsed;
    int hour = 0;
    int minute = 0;
    int second = 0;
    if (text.size() > 8 && (text[8] == 'T' || text[8] == 't')) {
        if (!ReadDigits(text, 9, 2, &hour) || !ReadDigits(text, 11, 2, &minute) ||
            !ReadDigits(text, 13, 2, &second))
            return parsed;
        parsed.has_time = true;
        parsed.is_utc = text.size() > 15 && (text[15] == 'Z' || text[15] == 'z');
    }
    // A leap second (60) is read as the last second of its minute.
    if (second == 60)
        second = 59;
    parsed.value = platform::DateTime::FromParts(year, month, day, hour, minute, second);
    return parsed;
}

platform::DateTime ParseICalDate(std::string_view text, unsigned flags) {
    const ParsedDateTime parsed = ParseDateTimeParts(text);
    if (!parsed.value.IsValid())
        return parsed.value;
    const bool utc =
        (flags & kAlwaysUtc) != 0 || ((flags & kTimedUtc) != 0 && parsed.has_time && parsed.is_utc);
    return utc ? parsed.value.UtcToLocal() : parsed.value;
}

std::string FormatUtcDateTime(const platform::DateTime& value) {
    return value.Format("%Y%m%dT%H%M%SZ");
}

std::string FormatDate(const platform::DateTime& value) {
    return value.Format("%Y%m%d");
}

platform::DateTime DateOnly(const platform::DateTime& value) {
    platform::DateParts parts;
    if (!value.ToParts(&parts))
        return value;
    return platform::DateTime::FromParts(parts.year, parts.month, parts.day);
}

}  // namespace ical
