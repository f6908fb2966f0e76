// One pairing in an index file: the server-side key, the Outlook-side key, and when it was last written.
#pragma once

#include <string>

#include "platform/date_time.h"

struct IndexRecord {
    std::string ServerId;
    std::string OutlookId;
    platform::DateTime synchDate = platform::DateTime::FromValue(0.0);

    // A record is found when either key is non-empty; the not-found record has neither.
    bool IsFound() const { return !ServerId.empty() || !OutlookId.empty(); }
};
