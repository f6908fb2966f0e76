#include "calendar/calendar_bidirectional_sync_strategy.h"

#include "dav/href_check.h"
#include "ical/event_merge.h"
#include "platform/text.h"
#include "settings/addin_exception.h"
#include "settings/conflict_copy.h"
#include "settings/log.h"

namespace {

constexpr const char* kDateFormat = "%m/%d/%Y %H:%M:%S";

}  // namespace

void CCalendarBidirectionalSyncStrategy::OnNewInOutlook(EventSyncUnit& unit) {
    LogKeys(unit);
    const std::string id = unit.outlookEvent->GetGlobalAppointmentID();
    auto event = m_dav_calendar->CreateEvent(id);
    if (id.empty() || !IsUsableHref(event->GetHref())) {
        Log("CCalendarBidirectionalSyncStrategy::OnNewInOutlook: No usable key for '%s'; not uploaded.",
            platform::SanitizeUtf8(unit.outlookEvent->GetSubject()).c_str());
        unit.keepRecord = true;
        return;
    }
    event->SetICal(unit.outlookEvent->ToICal(true, "", m_owner_address));
    const FailureKind failure = event->Save();
    if (failure == FailureKind::kConflict && PairWithExisting(unit, *event))
        return;
    if (failure != FailureKind::kNone) {
        // Unrecorded, the appointment counts as new again next run and is uploaded then.
        unit.keepRecord = true;
        return;
    }
    unit.davEvent = event;
    unit.OutlookId = id;
    unit.ServerId = event->GetHref();
    unit.synchDate = platform::DateTime::NowLocal();
    ++m_counters.created_on_server;
}

bool CCalendarBidirectionalSyncStrategy::PairWithExisting(EventSyncUnit& unit, const CCalDavEvent& refused) {
    const std::string& href = refused.GetHref();
    std::shared_ptr<CCalDavEvent> existing;
    try {
        existing = m_dav_calendar->LoadEvent(href);
    } catch (const CAddinException& error) {
        Log("CCalendarBidirectionalSyncStrategy::PairWithExisting: %s could not be read. Code: %u.",
            platform::SanitizeUtf8(href).c_str(), error.GetCode());
    }
    // Another client's event of the same name is not this appointment; it is never written over.
    if (!existing || existing->GetPropertyValue("UID") != refused.GetPropertyValue("UID"))
        return false;
    // The server already has this appointment (its record was lost): pair the two and compare them as
    // a pair changed on both sides, instead of failing this upload at every run.
    Log("CCalendarBidirectionalSyncStrategy::OnNewInOutlook: %s is already on the server; paired.",
        platform::SanitizeUtf8(href).c_str());
    unit.davEvent = existing;
    unit.OutlookId = unit.outlookEvent->GetGlobalAppointmentID();
    unit.ServerId = href;
    unit.synchDate = platform::DateTime::FromValue(0.0);
    unit.pairedByIdentity = true;
    OnSynchronize(unit);
    return true;
}

void CCalendarBidirectionalSyncStrategy::OnNewOnServer(EventSyncUnit& unit) {
    LogKeys(unit);
    CreateInOutlook(unit, false);
}

void CCalendarBidirectionalSyncStrategy::OnDeleteFromOutlook(EventSyncUnit& unit) {
    LogKeys(unit);
    if (unit.davEvent->Delete())
        ++m_counters.deleted_on_server;
    else
        unit.keepRecord = true;
}

void CCalendarBidirectionalSyncStrategy::OnDeleteFromServer(EventSyncUnit& unit) {
    LogKeys(unit);
    if (DeleteAppointment(unit))
        ++m_counters.deleted_in_outlook;
    else
        unit.keepRecord = true;
}

void CCalendarBidirectionalSyncStrategy::OnSynchronize(EventSyncUnit& unit) {
    LogKeys(unit);
    const platform::DateTime synch_date = unit.synchDate;
    const platform::DateTime dav_date = unit.davEvent->GetLastModified();
    const platform::DateTime outlook_date = OutlookDateOf(unit);
    const std::string name = platform::SanitizeUtf8(unit.outlookEvent->GetSubject());
    Log("OnSynchronize name = %s synchDate = %s davDate = %s outlookDate = %s", name.c_str(),
        synch_date.Format(kDateFormat).c_str(), dav_date.Format(kDateFormat).c_str(),
        outlook_date.Format(kDateFormat).c_str());
    if (unit.pairedByIdentity && IsAsOnServer(unit)) {
        Log("OnSynchronize name = %s paired again, equal on both sides", name.c_str());
        return;
    }
    const bool server_changed = HasServerSideChanged(unit);
    const bool outlook_changed = HasOutlookSideChanged(unit);
    if (!server_changed && !outlook_changed) {
        Log("OnSynchronize name = %s NO SYNC", name.c_str());
        return;
    }
    // A change on one side only goes to the other whatever the dates say; when both changed, the later
    // modification wins.
    bool copied = false;
    const bool outlook_wins = outlook_changed && (!server_changed || IsLater(outlook_date, dav_date));
    if (server_changed && outlook_changed) {
        ++m_counters.conflicts;
        if (outlook_wins) {
            const std::string kept = KeepConflictCopy(unit.davEvent->GetHref(), unit.davEvent->GetICal());
            Log("OnSynchronize name = %s CONFLICT: changed on both sides, Outlook's copy wins; the server's "
                "copy is kept in %s",
                name.c_str(), kept.empty() ? "(nowhere: it could not be written)" : kept.c_str());
        } else {
            Log("OnSynchronize name = %s CONFLICT: changed on both sides, the server's copy wins",
                name.c_str());
        }
    }
    if (outlook_wins) {
        Log("OnSynchronize name = %s OL->S", name.c_str());
        // The server's UID stays, whatever the appointment's own, and so does what the writer does not own.
        const std::string written =
            unit.outlookEvent->ToICal(true, unit.davEvent->GetPropertyValue("UID"), m_owner_address);
        unit.davEvent->SetICal(ical::MergeWrittenEvent(unit.davEvent->GetICal(), written));
        copied = unit.davEvent->Save() == FailureKind::kNone;
    } else {
        Log("OnSynchronize name = %s S->OL", name.c_str());
        copied = CopyServerToOutlook(unit);
    }
    if (!copied) {
        unit.keepRecord = true;
        return;
    }
    unit.synchDate = platform::DateTime::NowLocal();
    ++(outlook_wins ? m_counters.changed_on_server : m_counters.changed_in_outlook);
}
