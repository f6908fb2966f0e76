#include "contacts/internal/sync_dates.h"

#include <cmath>
#include <cstdint>

namespace contacts {

bool IsLater(const platform::DateTime& a, const platform::DateTime& b) {
    constexpr double kHalfSecond = 0.5 / 86400.0;
    double days = a.value() - b.value();
    days += days >= 0 ? kHalfSecond : -kHalfSecond;
    const double seconds = std::trunc(days * 86400.0);
    // Dates far apart (a never-synchronized record) are plainly later or earlier.
    if (!std::isfinite(seconds))
        return days > 0;
    return seconds > 3.0;
}

}  // namespace contacts
