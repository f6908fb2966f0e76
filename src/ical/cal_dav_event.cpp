#include "ical/cal_dav_event.h"

#include <optional>

#include "ical/ical_date.h"
#include "ical/ical_text.h"
#include "platform/text.h"
#include "settings/log.h"

namespace {

constexpr std::size_t kMaxEvents = 1000;
constexpr std::size_t kMaxLinesPerEvent = 10000;
constexpr std::size_t kMaxDepth = 32;

// Component nesting of the text being read. Deeper nesting than kMaxDepth is counted, not kept.
class ComponentStack {
  public:
    void Begin(const std::string& name) {
        if (m_names.size() < kMaxDepth)
            m_names.push_back(platform::AsciiLower(name));
        else
            ++m_overflow;
    }
    // Closes the innermost open component of that name and everything opened inside it; returns
    // whether it was a VEVENT. An END without its BEGIN changes nothing.
    bool End(const std::string& name) {
        if (m_overflow > 0) {
            --m_overflow;
            return false;
        }
        const std::string lower = platform::AsciiLower(name);
        for (std::size_t i = m_names.size(); i > 0; --i) {
            if (m_names[i - 1] == lower) {
                m_names.resize(i - 1);
                return lower == "vevent";
            }
        }
        return false;
    }
    bool Top(std::string_view name) const {
        return m_overflow == 0 && !m_names.empty() && m_names.back() == name;
    }
    bool InAlarmOfEvent() const {
        return m_overflow == 0 && m_names.size() >= 2 && m_names.back() == "valarm" &&
               m_names[m_names.size() - 2] == "vevent";
    }
    bool Contains(std::string_view name) const {
        for (const std::string& open : m_names) {
            if (open == name)
                return true;
        }
        return false;
    }

  private:
    std::vector<std::string> m_names;
    std::size_t m_overflow = 0;
};

}  // namespace

CCalDavEvent::CCalDavEvent(CDavServer* server, std::string href)
    : m_server(server), m_href(std::move(href)) {}

void CCalDavEvent::SetICal(std::string_view text) {
    m_text = std::string(text);
    ParseICal(text);
    *m_zones = CTimeZoneDefinition::ParseAll(text);
}

void CCalDavEvent::ParseICal(std::string_view text) {
    m_lines.clear();
    m_changed.clear();
    std::vector<std::vector<CICalLine>> events;
    ComponentStack components;
    bool open_event = false;
    bool dropped_events = false;
    bool dropped_lines = false;
    for (const std::string& raw : ical::UnfoldLines(text)) {
        // Outside a VEVENT only BEGIN and END count: the lines of a VTIMEZONE are not worth parsing.
        if (!open_event && !CICalLine::MayHaveName(raw, "BEGIN") && !CICalLine::MayHaveName(raw, "END"))
            continue;
        std::optional<CICalLine> line = CICalLine::Parse(raw);
        if (!line)
            continue;
        if (line->HasName("BEGIN")) {
            // A VEVENT is only read at the top or inside the calendar, never inside another VEVENT.
            const bool event =
                platform::EqualsIgnoreAsciiCase(line->Value(), "VEVENT") && !components.Contains("vevent");
            components.Begin(line->Value());
            if (event) {
                open_event = events.size() < kMaxEvents;
                dropped_events = dropped_events || !open_event;
                if (open_event)
                    events.emplace_back();
            }
            continue;
        }
        if (line->HasName("END")) {
            if (components.End(line->Value()))
                open_event = false;
            continue;
        }
        if (!open_event)
            continue;
        const bool keep =
            components.Top("vevent") || (components.InAlarmOfEvent() && line->HasName("TRIGGER"));
        if (!keep)
            continue;
        if (events.back().size() >= kMaxLinesPerEvent) {
            dropped_lines = true;
            continue;
        }
        events.back().push_back(std::move(*line));
    }
    if (open_event)
        Log("CCalDavEvent::ParseICal: The last VEVENT has no END; it is read as far as it goes.");
    if (dropped_events)
        Log("CCalDavEvent::ParseICal: More than %zu VEVENTs; the rest are ignored.", kMaxEvents);
    if (dropped_lines)
        Log("CCalDavEvent::ParseICal: A VEVENT has more than %zu lines; the rest are ignored.",
            kMaxLinesPerEvent);
    if (events.empty())
        return;

    std::size_t master = 0;
    for (std::size_t i = 0; i < events.size(); ++i) {
        bool has_recurrence_id = false;
        for (const CICalLine& line : events[i])
            has_recurrence_id = has_recurrence_id || line.HasName("RECURRENCE-ID");
        if (!has_recurrence_id) {
            master = i;
            break;
        }
    }
    m_lines = std::move(events[master]);
    for (std::size_t i = 0; i < events.size(); ++i) {
        if (i == master)
            continue;
        auto occurrence = std::make_shared<CCalDavEvent>();
        occurrence->m_lines = std::move(events[i]);
        occurrence->m_zones = m_zones;
        occurrence->m_owner_address = m_owner_address;
        m_changed.push_back(std::move(occurrence));
    }
}

const CICalLine* CCalDavEvent::FindLine(std::string_view name) const {
    for (const CICalLine& line : m_lines) {
        if (line.HasName(name))
            return &line;
    }
    return nullptr;
}

std::string CCalDavEvent::GetPropertyValue(std::string_view name) const {
    const CICalLine* line = FindLine(name);
    return line == nullptr ? std::string() : line->Value();
}

platform::DateTime CCalDavEvent::GetLastModified() const {
    const CICalLine* line = FindLine("LAST-MODIFIED");
    if (line != nullptr) {
        const platform::DateTime value = ical::ParseICalDate(line->Value(), ical::kAlwaysUtc);
        if (value.IsValid())
            return value;
    }
    return platform::DateTime::FromValue(0.0);
}

const CTimeZoneDefinition* CCalDavEvent::FindTimeZone(std::string_view tzid) const {
    for (const CTimeZoneDefinition& zone : *m_zones) {
        if (zone.Tzid() == tzid)
            return &zone;
    }
    return nullptr;
}

void CCalDavEvent::SetOwnerAddress(const std::string& address) {
    m_owner_address = address;
    for (const auto& occurrence : m_changed)
        occurrence->SetOwnerAddress(address);
}

int CCalDavEvent::MeetingResponseStatusStringToInt(std::string_view status) {
    if (status.empty())
        return 0;
    if (platform::EqualsIgnoreAsciiCase(status, "ORGANIZER"))
        return 1;
    if (platform::EqualsIgnoreAsciiCase(status, "TENTATIVE"))
        return 2;
    if (platform::EqualsIgnoreAsciiCase(status, "ACCEPTED"))
        return 3;
    if (platform::EqualsIgnoreAsciiCase(status, "DECLINED"))
        return 4;
    return -1;
}

int CCalDavEvent::IntResponseStatusToIntBusyStatus(int status) {
    if (status == 2)
        return 1;
    if (status == 3)
        return 2;
    return 0;
}
