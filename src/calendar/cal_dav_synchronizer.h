// One calendar synchronization run: finds the calendar home set, pairs every Outlook calendar folder
// with a server calendar through calendars.dat (creating missing counterparts and asking about calendars
// gone on one side), and synchronizes the events of every pair.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "addin/sync_host.h"
#include "calendar/cal_dav_calendar.h"
#include "calendar/calendar_readonly_guards.h"
#include "calendar/outlook_calendar.h"
#include "dav/dav_server.h"
#include "outlook/application.h"
#include "outlook/com_ptr.h"

class CCalDavSynchronizer : public ISynchronizer {
  public:
    // Finds the home set at once. `guards` is not owned and may be null (nothing is guarded then).
    // Throws: the CAddinExceptions of CDavServer; 307 when the server names no principal or home set.
    CCalDavSynchronizer(const std::string& server_url, const std::string& user, const std::string& password,
                        outlook::ComPtr<outlook::Application> application,
                        ICalendarReadonlyGuards* guards = nullptr);
    // The same with the request objects made by `factory` (tests).
    CCalDavSynchronizer(const std::string& server_url, const std::string& user, const std::string& password,
                        outlook::ComPtr<outlook::Application> application, ICalendarReadonlyGuards* guards,
                        HttpRequestFactory factory);

    // The whole calendar step; appends (folder EntryID, read-only) per synchronized pair. Returns at once
    // when Outlook has no default calendar. Throws: CAddinException for a failing request of the
    // calendar level, the Outlook folder errors 202 and 203, 202 when the server lists no calendar while
    // calendars.dat holds a pairing, and the cancel error (text 367) when the user cancels a question.
    void Synchronize(SyncResultList* results) override;

    // The calendar home set of the current user (PROPFIND, Depth: 0, on the principal), "@" as "%40".
    void GetHomeSet();
    // The server calendars of the home set, each with its events.
    std::vector<std::shared_ptr<CCalDavCalendar>> GetCalendars();
    // Discards every index file when calendars.dat pairs the root calendar with a calendar the server
    // does not list. Throws: CAddinException 202 when the server lists no calendar at all while a
    // pairing exists (the indexes stay).
    void ValidateIndexes(const std::shared_ptr<COutlookCalendar>& root,
                         const std::vector<std::shared_ptr<CCalDavCalendar>>& calendars);
    // The event step of one pair; what it did.
    SyncCounters SynchronizeCalendars(const std::shared_ptr<CCalDavCalendar>& dav_calendar,
                                      const std::shared_ptr<COutlookCalendar>& outlook_calendar);

    // The calendar the default Outlook calendar pairs with on a first run, whatever the listing order:
    // a writable calendar that is not shared before others, one whose last segment is "calendar",
    // "default" or "personal" (any case) first, then the least href; null for an empty list.
    static std::shared_ptr<CCalDavCalendar> ChooseDefaultCalendar(
        const std::vector<std::shared_ptr<CCalDavCalendar>>& calendars);

    const std::string& GetHomeSetUrl() const { return m_home_set; }

  private:
    outlook::ComPtr<outlook::Application> m_application;
    ICalendarReadonlyGuards* m_guards;
    CDavServer m_server;
    std::string m_user;
    std::string m_home_set;
    // Events of this run whose write failed (or that could not be written at all); tried again next run.
    int m_failed_items = 0;
};
