#include "calendar/calendar_bidirectional_sync_strategy.h"

#include <cctype>

#include "dav/href_check.h"
#include "ical/event_merge.h"
#include "platform/file_system.h"
#include "platform/text.h"
#include "settings/log.h"

namespace {

constexpr const char* kDateFormat = "%m/%d/%Y %H:%M:%S";

// The server's text of an event that lost to Outlook's copy, kept under the log folder so it can be
// restored by hand: "Conflicts/<time>-<resource name>". The path, or "" when it could not be written.
std::string KeepLosingServerText(const CCalDavEvent& event) {
    const std::string folder = LogFolder() + "/Conflicts";
    if (!platform::PathExists(folder))
        (void)platform::CreateOneDirectory(folder);
    std::string name = event.GetHref().substr(event.GetHref().rfind('/') + 1);
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != '_')
            c = '_';
    }
    const std::string path =
        folder + "/" + platform::DateTime::NowLocal().Format("%Y%m%dT%H%M%S") + "-" + name.substr(0, 100);
    return platform::WriteFileAtomically(path, event.GetICal()) == ERROR_SUCCESS ? path : std::string();
}

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
    if (!event->Save()) {
        // Unrecorded, the appointment counts as new again next run and is uploaded then.
        unit.keepRecord = true;
        return;
    }
    unit.davEvent = event;
    unit.OutlookId = id;
    unit.ServerId = event->GetHref();
    unit.synchDate = platform::DateTime::NowLocal();
}

void CCalendarBidirectionalSyncStrategy::OnNewOnServer(EventSyncUnit& unit) {
    LogKeys(unit);
    CreateInOutlook(unit, false);
}

void CCalendarBidirectionalSyncStrategy::OnDeleteFromOutlook(EventSyncUnit& unit) {
    LogKeys(unit);
    if (!unit.davEvent->Delete())
        unit.keepRecord = true;
}

void CCalendarBidirectionalSyncStrategy::OnDeleteFromServer(EventSyncUnit& unit) {
    LogKeys(unit);
    if (!DeleteAppointment(unit))
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
        if (outlook_wins) {
            const std::string kept = KeepLosingServerText(*unit.davEvent);
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
        copied = unit.davEvent->Save();
    } else {
        Log("OnSynchronize name = %s S->OL", name.c_str());
        copied = CopyServerToOutlook(unit);
    }
    if (copied)
        unit.synchDate = platform::DateTime::NowLocal();
    else
        unit.keepRecord = true;
}
