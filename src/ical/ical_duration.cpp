#include "ical/ical_duration.h"

#include <string>

#include "platform/text.h"

namespace ical {
namespace {

// Nine digits hold more than thirty years in seconds; longer numbers are garbage, not durations.
constexpr std::size_t kMaxDigits = 9;

}  // namespace

std::optional<std::int64_t> ParseDurationSeconds(std::string_view text) {
    const std::string value = platform::AsciiLower(platform::TrimWhitespace(text));
    std::size_t pos = 0;
    std::int64_t sign = 1;
    if (pos < value.size() && (value[pos] == '+' || value[pos] == '-')) {
        sign = value[pos] == '-' ? -1 : 1;
        ++pos;
    }
    if (pos == value.size() || value[pos] != 'p')
        return std::nullopt;
    ++pos;
    // Units in the order they may appear; each at most once.
    static constexpr std::string_view kDateUnits = "wd";
    static constexpr std::string_view kTimeUnits = "hms";
    bool in_time = false;
    std::size_t next_unit = 0;
    bool any_number = false;
    std::int64_t seconds = 0;
    while (pos < value.size()) {
        if (value[pos] == 't' && !in_time) {
            in_time = true;
            next_unit = 0;
            ++pos;
            continue;
        }
        std::int64_t number = 0;
        std::size_t digits = 0;
        while (pos < value.size() && value[pos] >= '0' && value[pos] <= '9') {
            if (++digits > kMaxDigits)
                return std::nullopt;
            number = number * 10 + (value[pos] - '0');
            ++pos;
        }
        if (digits == 0 || pos == value.size())
            return std::nullopt;
        const std::string_view units = in_time ? kTimeUnits : kDateUnits;
        const std::size_t unit = units.find(value[pos], next_unit);
        if (unit == std::string_view::npos)
            return std::nullopt;
        static constexpr std::int64_t kDateFactors[] = {604800, 86400};
        static constexpr std::int64_t kTimeFactors[] = {3600, 60, 1};
        seconds += number * (in_time ? kTimeFactors[unit] : kDateFactors[unit]);
        next_unit = unit + 1;
        any_number = true;
        ++pos;
    }
    if (!any_number)
        return std::nullopt;
    return sign * seconds;
}

}  // namespace ical
