// One-way synchronization of a calendar that is read-only for the user: the server's state wins.
#pragma once

#include "calendar/calendar_sync_strategy_base.h"

class CCalendarMasterServerSyncStrategy : public CCalendarSyncStrategyBase {
  public:
    using CCalendarSyncStrategyBase::CCalendarSyncStrategyBase;

    // The appointment the user added is deleted.
    void OnNewInOutlook(EventSyncUnit& unit) override;
    // The new appointment is marked "AllowCreate" for the read-only guards.
    void OnNewOnServer(EventSyncUnit& unit) override;
    // Nothing: the record is dropped and the event comes back next run.
    void OnDeleteFromOutlook(EventSyncUnit& unit) override;
    void OnDeleteFromServer(EventSyncUnit& unit) override;
    // The server's version replaces the appointment when either side changed.
    void OnSynchronize(EventSyncUnit& unit) override;
};
