#include "calendar/calendar_sync_strategy_base.h"

#include <algorithm>
#include <string_view>

#include "calendar/internal/text_property.h"
#include "calendar/internal/yes_no_property.h"
#include "calendar/outlook_default_storage.h"
#include "ical/tzid_map.h"
#include "index/change_detection.h"
#include "platform/text.h"
#include "readonly/own_change_scope.h"
#include "settings/log.h"

namespace {

// The written form without what is stamped at writing (DTSTAMP) or taken from the item's own dates.
std::string WithoutStamps(std::string_view text) {
    std::string kept;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size() - 1) + 1;
        const std::string_view line = text.substr(0, end);
        if (!line.starts_with("DTSTAMP") && !line.starts_with("LAST-MODIFIED") &&
            !line.starts_with("CREATED"))
            kept += line;
        text.remove_prefix(end);
    }
    return kept;
}

}  // namespace

void CCalendarSyncStrategyBase::Initialize(std::shared_ptr<COutlookCalendar> outlook_calendar,
                                           std::shared_ptr<CCalDavCalendar> dav_calendar) {
    m_outlook_calendar = std::move(outlook_calendar);
    m_dav_calendar = std::move(dav_calendar);
    RecheckTzidMap();
}

bool CCalendarSyncStrategyBase::IsLater(const platform::DateTime& a, const platform::DateTime& b) {
    const platform::DateTime zero = platform::DateTime::FromValue(0.0);
    return platform::SecondsBetween(a.IsValid() ? a : zero, b.IsValid() ? b : zero) > 3;
}

void CCalendarSyncStrategyBase::LogKeys(const EventSyncUnit& unit) {
    if (unit.outlookEvent)
        Log("OutlookId: %s", platform::SanitizeUtf8(unit.outlookEvent->GetGlobalAppointmentID()).c_str());
    if (unit.davEvent)
        Log("ServerId: %s", platform::SanitizeUtf8(unit.davEvent->GetHref()).c_str());
}

bool CCalendarSyncStrategyBase::IsAsOnServer(const EventSyncUnit& unit) {
    const std::shared_ptr<COutlookEvent> scratch = m_outlook_calendar->CreateEvent();
    if (!scratch)
        return false;
    unit.davEvent->SetOwnerAddress(m_owner_address);
    unit.davEvent->InitOutlookEvent(scratch);
    const std::string uid = unit.davEvent->GetPropertyValue("UID");
    return WithoutStamps(scratch->ToICal(true, uid, m_owner_address)) ==
           WithoutStamps(unit.outlookEvent->ToICal(true, uid, m_owner_address));
}

platform::DateTime CCalendarSyncStrategyBase::OutlookDateOf(const EventSyncUnit& unit) {
    return unit.outlookEvent ? unit.outlookEvent->GetLastModificationTime() : platform::DateTime::Invalid();
}

bool CCalendarSyncStrategyBase::HasServerSideChanged(const EventSyncUnit& unit) {
    return HasServerChanged(unit.recordedETag, unit.davEvent->GetETag(),
                            IsLater(unit.davEvent->GetLastModified(), unit.synchDate));
}

bool CCalendarSyncStrategyBase::HasOutlookSideChanged(const EventSyncUnit& unit) {
    const platform::DateTime outlook_date = OutlookDateOf(unit);
    return HasOutlookChanged(unit.recordedOutlookModified, outlook_date,
                             IsLater(outlook_date, unit.synchDate));
}

void CCalendarSyncStrategyBase::CreateInOutlook(EventSyncUnit& unit, bool allow_create) {
    const std::shared_ptr<COutlookEvent> appointment = m_outlook_calendar->CreateEvent();
    if (!appointment) {
        unit.keepRecord = true;
        return;
    }
    COutlookDefaultStorage<outlook::AppointmentItem> storage(
        outlook::ComPtr<outlook::AppointmentItem>(appointment->Item()));
    if (allow_create)
        calendar::WriteYesNo(&storage, "AllowCreate", true);
    unit.davEvent->SetOwnerAddress(m_owner_address);
    unit.davEvent->InitOutlookEvent(appointment);
    // Saved with the appointment: should its index record be lost (a run killed before the index was
    // written), the next run pairs it with its server event instead of uploading a copy.
    calendar::WriteText(&storage, calendar::kHrefProperty, unit.davEvent->GetHref());
    calendar::WriteText(&storage, calendar::kUidProperty, unit.davEvent->GetPropertyValue("UID"));
    const std::string id =
        SUCCEEDED(appointment->Save()) ? appointment->GetGlobalAppointmentID() : std::string();
    if (id.empty()) {
        // Recording the server event without its appointment would delete it on the server next run.
        Log("CCalendarSyncStrategy::OnNewOnServer: The appointment for %s was not saved; it is tried again "
            "next run.",
            platform::SanitizeUtf8(unit.davEvent->GetHref()).c_str());
        unit.keepRecord = true;
        return;
    }
    unit.outlookEvent = appointment;
    unit.OutlookId = id;
    unit.ServerId = unit.davEvent->GetHref();
    unit.synchDate = platform::DateTime::NowLocal();
    ++m_counters.created_in_outlook;
}

bool CCalendarSyncStrategyBase::CopyServerToOutlook(const EventSyncUnit& unit) {
    const OwnChangeScope own_change(m_guards, unit.outlookEvent->GetGlobalAppointmentID());
    unit.davEvent->SetOwnerAddress(m_owner_address);
    unit.davEvent->InitOutlookEvent(unit.outlookEvent);
    return SUCCEEDED(unit.outlookEvent->Save());
}

bool CCalendarSyncStrategyBase::DeleteAppointment(const EventSyncUnit& unit) {
    const OwnChangeScope own_change(m_guards, unit.outlookEvent->GetGlobalAppointmentID());
    return SUCCEEDED(unit.outlookEvent->Delete());
}
