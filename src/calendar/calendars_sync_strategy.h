// What is done with one event pair of a calendar pair, by the kind of the pair.
#pragma once

#include <memory>

#include "calendar/cal_dav_calendar.h"
#include "calendar/event_sync_unit.h"
#include "calendar/outlook_calendar.h"
#include "settings/sync_counters.h"

class ICalendarsSyncStrategy {
  public:
    virtual ~ICalendarsSyncStrategy() = default;
    virtual void Initialize(std::shared_ptr<COutlookCalendar> outlook_calendar,
                            std::shared_ptr<CCalDavCalendar> dav_calendar) = 0;
    // An appointment without server event and without record.
    virtual void OnNewInOutlook(EventSyncUnit& unit) = 0;
    // A server event without appointment and without record.
    virtual void OnNewOnServer(EventSyncUnit& unit) = 0;
    // A recorded pair whose appointment is gone.
    virtual void OnDeleteFromOutlook(EventSyncUnit& unit) = 0;
    // A recorded pair whose server event is gone.
    virtual void OnDeleteFromServer(EventSyncUnit& unit) = 0;
    // A recorded pair with both sides.
    virtual void OnSynchronize(EventSyncUnit& unit) = 0;
    // What the calls so far did (failures are the caller's to count).
    virtual const SyncCounters& Counters() const = 0;
};
