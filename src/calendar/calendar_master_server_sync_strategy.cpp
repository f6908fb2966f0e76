#include "calendar/calendar_master_server_sync_strategy.h"

void CCalendarMasterServerSyncStrategy::OnNewInOutlook(EventSyncUnit& unit) {
    LogKeys(unit);
    if (DeleteAppointment(unit))
        ++m_counters.deleted_in_outlook;
}

void CCalendarMasterServerSyncStrategy::OnNewOnServer(EventSyncUnit& unit) {
    LogKeys(unit);
    CreateInOutlook(unit, true);
}

void CCalendarMasterServerSyncStrategy::OnDeleteFromOutlook(EventSyncUnit& unit) {
    LogKeys(unit);
}

void CCalendarMasterServerSyncStrategy::OnDeleteFromServer(EventSyncUnit& unit) {
    LogKeys(unit);
    if (DeleteAppointment(unit))
        ++m_counters.deleted_in_outlook;
    else
        unit.keepRecord = true;
}

void CCalendarMasterServerSyncStrategy::OnSynchronize(EventSyncUnit& unit) {
    LogKeys(unit);
    if (!HasServerSideChanged(unit) && !HasOutlookSideChanged(unit))
        return;
    if (!CopyServerToOutlook(unit)) {
        unit.keepRecord = true;
        return;
    }
    unit.synchDate = platform::DateTime::NowLocal();
    ++m_counters.changed_in_outlook;
}
