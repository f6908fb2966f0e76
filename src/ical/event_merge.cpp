#include "ical/event_merge.h"

#include <algorithm>
#include <optional>
#include <set>

#include "ical/alarm_trigger.h"
#include "ical/categories.h"
#include "ical/content_component.h"
#include "ical/event_attendees.h"
#include "ical/ical_date.h"
#include "ical/ical_duration.h"
#include "ical/ical_text.h"
#include "ical/recurrence_rule.h"
#include "ical/time_zone_definition.h"
#include "ical/tzid_map.h"
#include "platform/text.h"
#include "platform/time_zones.h"

namespace ical {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
// Attendee parameters the writer decides; every other parameter of the server's line stays.
constexpr std::string_view kAnswerParameters[] = {"PARTSTAT", "RSVP", "RESPONDED-AT"};

using Zones = std::vector<CTimeZoneDefinition>;

// A moment as the text names it: a date, a UTC time, or a floating wall-clock time.
struct Instant {
    char kind = 'X';  // 'D' date, 'U' UTC, 'F' floating, 'X' unreadable
    platform::DateTime value = platform::DateTime::Invalid();

    std::string Key() const { return kind == 'X' ? std::string("X") : kind + value.Format("%Y%m%dT%H%M%S"); }
};

std::string TzidOf(const CICalLine& line) {
    std::string tzid = line.GetParameter("TZID");
    std::erase(tzid, '"');
    return tzid;
}

// A TZID's wall-clock time in UTC: an IANA name, a Windows name, a name tzids.csv knows, else the
// text's own VTIMEZONE.
std::optional<platform::DateTime> ZoneToUtc(const std::string& tzid, const platform::DateTime& wall,
                                            const Zones& zones) {
    platform::DateTime utc;
    for (const std::string& iana :
         {tzid, platform::IanaFromWindowsId(tzid), platform::IanaFromWindowsId(MapTzid(tzid))}) {
        if (!iana.empty() && platform::ZoneWallToUtc(iana, wall, &utc))
            return utc;
    }
    for (const CTimeZoneDefinition& zone : zones) {
        if (zone.Tzid() == tzid) {
            utc = zone.ToUtc(wall);
            if (utc.IsValid())
                return utc;
        }
    }
    return std::nullopt;
}

Instant InstantOf(const CICalLine& line, std::string_view value, const Zones& zones) {
    Instant instant;
    const ParsedDateTime parsed = ParseDateTimeParts(platform::TrimWhitespace(value));
    if (!parsed.value.IsValid())
        return instant;
    if (!parsed.has_time || platform::EqualsIgnoreAsciiCase(line.GetParameter("VALUE"), "DATE")) {
        return {'D', DateOnly(parsed.value)};
    }
    if (parsed.is_utc)
        return {'U', parsed.value};
    const std::string tzid = TzidOf(line);
    if (!tzid.empty()) {
        if (const std::optional<platform::DateTime> utc = ZoneToUtc(tzid, parsed.value, zones))
            return {'U', *utc};
    }
    return {'F', parsed.value};
}

std::vector<const CICalLine*> LinesNamed(const CContentComponent& event, std::string_view name) {
    std::vector<const CICalLine*> lines;
    for (const ContentLine& property : event.Properties()) {
        if (property.line.HasName(name))
            lines.push_back(&property.line);
    }
    return lines;
}

std::string StartKey(const CContentComponent& event, const Zones& zones) {
    const CICalLine* start = event.Find("DTSTART");
    return start ? InstantOf(*start, start->Value(), zones).Key() : std::string();
}

Instant EndOf(const CContentComponent& event, const Zones& zones) {
    const CICalLine* start = event.Find("DTSTART");
    if (start == nullptr)
        return {};
    if (const CICalLine* end = event.Find("DTEND"))
        return InstantOf(*end, end->Value(), zones);
    Instant end = InstantOf(*start, start->Value(), zones);
    if (end.kind == 'X')
        return end;
    std::int64_t seconds = end.kind == 'D' ? kSecondsPerDay : 0;
    if (const CICalLine* duration = event.Find("DURATION"))
        seconds = ParseDurationSeconds(duration->Value()).value_or(seconds);
    end.value = end.value.AddSeconds(seconds);
    return end;
}

std::string EndKey(const CContentComponent& event, const Zones& zones) {
    return event.Find("DTSTART") ? EndOf(event, zones).Key() : std::string();
}

// The time in UTC when the text says it, else invalid.
platform::DateTime UtcOf(const Instant& instant) {
    return instant.kind == 'U' ? instant.value : platform::DateTime::Invalid();
}

// RECURRENCE-ID of a VEVENT as a moment; "" for the master.
std::string OccurrenceKey(const CContentComponent& event, const Zones& zones) {
    const CICalLine* id = event.Find("RECURRENCE-ID");
    return id ? InstantOf(*id, id->Value(), zones).Key() : std::string();
}

std::set<std::string> DeletedKeys(const CContentComponent& event, const Zones& zones) {
    std::set<std::string> keys;
    for (const CICalLine* line : LinesNamed(event, "EXDATE")) {
        std::string_view values = line->Value();
        for (std::size_t pieces = 0; !values.empty() && pieces < 10000; ++pieces) {
            const std::size_t comma = values.find(',');
            keys.insert(InstantOf(*line, values.substr(0, comma), zones).Key());
            values = comma == std::string_view::npos ? std::string_view() : values.substr(comma + 1);
        }
    }
    return keys;
}

// The IANA zone a TZID names (as ZoneToUtc reads it), "" when no zone database knows it.
std::string IanaZoneOf(const std::string& tzid) {
    platform::DateTime wall;
    for (const std::string& iana :
         {tzid, platform::IanaFromWindowsId(tzid), platform::IanaFromWindowsId(MapTzid(tzid))}) {
        if (!iana.empty() && platform::ZoneUtcToWall(iana, platform::DateTime::FromParts(2000, 1, 1), &wall))
            return iana;
    }
    return {};
}

std::string RuleKey(const CContentComponent& event, const platform::DateTime& series_start,
                    const std::string& zone) {
    const CICalLine* rrule = event.Find("RRULE");
    if (rrule == nullptr)
        return {};
    RecurrenceRule rule = ParseRRule(rrule->Value(), series_start, zone);
    if (!rule.interval) {
        const bool yearly = rule.recurrence_type == kRecursYearly || rule.recurrence_type == kRecursYearNth;
        rule.interval = yearly ? 12 : 1;
    }
    std::string key;
    for (const std::optional<int>& part :
         {rule.instance, rule.recurrence_type, rule.interval, rule.day_of_month, rule.day_of_week_mask,
          rule.month_of_year, rule.occurrences})
        key += part ? std::to_string(*part) + ";" : std::string("-;");
    key += rule.pattern_end_date ? FormatDate(*rule.pattern_end_date) : std::string("-");
    return key + (rule.no_end_date.value_or(false) ? ";open" : ";");
}

std::string TextKey(const std::vector<const CICalLine*>& lines) {
    std::string key;
    for (const CICalLine* line : lines)
        key += UnescapeText(line->Value()) + "\n";
    return key;
}

std::vector<std::string> CategoryKey(const CContentComponent& event) {
    std::vector<std::string> categories;
    for (const CICalLine* line : LinesNamed(event, "CATEGORIES")) {
        for (std::string& category : SplitCategories(line->Value()))
            categories.push_back(std::move(category));
    }
    return categories;
}

std::string UpperValue(const CICalLine* line, std::string_view absent) {
    std::string value(line ? platform::TrimWhitespace(line->Value()) : absent);
    for (char& c : value)
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return value;
}

// High, normal or low, as the reader maps PRIORITY (absent and 0 leave it normal).
char PriorityClass(const CICalLine* line) {
    const std::string value = UpperValue(line, "0");
    if (value.size() != 1 || value[0] < '1' || value[0] > '9' || value[0] == '5')
        return 'N';
    return value[0] < '5' ? 'H' : 'L';
}

std::string BusyKey(const CContentComponent& event) {
    const std::string transp = UpperValue(event.Find("TRANSP"), "OPAQUE");
    const CICalLine* busy = event.Find("X-MICROSOFT-CDO-BUSYSTATUS");
    return busy ? UpperValue(busy, "") : (transp == "TRANSPARENT" ? "FREE" : "BUSY");
}

// True when the server's lines of `name` say what the written ones say.
bool MeansTheSame(std::string_view name, const CContentComponent& server, const Zones& server_zones,
                  const CContentComponent& written, const Zones& written_zones) {
    const auto same = [&](auto key) { return key(server, server_zones) == key(written, written_zones); };
    if (name == "DTSTART")
        return same(StartKey);
    if (name == "DTEND" || name == "DURATION")
        return same(EndKey);
    if (name == "RECURRENCE-ID")
        return same(OccurrenceKey);
    if (name == "EXDATE")
        return same(DeletedKeys);
    if (name == "RRULE") {
        const CICalLine* start = written.Find("DTSTART");
        const platform::DateTime wall =
            start ? ParseDateTimeParts(start->Value()).value : platform::DateTime::Invalid();
        const std::string zone = start ? IanaZoneOf(TzidOf(*start)) : std::string();
        return RuleKey(server, wall, zone) == RuleKey(written, wall, zone);
    }
    if (name == "CATEGORIES")
        return CategoryKey(server) == CategoryKey(written);
    if (name == "SUMMARY" || name == "DESCRIPTION" || name == "LOCATION")
        return TextKey(LinesNamed(server, name)) == TextKey(LinesNamed(written, name));
    if (name == "PRIORITY")
        return PriorityClass(server.Find(name)) == PriorityClass(written.Find(name));
    if (name == "CLASS")
        return UpperValue(server.Find(name), "PUBLIC") == UpperValue(written.Find(name), "PUBLIC");
    if (name == "TRANSP" || name == "X-MICROSOFT-CDO-BUSYSTATUS")
        return BusyKey(server) == BusyKey(written);
    return false;  // DTSTAMP, LAST-MODIFIED: always the writer's
}

bool IsTimeOrRule(std::string_view name) {
    return name == "DTSTART" || name == "DTEND" || name == "DURATION" || name == "RRULE" || name == "EXDATE";
}

std::string HeadOf(const CICalLine& line,
                   const std::vector<std::pair<std::string, std::string>>& parameters) {
    std::string head = line.Name();
    for (const auto& [key, value] : parameters)
        head += ";" + (key.empty() ? value : key + "=" + value);
    return head + ":";
}

ContentLine Rebuilt(const CICalLine& line, std::vector<std::pair<std::string, std::string>> parameters) {
    const std::string head = HeadOf(line, parameters);
    std::optional<CICalLine> parsed = CICalLine::Parse(head + line.Value());
    return {FoldLine(head, line.Value()), parsed ? *parsed : line};
}

bool IsAnswerParameter(std::string_view key) {
    return std::any_of(std::begin(kAnswerParameters), std::end(kAnswerParameters),
                       [&](std::string_view answer) { return platform::EqualsIgnoreAsciiCase(key, answer); });
}

// The server's attendee line with the written answer in it.
ContentLine WithAnswer(const ContentLine& server, const CICalLine& written) {
    std::vector<std::pair<std::string, std::string>> parameters;
    for (const auto& parameter : server.line.Parameters()) {
        if (!IsAnswerParameter(parameter.first))
            parameters.push_back(parameter);
    }
    for (const auto& parameter : written.Parameters()) {
        if (IsAnswerParameter(parameter.first))
            parameters.push_back(parameter);
    }
    return Rebuilt(server.line, std::move(parameters));
}

void MergeAttendees(const CContentComponent& written, std::vector<ContentLine>* merged) {
    // A changed occurrence without attendees of its own follows its series; the store gives every
    // occurrence the series' recipients.
    const bool follows_series = written.Find("RECURRENCE-ID") != nullptr &&
                                std::none_of(merged->begin(), merged->end(), [](const auto& l) {
                                    return l.line.HasName("ATTENDEE") || l.line.HasName("ORGANIZER");
                                });
    if (follows_series)
        return;
    std::vector<ContentLine> added;
    for (const ContentLine& line : written.Properties()) {
        if (!line.line.HasName("ATTENDEE") && !line.line.HasName("ORGANIZER"))
            continue;
        const std::string address = CEventAttendees::AddressOf(line.line.Value());
        const auto match = std::find_if(merged->begin(), merged->end(), [&](const ContentLine& server) {
            return server.line.HasName(line.line.Name()) &&
                   platform::EqualsIgnoreAsciiCase(CEventAttendees::AddressOf(server.line.Value()), address);
        });
        if (match == merged->end()) {
            // One organizer: the server's stays.
            if (line.line.HasName("ATTENDEE") ||
                std::none_of(merged->begin(), merged->end(),
                             [](const auto& l) { return l.line.HasName("ORGANIZER"); }))
                added.push_back(line);
        } else if (line.line.HasName("ATTENDEE") && !line.line.GetParameter("PARTSTAT").empty() &&
                   !platform::EqualsIgnoreAsciiCase(line.line.GetParameter("PARTSTAT"),
                                                    match->line.GetParameter("PARTSTAT"))) {
            *match = WithAnswer(*match, line.line);
        }
    }
    merged->insert(merged->end(), added.begin(), added.end());
}

ContentLine SequenceLine(long number) {
    const std::string text = "SEQUENCE:" + std::to_string(number);
    return {text + "\r\n", *CICalLine::Parse(text)};
}

// The first VALARM is the store's reminder; it keeps its form when its trigger gives the same minutes.
void MergeAlarms(const CContentComponent& written, const Zones& zones, CContentComponent* server) {
    const auto is_alarm = [](const CContentComponent& c) { return c.HasName("VALARM"); };
    auto& alarms = server->Children();
    const auto first = std::find_if(alarms.begin(), alarms.end(), is_alarm);
    const auto mine = std::find_if(written.Children().begin(), written.Children().end(), is_alarm);
    if (mine == written.Children().end()) {
        if (first != alarms.end())
            alarms.erase(first);
        return;
    }
    if (first == alarms.end()) {
        alarms.push_back(*mine);
        return;
    }
    const auto trigger = std::find_if(mine->Properties().begin(), mine->Properties().end(),
                                      [](const ContentLine& line) { return line.line.HasName("TRIGGER"); });
    const CICalLine* theirs = first->Find("TRIGGER");
    if (trigger == mine->Properties().end())
        return;
    const CICalLine* start = server->Find("DTSTART");
    const platform::DateTime start_utc =
        start ? UtcOf(InstantOf(*start, start->Value(), zones)) : platform::DateTime::Invalid();
    const platform::DateTime end_utc = UtcOf(EndOf(*server, zones));
    const std::optional<int> wanted = ReminderMinutesFromTrigger(trigger->line, start_utc, end_utc);
    if (theirs != nullptr && wanted && ReminderMinutesFromTrigger(*theirs, start_utc, end_utc) == wanted)
        return;
    auto& lines = first->Properties();
    std::erase_if(lines, [](const ContentLine& line) { return line.line.HasName("TRIGGER"); });
    lines.insert(lines.begin(), *trigger);
}

void MergeEvent(const CContentComponent& written, const Zones& written_zones, const Zones& server_zones,
                CContentComponent* server) {
    const std::vector<std::string_view>& owned = OwnedEventProperties();
    bool time_changed = false;
    std::vector<ContentLine> merged;
    std::set<std::string_view> placed;
    const auto place = [&](std::string_view name) {
        if (!placed.insert(name).second)
            return;
        const bool same = MeansTheSame(name, *server, server_zones, written, written_zones);
        time_changed = time_changed || (!same && IsTimeOrRule(name));
        const CContentComponent& source = same ? *server : written;
        for (const ContentLine& line : source.Properties()) {
            if (line.line.HasName(name))
                merged.push_back(line);
        }
    };
    for (const ContentLine& line : server->Properties()) {
        const auto name = std::find_if(owned.begin(), owned.end(),
                                       [&](std::string_view n) { return line.line.HasName(n); });
        if (name != owned.end())
            place(*name);
        else if (!line.line.HasName("SEQUENCE"))
            merged.push_back(line);
    }
    for (std::string_view name : owned)
        place(name);
    MergeAttendees(written, &merged);

    long sequence = 0;
    const CICalLine* old_sequence = server->Find("SEQUENCE");
    if (old_sequence != nullptr) {
        const std::string_view digits = platform::TrimWhitespace(old_sequence->Value());
        for (std::size_t i = 0; i < digits.size() && i < 9 && digits[i] >= '0' && digits[i] <= '9'; ++i)
            sequence = sequence * 10 + (digits[i] - '0');
    }
    if (old_sequence != nullptr || time_changed)
        merged.push_back(SequenceLine(time_changed ? sequence + 1 : sequence));
    server->Properties() = std::move(merged);
    MergeAlarms(written, server_zones, server);
}

std::vector<CTimeZoneDefinition> ZonesOf(std::string_view text) {
    return CTimeZoneDefinition::ParseAll(text);
}

}  // namespace

