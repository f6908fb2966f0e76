// Two-way synchronization of the event pairs of a calendar the user may write.
#pragma once

#include <string>

#include "calendar/calendar_sync_strategy_base.h"

class CCalendarBidirectionalSyncStrategy : public CCalendarSyncStrategyBase {
  public:
    using CCalendarSyncStrategyBase::CCalendarSyncStrategyBase;

    // Uploads the appointment to calendar href + GlobalAppointmentID + ".ics" (If-None-Match "*"). When
    // the server already has an event there (412), pairs with it and synchronizes the pair at once.
    void OnNewInOutlook(EventSyncUnit& unit) override;
    void OnNewOnServer(EventSyncUnit& unit) override;
    void OnDeleteFromOutlook(EventSyncUnit& unit) override;
    void OnDeleteFromServer(EventSyncUnit& unit) override;
    // Outlook to the server when Outlook's change is more than 3 seconds newer than the server's, else
    // the server to Outlook; nothing when neither changed since the last synchronization.
    void OnSynchronize(EventSyncUnit& unit) override;

  private:
    // Reads the server's event at `href` into the unit and synchronizes the new pair; false when it
    // could not be read.
    bool PairWithExisting(EventSyncUnit& unit, const std::string& href);
};
