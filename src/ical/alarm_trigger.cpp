#include "ical/alarm_trigger.h"

#include <algorithm>

#include "ical/ical_date.h"
#include "ical/ical_duration.h"
#include "platform/text.h"

namespace ical {
namespace {

// Outlook keeps reminders as an int of minutes; two years is far beyond any real one.
constexpr std::int64_t kMaxMinutes = 2 * 366 * 1440;

int ClampMinutes(std::int64_t seconds_before_start) {
    return static_cast<int>(std::clamp<std::int64_t>(seconds_before_start / 60, 0, kMaxMinutes));
}

}  // namespace

std::optional<int> ReminderMinutesFromTrigger(const CICalLine& trigger, const platform::DateTime& start_utc,
                                              const platform::DateTime& end_utc) {
    if (platform::EqualsIgnoreAsciiCase(trigger.GetParameter("VALUE"), "DATE-TIME")) {
        const ParsedDateTime at = ParseDateTimeParts(platform::TrimWhitespace(trigger.Value()));
        if (!at.value.IsValid() || !at.has_time || !start_utc.IsValid())
            return std::nullopt;
        return ClampMinutes(platform::SecondsBetween(start_utc, at.value));
    }
    const std::optional<std::int64_t> offset = ParseDurationSeconds(trigger.Value());
    if (!offset)
        return std::nullopt;
    if (platform::EqualsIgnoreAsciiCase(trigger.GetParameter("RELATED"), "END")) {
        if (!start_utc.IsValid() || !end_utc.IsValid())
            return std::nullopt;
        return ClampMinutes(platform::SecondsBetween(start_utc, end_utc) - *offset);
    }
    return ClampMinutes(-*offset);
}

}  // namespace ical
