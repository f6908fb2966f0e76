#include "ical/time_zone_definition.h"

#include <optional>

#include "ical/ical_date.h"
#include "ical/ical_line.h"
#include "ical/ical_text.h"
#include "platform/text.h"

namespace {

constexpr std::size_t kMaxZones = 64;
constexpr std::size_t kOffsetLength = 5;

std::string_view DatePart(std::string_view dtstart) {
    return dtstart.substr(0, dtstart.find('T'));
}

// The text of one RRULE part ("BYDAY=-1SU;..." -> "-1SU"), or "".
std::string RulePart(std::string_view rule, std::string_view key) {
    std::size_t start = 0;
    while (start <= rule.size()) {
        std::size_t end = rule.find(';', start);
        if (end == std::string_view::npos)
            end = rule.size();
        const std::string_view part = rule.substr(start, end - start);
        const std::size_t equals = part.find('=');
        if (equals != std::string_view::npos && platform::EqualsIgnoreAsciiCase(part.substr(0, equals), key))
            return std::string(part.substr(equals + 1));
        start = end + 1;
    }
    return {};
}

// The wall-clock moment of a change in `year`: the date rule with the observance's own time of day.
std::optional<platform::DateTime> TransitionIn(int year, const TransitionDate& date,
                                               const TimeZoneObservance& observance) {
    const platform::DateTime first = platform::DateTime::FromParts(year, date.month, 1);
    platform::DateParts first_parts;
    if (!first.ToParts(&first_parts))
        return std::nullopt;
    int day = 1 + (date.day_of_week - first_parts.day_of_week + 7) % 7 + (date.week - 1) * 7;
    const int days = platform::DaysInMonth(year, date.month);
    while (day > days)
        day -= 7;
    platform::DateParts time;
    const ical::ParsedDateTime start = ical::ParseDateTimeParts(observance.dtstart);
    if (!start.value.ToParts(&time))
        time = platform::DateParts{};
    return platform::DateTime::FromParts(year, date.month, day, time.hour, time.minute, time.second);
}

}  // namespace

bool ParseOffsetMinutes(std::string_view text, int* minutes) {
    if (text.size() != kOffsetLength || (text[0] != '+' && text[0] != '-'))
        return false;
    for (std::size_t i = 1; i < kOffsetLength; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
    }
    const int hours = (text[1] - '0') * 10 + (text[2] - '0');
    const int mins = (text[3] - '0') * 10 + (text[4] - '0');
    if (mins > 59)
        return false;
    *minutes = (text[0] == '-' ? -1 : 1) * (hours * 60 + mins);
    return true;
}

int OffsetMinutes(std::string_view text) {
    int minutes = 0;
    return ParseOffsetMinutes(text, &minutes) ? minutes : 0;
}

bool TransitionFromObservance(const TimeZoneObservance& observance, TransitionDate* date) {
    *date = TransitionDate{};
    int ignored = 0;
    if (!ParseOffsetMinutes(observance.tzoffsetfrom, &ignored) ||
        !ParseOffsetMinutes(observance.tzoffsetto, &ignored) || observance.bymonth.empty() ||
        observance.freq != "YEARLY" || observance.byday.size() < 2) {
        return false;
    }
    std::string byday = observance.byday;
    const bool from_end = byday.find('-') != std::string::npos;
    std::erase(byday, '-');
    // "+1SU" is the same as "1SU".
    std::erase(byday, '+');
    int month = 0;
    for (const char c : observance.bymonth) {
        if (c < '0' || c > '9' || month > 12)
            break;
        month = month * 10 + (c - '0');
    }
    const int week = !byday.empty() && byday[0] >= '0' && byday[0] <= '9' ? byday[0] - '0' : 0;
    static constexpr std::string_view kCodes[] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};
    int day_of_week = -1;
    if (week != 0 && byday.size() > 1) {
        const std::string_view code = std::string_view(byday).substr(byday.size() - 2);
        for (int i = 0; i < 7; ++i) {
            if (code == kCodes[i])
                day_of_week = i;
        }
    }
    const int n = from_end ? 6 - week : week;
    if (month < 1 || month > 12 || day_of_week < 0 || n <= 0 || n >= 6)
        return false;
    date->month = month;
    date->day_of_week = day_of_week;
    date->week = n;
    return true;
}

bool CTimeZoneDefinition::Parse(std::string_view text) {
    const std::vector<std::string> lines = ical::UnfoldLines(text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::optional<CICalLine> line = CICalLine::Parse(lines[i]);
        if (line && line->HasName("BEGIN") && platform::EqualsIgnoreAsciiCase(line->Value(), "VTIMEZONE"))
            return ParseLines(lines, &i);
    }
    return false;
}

std::vector<CTimeZoneDefinition> CTimeZoneDefinition::ParseAll(std::string_view text) {
    std::vector<CTimeZoneDefinition> zones;
    const std::vector<std::string> lines = ical::UnfoldLines(text);
    for (std::size_t i = 0; i < lines.size() && zones.size() < kMaxZones; ++i) {
        // Only a BEGIN line can open a zone; the event's other lines are not worth parsing here.
        if (!CICalLine::MayHaveName(lines[i], "BEGIN"))
            continue;
        const std::optional<CICalLine> line = CICalLine::Parse(lines[i]);
        if (line && line->HasName("BEGIN") && platform::EqualsIgnoreAsciiCase(line->Value(), "VTIMEZONE")) {
            CTimeZoneDefinition zone;
            (void)zone.ParseLines(lines, &i);
            zones.push_back(std::move(zone));
        }
    }
    return zones;
}

