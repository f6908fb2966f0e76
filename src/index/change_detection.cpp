#include "index/change_detection.h"

#include "index/sync_index.h"

bool HasServerChanged(std::string_view recorded_etag, std::string_view current_etag, bool later_by_date) {
    if (recorded_etag.empty() || current_etag.empty())
        return later_by_date;
    return recorded_etag != current_etag;
}

bool HasOutlookChanged(const platform::DateTime& recorded, const platform::DateTime& last_modification_time,
                       bool later_by_date) {
    if (!recorded.IsValid() || !last_modification_time.IsValid())
        return later_by_date;
    // Compared as the index writes them, so a value read back from the file equals the one it came from.
    return SyncIndex::FormatDate(recorded) != SyncIndex::FormatDate(last_modification_time.LocalToUtc());
}

platform::DateTime OutlookModificationToKeep(const platform::DateTime& last_modification_time) {
    if (!last_modification_time.IsValid())
        return platform::DateTime::Null();
    return SyncIndex::ParseDate(SyncIndex::FormatDate(last_modification_time.LocalToUtc()));
}

bool IsUnchangedSinceRecorded(const IndexRecord& record, const platform::DateTime& last_modification_time) {
    return record.IsFound() && !record.ServerId.empty() && record.outlookLastModified.IsValid() &&
           !HasOutlookChanged(record.outlookLastModified, last_modification_time, true);
}

bool IsServerUnchangedSinceRecorded(const IndexRecord& record, std::string_view server_etag) {
    return !record.OutlookId.empty() && !server_etag.empty() && record.serverETag == server_etag;
}

bool IsPairAsRecorded(const IndexRecord& record, std::string_view server_etag,
                      const platform::DateTime& last_modification_time) {
    return IsServerUnchangedSinceRecorded(record, server_etag) &&
           IsUnchangedSinceRecorded(record, last_modification_time);
}
