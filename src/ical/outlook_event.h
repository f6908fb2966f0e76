// One Outlook appointment (a single one, a series master, or a changed occurrence) and its rendering
// as iCalendar text.
#pragma once

#include <memory>
#include <string>

#include "outlook/appointment_item.h"
#include "outlook/com_ptr.h"
#include "platform/date_time.h"

class COutlookEventRepeat;

class COutlookEvent {
  public:
    COutlookEvent(outlook::ComPtr<outlook::AppointmentItem> item, const platform::DateTime& occurrence_date);
    ~COutlookEvent();
    COutlookEvent(const COutlookEvent&) = delete;
    COutlookEvent& operator=(const COutlookEvent&) = delete;

    // Wraps an item that is an appointment; for a series master also its pattern and changed
    // occurrences. `occurrence_date` is the UTC start a changed occurrence had by the pattern (invalid
    // for others). Null, with a log line, when the item is not an appointment.
    static std::shared_ptr<COutlookEvent> CreateFromOutlookObject(
        outlook::IDispatch* item, const platform::DateTime& occurrence_date = platform::DateTime::Invalid());

    // The appointment as a VEVENT (CR LF lines), wrapped in a VCALENDAR when `with_calendar`; a series
    // master is followed by its changed occurrences. `uid` replaces the appointment's own UID when not
    // empty; `owner_address` is the user's address among the recipients. A failed read leaves out only
    // the line that needs it.
    std::string ToICal(bool with_calendar, const std::string& uid, const std::string& owner_address) const;

    // The ATTENDEE parameters for an OlResponseStatus: ";PARTSTAT=..." with ";RESPONDED-AT=" when
    // `responded_at` is valid, ";PARTSTAT=NEEDS-ACTION;RSVP=TRUE" for not responded, "" otherwise.
    static std::string MeetingResponseStatusToString(int status, const platform::DateTime& responded_at);

    // Saves the appointment; a failure is logged ("Failed to save appointment.") and returned.
    HRESULT Save() const;
    // Deletes the appointment; a failure is logged ("CCalDavCalendar::SynchronizeWithCalendar: Failed
    // to delete appointment.") and returned. The caller tells the read-only guards beforehand.
    HRESULT Delete() const;

    // The appointment's key, subject and last change (local time); "" or an invalid date when Outlook
    // fails (a new appointment has no GlobalAppointmentID before its first save).
    std::string GetGlobalAppointmentID() const;
    std::string GetSubject() const;
    platform::DateTime GetLastModificationTime() const;

    // Ownership: owned by this event.
    outlook::AppointmentItem* Item() const { return m_item.get(); }
    const platform::DateTime& OccurrenceDate() const { return m_occurrence_date; }
    // Null unless the appointment is a series master. Ownership: owned by this event.
    COutlookEventRepeat* Recurrence() const { return m_recurrence.get(); }
    void SetRecurrence(std::unique_ptr<COutlookEventRepeat> recurrence);

  private:
    // The VEVENT (and a master's changed occurrences); timed values in `tzid`'s wall-clock time when it
    // is not empty, else in UTC.
    std::string ToVEvent(const std::string& uid, const std::string& owner_address,
                         const std::string& tzid) const;
    // The IANA zone a timed series is written in: its start zone, else the machine's; "" for anything
    // else, or when the zone's rules cannot be had.
    std::string SeriesZone() const;
    void AppendRecurrence(std::string* text, bool all_day, const std::string& tzid) const;
    void AppendAttendees(std::string* text, const std::string& owner_address) const;

    outlook::ComPtr<outlook::AppointmentItem> m_item;
    platform::DateTime m_occurrence_date;
    std::unique_ptr<COutlookEventRepeat> m_recurrence;
};