// Runs from the BEGIN:VTIMEZONE line at *index to its END (or the end of the text); *index is left on
// the last line looked at.
bool CTimeZoneDefinition::ParseLines(const std::vector<std::string>& lines, std::size_t* index) {
    bool in_timezone = false;
    bool in_standard = false;
    bool in_daylight = false;
    TimeZoneObservance candidate;
    for (; *index < lines.size(); ++*index) {
        const std::optional<CICalLine> line = CICalLine::Parse(lines[*index]);
        if (!line)
            continue;
        const std::string& value = line->Value();
        const bool in_observance = in_standard || in_daylight;
        if (line->HasName("BEGIN")) {
            const bool standard = platform::EqualsIgnoreAsciiCase(value, "STANDARD");
            const bool daylight = platform::EqualsIgnoreAsciiCase(value, "DAYLIGHT");
            if (platform::EqualsIgnoreAsciiCase(value, "VTIMEZONE")) {
                if (in_timezone)
                    return false;
                in_timezone = true;
            } else if (standard || daylight) {
                if (!in_timezone || in_observance)
                    return false;
                // Each observance starts empty, so one without RRULE does not inherit an older rule.
                candidate = TimeZoneObservance{};
                in_standard = standard;
                in_daylight = daylight;
            }
        } else if (line->HasName("END")) {
            const bool standard = platform::EqualsIgnoreAsciiCase(value, "STANDARD");
            const bool daylight = platform::EqualsIgnoreAsciiCase(value, "DAYLIGHT");
            if (platform::EqualsIgnoreAsciiCase(value, "VTIMEZONE")) {
                if (!in_timezone || in_observance)
                    return false;
                return true;
            }
            if (standard || daylight) {
                if ((standard && !in_standard) || (daylight && !in_daylight))
                    return false;
                TimeZoneObservance& stored = standard ? m_standard : m_daylight;
                if (stored.dtstart.empty() || DatePart(candidate.dtstart) > DatePart(stored.dtstart))
                    stored = candidate;
                in_standard = false;
                in_daylight = false;
            }
        } else if (line->HasName("TZID")) {
            if (!in_timezone || in_observance)
                return false;
            m_tzid = value;
        } else if (line->HasName("DTSTART") || line->HasName("RRULE") || line->HasName("TZOFFSETFROM") ||
                   line->HasName("TZOFFSETTO")) {
            if (!in_observance)
                return false;
            if (line->HasName("DTSTART")) {
                candidate.dtstart = value;
            } else if (line->HasName("RRULE")) {
                candidate.freq = RulePart(value, "FREQ");
                candidate.interval = RulePart(value, "INTERVAL");
                candidate.byday = RulePart(value, "BYDAY");
                candidate.bymonth = RulePart(value, "BYMONTH");
            } else if (line->HasName("TZOFFSETFROM")) {
                candidate.tzoffsetfrom = value.substr(0, kOffsetLength);
            } else {
                candidate.tzoffsetto = value.substr(0, kOffsetLength);
            }
        }
    }
    return in_timezone;
}

platform::DateTime CTimeZoneDefinition::ToUtc(const platform::DateTime& wall_clock) const {
    platform::DateParts parts;
    if (!wall_clock.ToParts(&parts))
        return platform::DateTime::Invalid();
    int standard_offset = 0;
    int daylight_offset = 0;
    const bool standard_ok = ParseOffsetMinutes(m_standard.tzoffsetto, &standard_offset);
    const bool daylight_ok = ParseOffsetMinutes(m_daylight.tzoffsetto, &daylight_offset);
    TransitionDate to_standard;
    TransitionDate to_daylight;
    if (standard_ok && daylight_ok && TransitionFromObservance(m_standard, &to_standard) &&
        TransitionFromObservance(m_daylight, &to_daylight)) {
        const auto daylight_begins = TransitionIn(parts.year, to_daylight, m_daylight);
        const auto standard_begins = TransitionIn(parts.year, to_standard, m_standard);
        if (!daylight_begins || !standard_begins)
            return platform::DateTime::Invalid();
        const std::int64_t at = wall_clock.ToUnixSeconds();
        const std::int64_t daylight_at = daylight_begins->ToUnixSeconds();
        const std::int64_t standard_at = standard_begins->ToUnixSeconds();
        // Southern zones begin daylight time late in the year and end it early in the next.
        const bool in_daylight = daylight_at < standard_at ? (at >= daylight_at && at < standard_at)
                                                           : (at >= daylight_at || at < standard_at);
        return wall_clock.AddSeconds(-60LL * (in_daylight ? daylight_offset : standard_offset));
    }
    // No yearly rules: the observance that started last gives a fixed offset.
    const bool use_daylight =
        daylight_ok && (!standard_ok || DatePart(m_daylight.dtstart) > DatePart(m_standard.dtstart));
    if (!use_daylight && !standard_ok)
        return platform::DateTime::Invalid();
    return wall_clock.AddSeconds(-60LL * (use_daylight ? daylight_offset : standard_offset));
}
