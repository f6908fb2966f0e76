// One CalDAV calendar collection of the user's calendar home set: its properties, the current user's
// rights on it, and its events (read once, on LoadEvents(), or listed and then read in part).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ical/cal_dav_event.h"

class CDavServer;

class CCalDavCalendar {
  public:
    // `server` is not owned and must outlive the calendar. No events until LoadEvents().
    CCalDavCalendar(std::string href, bool read_only, bool shared, CDavServer* server);

    // Reads the events (one REPORT). Throws: as CCalDavEvent::LoadFromServer.
    void LoadEvents();
    // Lists the events' hrefs and ETags without reading any event. Throws: as CCalDavEvent::ListFromServer.
    void ListEvents();
    // Reads the events at `hrefs`, listed before; those that cannot be read become unreadable.
    // Throws: as CCalDavEvent::LoadListed.
    void ReadListedEvents(const std::vector<std::string>& hrefs);

    // Appends one calendar per calendar collection of the home set's listing (PROPFIND, Depth: 1), in
    // the server's order, with their collection tags. Skipped: entries that are not calendars, and, with a
    // log line, entries without href or with an href that holds control characters or dot segments.
    // Throws: the CAddinExceptions of CDavServer; 600 when the answer is not a multistatus document.
    static void GetCalendarsFromHomeSet(CDavServer* server, const std::string& home_set,
                                        std::vector<std::shared_ptr<CCalDavCalendar>>* calendars);

    // MKCALENDAR of home set + `name` + "/" with If-None-Match "*"; the new calendar is writable.
    // Throws: the CAddinExceptions of CDavServer.
    static std::shared_ptr<CCalDavCalendar> CreateCalendar(CDavServer* server, const std::string& home_set,
                                                           const std::string& name,
                                                           const std::string& display_name,
                                                           const std::string& description);

    // DELETE of the collection; nothing is sent for a shared one. Throws: the CAddinExceptions of
    // CDavServer.
    void Delete();

    // A new, not uploaded event at href + `global_appointment_id` + ".ics".
    std::shared_ptr<CCalDavEvent> CreateEvent(const std::string& global_appointment_id) const;

    // The event at `href` as the server has it now; null when it has none there.
    // Throws: as CCalDavEvent::LoadOne.
    std::shared_ptr<CCalDavEvent> LoadEvent(const std::string& href) const;

    // displayName, then " - <owner>" for a shared calendar with an owner, then " (read only)".
    std::string GetDisplayName() const;

    // The user part of an owner href: the segment before a trailing "/" (or the last one), "%40" as "@".
    static std::string OwnerOf(std::string_view owner_href);

    const std::string& GetHref() const { return m_href; }
    const std::string& GetDescription() const { return m_description; }
    // The collection tag of the listing (getctag): changes whenever an event does. "" when the server
    // gave none.
    const std::string& GetCTag() const { return m_ctag; }
    bool IsReadOnly() const { return m_read_only; }
    bool IsShared() const { return m_shared; }
    std::size_t GetEventCount() const { return m_events.size(); }
    std::shared_ptr<CCalDavEvent> GetEvent(std::size_t index) const { return m_events.at(index); }
    // Hrefs of calendar objects that are on the server but could not be read this run.
    bool IsUnreadable(const std::string& href) const;
    // Every event the last load found on the server, read or not, with its ETag ("" when unknown).
    const std::vector<CCalDavEvent::Listed>& GetListing() const { return m_listing; }
    std::size_t GetUnreadableCount() const { return m_unreadable.size(); }

    void SetDisplayName(std::string name) { m_display_name = std::move(name); }
    void SetDescription(std::string description) { m_description = std::move(description); }

  private:
    CDavServer* m_server;
    std::vector<std::shared_ptr<CCalDavEvent>> m_events;
    std::vector<std::string> m_unreadable;
    std::vector<CCalDavEvent::Listed> m_listing;
    std::string m_href;
    std::string m_display_name;
    std::string m_description;
    std::string m_owner;
    std::string m_ctag;
    bool m_read_only;
    bool m_shared;
};
