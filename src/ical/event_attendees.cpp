#include "ical/event_attendees.h"

#include "ical/ical_date.h"
#include "platform/text.h"

namespace {

// Recipients are added one by one through the object model; a hostile list must not run for hours.
constexpr std::size_t kMaxEntries = 1000;

}  // namespace

std::string CEventAttendees::AddressOf(std::string_view value) {
    const std::string lower = platform::AsciiLower(value);
    const std::size_t mailto = lower.find("mailto:");
    const std::string_view address = mailto == std::string::npos ? value : value.substr(mailto + 7);
    return std::string(platform::TrimWhitespace(address));
}

CEventAttendees CEventAttendees::FromLines(const std::vector<CICalLine>& lines) {
    CEventAttendees result;
    const CICalLine* organizer = nullptr;
    std::vector<const CICalLine*> entries;
    for (const CICalLine& line : lines) {
        if (line.HasName("ATTENDEE") && entries.size() < kMaxEntries)
            entries.push_back(&line);
        else if (line.HasName("ORGANIZER") && organizer == nullptr && !line.Value().empty())
            organizer = &line;
    }
    if (organizer != nullptr)
        entries.push_back(organizer);
    for (const CICalLine* line : entries) {
        EventAttendee entry;
        entry.address = AddressOf(line->Value());
        if (entry.address.empty())
            continue;
        if (line == organizer) {
            entry.role = "ORGANIZER";
            result.m_organizer = entry.address;
        } else {
            entry.role = line->GetParameter("PARTSTAT");
            const std::string responded = line->GetParameter("RESPONDED-AT");
            if (!responded.empty())
                entry.response_time = ical::ParseICalDate(responded, ical::kAlwaysUtc);
        }
        bool known = false;
        for (const std::string& wanted : result.m_wanted)
            known = known || platform::EqualsIgnoreAsciiCase(wanted, entry.address);
        if (!known)
            result.m_wanted.push_back(entry.address);
        result.m_entries.push_back(std::move(entry));
    }
    return result;
}

const EventAttendee* CEventAttendees::Find(std::string_view address) const {
    for (auto entry = m_entries.rbegin(); entry != m_entries.rend(); ++entry) {
        if (platform::EqualsIgnoreAsciiCase(entry->address, address))
            return &*entry;
    }
    return nullptr;
}
