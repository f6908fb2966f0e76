// The reminder of a VALARM TRIGGER in Outlook's terms: minutes before the start.
#pragma once

#include <optional>

#include "ical/ical_line.h"
#include "platform/date_time.h"

namespace ical {

// A duration trigger (-PT15M, -P1D, -P0DT0H10M0S; RELATED=END counts from the end) or, with
// VALUE=DATE-TIME, an absolute UTC time. A trigger after the start gives 0. None when the value is
// neither, or when an absolute or end-related trigger meets an invalid start or end. `start_utc` and
// `end_utc` are the event's times in UTC.
std::optional<int> ReminderMinutesFromTrigger(const CICalLine& trigger, const platform::DateTime& start_utc,
                                              const platform::DateTime& end_utc);

}  // namespace ical
