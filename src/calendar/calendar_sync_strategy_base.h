// The steps both calendar strategies share: the pair's log lines, the date rule, and copying a server
// event into a new or an existing appointment.
#pragma once

#include <memory>
#include <string>

#include "calendar/calendar_readonly_guards.h"
#include "calendar/calendars_sync_strategy.h"

class CCalendarSyncStrategyBase : public ICalendarsSyncStrategy {
  public:
    // `owner_address` is the account's e-mail address; `guards` is not owned and may be null.
    CCalendarSyncStrategyBase(std::string owner_address, ICalendarReadonlyGuards* guards)
        : m_owner_address(std::move(owner_address)), m_guards(guards) {}

    void Initialize(std::shared_ptr<COutlookCalendar> outlook_calendar,
                    std::shared_ptr<CCalDavCalendar> dav_calendar) override;

    // True when `a` is more than 3 seconds after `b` (the difference rounded to whole seconds). An
    // invalid date counts as the zero date.
    static bool IsLater(const platform::DateTime& a, const platform::DateTime& b);

    const SyncCounters& Counters() const override { return m_counters; }

  protected:
    // "OutlookId: %s" and "ServerId: %s" for the sides the pair has.
    static void LogKeys(const EventSyncUnit& unit);
    // A new appointment filled from the server event and saved; the record is set on success, and on
    // failure the pair stays unrecorded. `allow_create` marks the item for the read-only guards.
    void CreateInOutlook(EventSyncUnit& unit, bool allow_create);
    // The server event applied to the appointment, as the synchronizer's own change. False when the
    // appointment could not be saved.
    bool CopyServerToOutlook(const EventSyncUnit& unit);
    // Deletes the appointment as the synchronizer's own change. False when Outlook refused.
    bool DeleteAppointment(const EventSyncUnit& unit);
    // True when the appointment holds what the server event would write into it: our written form of it
    // equals that of a scratch appointment, never saved, made from the event. A pair found again after
    // its record was lost is then equal on both sides, and neither needs writing.
    bool IsAsOnServer(const EventSyncUnit& unit);
    static platform::DateTime OutlookDateOf(const EventSyncUnit& unit);
    // Whether each side changed since the pair was recorded: by the kept ETag and LastModificationTime,
    // by the dates against synchDate for a record that kept neither.
    static bool HasServerSideChanged(const EventSyncUnit& unit);
    static bool HasOutlookSideChanged(const EventSyncUnit& unit);

    std::string m_owner_address;
    ICalendarReadonlyGuards* m_guards;
    std::shared_ptr<COutlookCalendar> m_outlook_calendar;
    std::shared_ptr<CCalDavCalendar> m_dav_calendar;
    SyncCounters m_counters;
};
