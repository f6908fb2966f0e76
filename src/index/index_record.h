// One pairing in an index file: the server-side key, the Outlook-side key, when it was last written, and
// what each side looked like then.
#pragma once

#include <string>

#include "platform/date_time.h"

struct IndexRecord {
    std::string ServerId;
    std::string OutlookId;
    platform::DateTime synchDate = platform::DateTime::FromValue(0.0);
    // The server's ETag when the pair was last synchronized; empty when unknown.
    std::string serverETag;
    // The Outlook item's LastModificationTime when the pair was last synchronized (whole seconds, UTC);
    // Null when unknown.
    platform::DateTime outlookLastModified = platform::DateTime::Null();

    // A record is found when either key is non-empty; the not-found record has neither.
    bool IsFound() const { return !ServerId.empty() || !OutlookId.empty(); }
};
