// One event pair during a run: the appointment, the server event (either may be missing) and the
// pair's index record, which the strategy rewrites.
#pragma once

#include <memory>
#include <string>

#include "ical/cal_dav_event.h"
#include "ical/outlook_event.h"
#include "platform/date_time.h"

struct EventSyncUnit {
    std::shared_ptr<COutlookEvent> outlookEvent;
    std::shared_ptr<CCalDavEvent> davEvent;
    std::string ServerId;
    std::string OutlookId;
    platform::DateTime synchDate = platform::DateTime::FromValue(0.0);
    // What the record kept of each side at the last sync: the server's ETag ("" when unknown) and the
    // appointment's LastModificationTime (Null when unknown).
    std::string recordedETag;
    platform::DateTime recordedOutlookModified = platform::DateTime::Null();
    // Paired by who the two sides are, the record having been lost: both sides count as changed unless
    // they are found equal.
    bool pairedByIdentity = false;
    // Set by a strategy whose write failed: the record on file stays as it was (or, for a new pair,
    // none is made), so that the next run compares, uploads or deletes again.
    bool keepRecord = false;
};
