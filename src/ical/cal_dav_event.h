// The iCalendar side of one server event: its text, the content lines of its VEVENT, its VTIMEZONE
// definitions and the VEVENTs of its changed occurrences.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ical/ical_line.h"
#include "ical/time_zone_definition.h"
#include "platform/date_time.h"
#include "settings/transport_failure.h"

class CDavServer;
class COutlookEvent;
namespace outlook {
class Application;
class AppointmentItem;
}  // namespace outlook

class CCalDavEvent {
  public:
    CCalDavEvent() = default;
    // An event at `href` of the server (not owned; it must outlive the event), with no text yet.
    CCalDavEvent(CDavServer* server, std::string href);

    // One event per calendar object of a calendar-query REPORT (Depth: 1) on `calendar_href`, in the
    // server's order. Skipped with a log line: a response without href, hrefs that are not below the
    // calendar or hold control characters or dot segments, a second response for an href (the first
    // is kept), and calendar data without a VEVENT, whose href goes to `unreadable` (may be null) so
    // that its pair is left alone. An answer that does not parse, or a 5xx, is asked again for hrefs and
    // ETags alone, and the objects are fetched by BatchedMultiget; those that cannot be read on their own
    // go to `unreadable`. Defined with the server side of calendar synchronization.
    // Throws: the CAddinExceptions of CDavServer; 600 when the listing of hrefs is not a multistatus.
    static void LoadFromServer(CDavServer* server, const std::string& calendar_href,
                               std::vector<std::shared_ptr<CCalDavEvent>>* events,
                               std::vector<std::string>* unreadable);
    // An event of a calendar's listing: its href and the ETag the server listed ("" when none).
    struct Listed {
        std::string href;
        std::string etag;
    };
    // The calendar's usable hrefs and their ETags (a calendar-query for getetag alone), in the server's
    // order; hrefs are skipped as by LoadFromServer.
    // Throws: the CAddinExceptions of CDavServer; 600 when the answer is not a multistatus document.
    static std::vector<Listed> ListFromServer(CDavServer* server, const std::string& calendar_href);
    // The events at `hrefs` of the calendar, by BatchedMultiget, appended to `events` in their order.
    // Returns the hrefs whose events could not be read. Throws: as BatchedMultiget.
    static std::vector<std::string> LoadListed(CDavServer* server, const std::string& calendar_href,
                                               const std::vector<std::string>& hrefs,
                                               std::vector<std::shared_ptr<CCalDavEvent>>* events);
    // The event at `href` of the calendar, read by a calendar-multiget REPORT; null when the server
    // has no readable event there. Throws: as LoadFromServer.
    static std::shared_ptr<CCalDavEvent> LoadOne(CDavServer* server, const std::string& calendar_href,
                                                 const std::string& href);

    // PUT of the text: If-Match with the ETag when there is one, else If-None-Match "*". Afterwards the ETag
    // is the one the server answered with ("" when it sent none); kNone. When the server refused or could
    // not be reached: what failed, with a log line, and the ETag stays as it was.
    FailureKind Save();
    // DELETE of the href. True when the resource is gone afterwards (deleted, or already gone: 404, 410);
    // false, with the log line "Unable to delete event '%s'.", when it may still be there.
    bool Delete();

    const std::string& GetHref() const { return m_href; }
    const std::string& GetETag() const { return m_etag; }
    void SetETag(std::string etag) { m_etag = std::move(etag); }

    // Keeps the text, reads its VEVENTs (ParseICal) and its VTIMEZONEs.
    void SetICal(std::string_view text);
    const std::string& GetICal() const { return m_text; }

    // Fills the lines from the text's VEVENTs: the series master (the first VEVENT without
    // RECURRENCE-ID, else the first) gives this event's lines, every other VEVENT becomes a changed
    // occurrence. Of a VALARM only TRIGGER is kept. Hostile text is read as far as it goes: at most 1000
    // VEVENTs and 10000 lines per VEVENT are kept, a missing END closes at the end of the text, and each
    // such cut writes a log line.
    void ParseICal(std::string_view text);

    const std::vector<CICalLine>& Lines() const { return m_lines; }
    // The first line of that name (ASCII case ignored), or null. Ownership: owned by this event.
    const CICalLine* FindLine(std::string_view name) const;
    // The value of the first line of that name, or "".
    std::string GetPropertyValue(std::string_view name) const;

    // LAST-MODIFIED read as UTC and given in local time; the zero date (1899-12-30) when it is absent or
    // unreadable, so that every comparison takes the event as old.
    platform::DateTime GetLastModified() const;

    const std::vector<std::shared_ptr<CCalDavEvent>>& ChangedOccurrences() const { return m_changed; }

    // The VTIMEZONE definitions of the text, shared with the changed occurrences.
    const std::vector<CTimeZoneDefinition>& TimeZones() const { return *m_zones; }
    // The definition whose TZID equals `tzid`, or null. Ownership: owned by this event.
    const CTimeZoneDefinition* FindTimeZone(std::string_view tzid) const;

    // The user's own address (the account e-mail address), to tell the organizer's role from an
    // attendee's. Passed on to the changed occurrences.
    void SetOwnerAddress(const std::string& address);
    const std::string& OwnerAddress() const { return m_owner_address; }

    // Writes the event into the target's appointment: all-day flag, start and end (in the TZID's Outlook
    // zone, by the VTIMEZONE's rules, or as UTC or floating local time), texts, importance, busy status,
    // recurrence with its deleted occurrences, reminder, attendees and meeting state, then each changed
    // occurrence into its Outlook occurrence (each occurrence saved, which the series holds until its own
    // Save). The caller saves the item once at the end. Without DTSTART only the changed occurrences are
    // applied. Nothing in the text makes it fail: what cannot be read or put is
    // logged and skipped.
    void InitOutlookEvent(const std::shared_ptr<COutlookEvent>& target) const;

    // OlResponseStatus of a PARTSTAT text (ASCII case ignored): "" 0, "ORGANIZER" 1, "TENTATIVE" 2,
    // "ACCEPTED" 3, "DECLINED" 4, anything else -1.
    static int MeetingResponseStatusStringToInt(std::string_view status);
    // OlBusyStatus for an OlResponseStatus: tentative 1, accepted 2 (busy), anything else 0 (free).
    static int IntResponseStatusToIntBusyStatus(int status);

  private:
    void ApplyTimes(outlook::AppointmentItem* item, outlook::Application* application) const;
    void ApplyTexts(outlook::AppointmentItem* item) const;
    void ApplyRecurrence(const std::shared_ptr<COutlookEvent>& target,
                         outlook::Application* application) const;
    void ApplyReminder(outlook::AppointmentItem* item) const;
    void ApplyAttendees(outlook::AppointmentItem* item) const;
    void ApplyChangedOccurrences(const std::shared_ptr<COutlookEvent>& target,
                                 outlook::Application* application) const;

    CDavServer* m_server = nullptr;
    std::string m_href;
    std::string m_etag;
    std::string m_text;
    std::vector<CICalLine> m_lines;
    std::vector<std::shared_ptr<CCalDavEvent>> m_changed;
    std::shared_ptr<std::vector<CTimeZoneDefinition>> m_zones =
        std::make_shared<std::vector<CTimeZoneDefinition>>();
    std::string m_owner_address;
};
