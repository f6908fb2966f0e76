// The pairs of a calendar that neither side changed since the last run, found from its index, the
// server's listing of ETags and the appointments' keys and modification times. A run whose collection
// tag changed reads neither side of these, so one edit in a big calendar costs the reading of one event.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "calendar/outlook_calendar.h"
#include "ical/cal_dav_event.h"
#include "index/sync_index.h"

namespace calendar {

class SettledPairs {
  public:
    // `index` and `listing` must outlive this object.
    SettledPairs(const SyncIndex& index, const std::vector<CCalDavEvent::Listed>& listing);

    // Whether the appointment's pair is as recorded on both sides: the server listed its event with the
    // recorded ETag, the appointment has the recorded modification time, and the record is the one of
    // both (no other record names either side).
    bool IsSettled(const COutlookCalendar::Stamp& stamp) const;

    // The listed hrefs in the listing's order, but those of the pairs of `settled_keys`.
    std::vector<std::string> HrefsToRead(const std::set<std::string>& settled_keys) const;

  private:
    const SyncIndex& m_index;
    const std::vector<CCalDavEvent::Listed>& m_listing;
    std::map<std::string, std::string> m_etags;
};

}  // namespace calendar
