// The one comparison of modification dates used by the contact strategies.
#pragma once

#include <string_view>

#include "index/index_record.h"
#include "platform/date_time.h"

namespace contacts {

// True when `a` is more than three seconds after `b` (the difference rounded half away from zero to
// whole seconds); differences of up to three seconds either way are not changes.
bool IsLater(const platform::DateTime& a, const platform::DateTime& b);

// Whether each side of a recorded pair changed since the record was written: by the ETag and
// LastModificationTime the record kept, by the dates against synchDate for a record that kept neither.
bool HasServerSideChanged(const IndexRecord& record, std::string_view etag,
                          const platform::DateTime& last_modified);
bool HasOutlookSideChanged(const IndexRecord& record, const platform::DateTime& last_modification_time);

}  // namespace contacts
