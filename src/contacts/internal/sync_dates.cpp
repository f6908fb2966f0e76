#include "contacts/internal/sync_dates.h"

#include <cmath>
#include <cstdint>

#include "index/change_detection.h"

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

bool HasServerSideChanged(const IndexRecord& record, std::string_view etag,
                          const platform::DateTime& last_modified) {
    return HasServerChanged(record.serverETag, etag, IsLater(last_modified, record.synchDate));
}

bool HasOutlookSideChanged(const IndexRecord& record, const platform::DateTime& last_modification_time) {
    return HasOutlookChanged(record.outlookLastModified, last_modification_time,
                             IsLater(last_modification_time, record.synchDate));
}

}  // namespace contacts
