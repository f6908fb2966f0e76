// Whether a side of a recorded pair changed since the pair was last synchronized. Each side is judged by
// what the record kept of it (the server's ETag, the Outlook item's LastModificationTime); a record that
// kept nothing yet (written before these were kept, or for a server that gave no ETag) falls back to the
// caller's comparison of modification dates against the record's synchDate.
#pragma once

#include <string_view>

#include "index/index_record.h"
#include "platform/date_time.h"

// A different ETag is a change whatever the modification dates say; the same one is no change.
bool HasServerChanged(std::string_view recorded_etag, std::string_view current_etag, bool later_by_date);

// Any difference in whole seconds is a change: there is no tolerance window. `last_modification_time` is
// local, `recorded` is what OutlookModificationToKeep made of it.
bool HasOutlookChanged(const platform::DateTime& recorded, const platform::DateTime& last_modification_time,
                       bool later_by_date);

// What a record keeps of an Outlook item's LastModificationTime (a local time): whole seconds in UTC, so
// that a machine moved to another zone does not take every item for changed. Null when unknown.
platform::DateTime OutlookModificationToKeep(const platform::DateTime& last_modification_time);

// True when `record` pairs an Outlook item with a server resource and the item's LastModificationTime
// (local) is the one the record kept: the item has not changed since the pair was last synchronized.
bool IsUnchangedSinceRecorded(const IndexRecord& record, const platform::DateTime& last_modification_time);

// True when `record` pairs a server resource with an Outlook item and kept `server_etag` (not empty): the
// resource has not changed since the pair was last synchronized.
bool IsServerUnchangedSinceRecorded(const IndexRecord& record, std::string_view server_etag);

// True when neither side of the pair changed since it was recorded, by the two checks above.
bool IsPairAsRecorded(const IndexRecord& record, std::string_view server_etag,
                      const platform::DateTime& last_modification_time);
