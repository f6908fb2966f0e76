// Two-way synchronization of the event pairs of a calendar the user may write.
#pragma once

#include "calendar/calendar_sync_strategy_base.h"

class CCalendarBidirectionalSyncStrategy : public CCalendarSyncStrategyBase {
  public:
    using CCalendarSyncStrategyBase::CCalendarSyncStrategyBase;

    // Uploads the appointment to calendar href + GlobalAppointmentID + ".ics" (If-None-Match "*"). When
    // the server already has this event there (412, same UID), pairs with it and synchronizes the pair.
    void OnNewInOutlook(EventSyncUnit& unit) override;
    void OnNewOnServer(EventSyncUnit& unit) override;
    void OnDeleteFromOutlook(EventSyncUnit& unit) override;
    void OnDeleteFromServer(EventSyncUnit& unit) override;
    // Outlook to the server when Outlook's change is more than 3 seconds newer than the server's, else
    // the server to Outlook; nothing when neither changed since the last synchronization.
    void OnSynchronize(EventSyncUnit& unit) override;

  private:
    // Reads the server's event at the href of `refused`, the upload the server refused, into the unit
    // and synchronizes the new pair; false when it could not be read or has another UID.
    bool PairWithExisting(EventSyncUnit& unit, const CCalDavEvent& refused);
};
