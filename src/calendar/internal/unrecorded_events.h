// The server events of a calendar that have no index record, found by who they are, so that an
// appointment without a record pairs with its own server event instead of being copied again.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>

class CCalDavEvent;
class COutlookEvent;

namespace calendar {

// Who an appointment is on the server: the href and UID of the event it was made from (its "oidHREF"
// and "oidUID", "" when it was made in Outlook) and its GlobalAppointmentID, the UID of its uploads.
struct EventIdentity {
    std::string href;
    std::string uid;
    std::string global_id;
};

EventIdentity ReadIdentity(const COutlookEvent& appointment);

class UnrecordedEvents {
  public:
    // Files the event (its href and UID) under `place`; the first event of a href or UID wins.
    void Add(const CCalDavEvent& event, std::size_t place);

    // The place of the event the appointment is, by href, then by the recorded UID, then by the
    // GlobalAppointmentID as UID; only places for which `is_free` holds count.
    std::optional<std::size_t> Find(const EventIdentity& identity,
                                    const std::function<bool(std::size_t)>& is_free) const;

  private:
    std::map<std::string, std::size_t> m_by_href;  // hrefs in ASCII lower case, as the index compares them
    std::map<std::string, std::size_t> m_by_uid;
};

}  // namespace calendar
