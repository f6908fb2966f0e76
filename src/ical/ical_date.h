// iCalendar DATE and DATE-TIME values to and from OLE dates.
#pragma once

#include <string>
#include <string_view>

#include "platform/date_time.h"

namespace ical {

// The numbers of a value "yyyymmdd" or "yyyymmddThhmmss" with an optional trailing Z; text after that
// is ignored. `value` is invalid when the digits are missing or name no real date or time.
struct ParsedDateTime {
    platform::DateTime value = platform::DateTime::Invalid();
    bool has_time = false;
    bool is_utc = false;
};
ParsedDateTime ParseDateTimeParts(std::string_view text);

// Conversion choices of ParseICalDate.
enum DateParseFlags : unsigned {
    kNoConversion = 0,
    // The numbers are UTC whatever the suffix (LAST-MODIFIED, RESPONDED-AT): the result is local time.
    kAlwaysUtc = 1,
    // Only a date-time with the Z suffix is UTC; dates and floating times stay as written.
    kTimedUtc = 2,
};

// The value as a local date-time (or the written numbers), invalid when it does not parse.
platform::DateTime ParseICalDate(std::string_view text, unsigned flags);

// "%Y%m%dT%H%M%SZ" of the value as it stands (no conversion); empty when invalid.
std::string FormatUtcDateTime(const platform::DateTime& value);
// "%Y%m%d" of the value; empty when invalid.
std::string FormatDate(const platform::DateTime& value);

// The date part (midnight) of a valid value.
platform::DateTime DateOnly(const platform::DateTime& value);

}  // namespace ical
