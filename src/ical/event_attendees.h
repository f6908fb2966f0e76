// The ORGANIZER and ATTENDEE lines of one event, as the appointment mapping needs them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ical/ical_line.h"
#include "platform/date_time.h"

struct EventAttendee {
    std::string address;
    // The PARTSTAT value, or "ORGANIZER" for the organizer.
    std::string role;
    // RESPONDED-AT as local time; invalid when absent or unreadable.
    platform::DateTime response_time = platform::DateTime::Invalid();
};

class CEventAttendees {
  public:
    // Every ATTENDEE line in order, then the ORGANIZER (when it has a value). Lines without an address
    // are left out; at most 1000 entries are taken.
    static CEventAttendees FromLines(const std::vector<CICalLine>& lines);

    // The addresses in line order, repeated addresses once.
    const std::vector<std::string>& WantedAddresses() const { return m_wanted; }
    const std::string& OrganizerAddress() const { return m_organizer; }

    // The last entry for the address (ASCII case ignored), or null. Ownership: owned by this object.
    const EventAttendee* Find(std::string_view address) const;

    // The address of a CAL-ADDRESS value: the text after the first "mailto:" (any case), else all of it.
    static std::string AddressOf(std::string_view value);

  private:
    std::vector<EventAttendee> m_entries;
    std::vector<std::string> m_wanted;
    std::string m_organizer;
};