const std::vector<std::string_view>& OwnedEventProperties() {
    static const std::vector<std::string_view> kOwned = {
        "DTSTART", "DTEND",       "DURATION", "RECURRENCE-ID", "RRULE",  "EXDATE",
        "SUMMARY", "DESCRIPTION", "LOCATION", "PRIORITY",      "TRANSP", "X-MICROSOFT-CDO-BUSYSTATUS",
        "CLASS",   "CATEGORIES",  "DTSTAMP",  "LAST-MODIFIED"};
    return kOwned;
}

std::string MergeWrittenEvent(std::string_view server_text, std::string_view written_text) {
    std::optional<CContentComponent> server = CContentComponent::Parse(server_text);
    const std::optional<CContentComponent> written = CContentComponent::Parse(written_text);
    const auto is_event = [](const CContentComponent& c) { return c.HasName("VEVENT"); };
    if (!server || !written || !server->HasName("VCALENDAR") ||
        std::none_of(server->Children().begin(), server->Children().end(), is_event)) {
        return std::string(written_text);
    }
    const Zones server_zones = ZonesOf(server_text);
    const Zones written_zones = ZonesOf(written_text);
    auto& children = server->Children();

    std::set<std::string> deleted;
    for (const CContentComponent& event : written->Children()) {
        if (is_event(event) && event.Find("RECURRENCE-ID") == nullptr)
            deleted = DeletedKeys(event, written_zones);
    }
    std::vector<bool> paired(children.size(), false);
    std::vector<CContentComponent> added;
    for (const CContentComponent& event : written->Children()) {
        if (!is_event(event))
            continue;
        const std::string key = OccurrenceKey(event, written_zones);
        bool found = false;
        for (std::size_t i = 0; i < children.size() && !found; ++i) {
            if (!paired[i] && is_event(children[i]) && OccurrenceKey(children[i], server_zones) == key) {
                MergeEvent(event, written_zones, server_zones, &children[i]);
                paired[i] = true;
                found = true;
            }
        }
        if (!found)
            added.push_back(event);
    }
    // An occurrence the user deleted goes with its override.
    std::vector<CContentComponent> kept;
    for (std::size_t i = 0; i < children.size(); ++i) {
        if (paired[i] || !is_event(children[i]) ||
            !deleted.contains(OccurrenceKey(children[i], server_zones)))
            kept.push_back(std::move(children[i]));
    }
    // Zones the written text names and the server text lacks go before the events.
    std::vector<CContentComponent> zones;
    for (const CContentComponent& zone : written->Children()) {
        const CICalLine* tzid = zone.Find("TZID");
        if (!zone.HasName("VTIMEZONE") || tzid == nullptr)
            continue;
        const bool known = std::any_of(kept.begin(), kept.end(), [&](const CContentComponent& c) {
            const CICalLine* theirs = c.Find("TZID");
            return c.HasName("VTIMEZONE") && theirs != nullptr && theirs->Value() == tzid->Value();
        });
        if (!known)
            zones.push_back(zone);
    }
    const auto first_event = std::find_if(kept.begin(), kept.end(), is_event);
    kept.insert(first_event, zones.begin(), zones.end());
    kept.insert(kept.end(), added.begin(), added.end());
    children = std::move(kept);
    return server->ToText();
}

}  // namespace ical
