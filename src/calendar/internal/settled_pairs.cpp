#include "calendar/internal/settled_pairs.h"

#include "index/change_detection.h"
#include "platform/text.h"

namespace calendar {

SettledPairs::SettledPairs(const SyncIndex& index, const std::vector<CCalDavEvent::Listed>& listing)
    : m_index(index), m_listing(listing) {
    for (const CCalDavEvent::Listed& listed : listing)
        m_etags.emplace(listed.href, listed.etag);
}

bool SettledPairs::IsSettled(const COutlookCalendar::Stamp& stamp) const {
    const IndexRecord record = m_index.FindByOutlookId(stamp.globalAppointmentId);
    const auto listed = m_etags.find(record.ServerId);
    if (listed == m_etags.end() ||
        !platform::EqualsIgnoreAsciiCase(m_index.FindByServerId(record.ServerId).OutlookId, record.OutlookId))
        return false;
    return IsPairAsRecorded(record, listed->second, stamp.lastModified);
}

std::vector<std::string> SettledPairs::HrefsToRead(const std::set<std::string>& settled_keys) const {
    std::set<std::string> settled_hrefs;
    for (const std::string& key : settled_keys)
        settled_hrefs.insert(m_index.FindByOutlookId(key).ServerId);
    std::vector<std::string> hrefs;
    for (const CCalDavEvent::Listed& listed : m_listing) {
        if (settled_hrefs.count(listed.href) == 0)
            hrefs.push_back(listed.href);
    }
    return hrefs;
}

}  // namespace calendar
