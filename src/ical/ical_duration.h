// RFC 5545 DURATION values.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace ical {

// Signed seconds of "[+|-]P[nW][nD][T[nH][nM][nS]]" (letters in any case, white space around it
// ignored). None when there is no number at all, a unit is unknown or repeated, or a number is absurdly
// long. Weeks and days together (P1W2D) are accepted, as most writers' readers do.
std::optional<std::int64_t> ParseDurationSeconds(std::string_view text);

}  // namespace ical
