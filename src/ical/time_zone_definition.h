// A VTIMEZONE component reduced to its latest STANDARD and DAYLIGHT observances, and the conversion of
// wall-clock values in that zone by those rules.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/date_time.h"

// One observance as text: DTSTART as written, the FREQ, INTERVAL, BYDAY and BYMONTH parts of its RRULE,
// and the first five characters of TZOFFSETFROM and TZOFFSETTO.
struct TimeZoneObservance {
    std::string dtstart;
    std::string freq;
    std::string interval;
    std::string byday;
    std::string bymonth;
    std::string tzoffsetfrom;
    std::string tzoffsetto;
};

// The yearly change date in the layout of SYSTEMTIME inside TIME_ZONE_INFORMATION: month, day of week
// (0 Sunday .. 6 Saturday) and week of the month (1..4, 5 the last).
struct TransitionDate {
    int month = 0;
    int day_of_week = 0;
    int week = 0;
};

class CTimeZoneDefinition {
  public:
    // Reads the first VTIMEZONE of an iCalendar text. False when there is none, or when a line stands
    // where it is not allowed (TZID inside STANDARD, a nested STANDARD ...); what was stored before the
    // fault is kept. Of several observances of a kind, the one with the latest DTSTART date is kept.
    bool Parse(std::string_view text);

    // Every VTIMEZONE of the text, in order (at most 64), each read as Parse reads one.
    static std::vector<CTimeZoneDefinition> ParseAll(std::string_view text);

    const std::string& Tzid() const { return m_tzid; }
    const TimeZoneObservance& Standard() const { return m_standard; }
    const TimeZoneObservance& Daylight() const { return m_daylight; }

    // The UTC time of a wall-clock value of this zone: by the yearly rules when both observances have
    // them, else by the fixed offset of the latest observance. Invalid when no offset is usable.
    platform::DateTime ToUtc(const platform::DateTime& wall_clock) const;

  private:
    bool ParseLines(const std::vector<std::string>& lines, std::size_t* index);

    std::string m_tzid;
    TimeZoneObservance m_standard;
    TimeZoneObservance m_daylight;
};

// Minutes of a "+hhmm" / "-hhmm" text. False for any other form (and `minutes` untouched).
bool ParseOffsetMinutes(std::string_view text, int* minutes);

// Minutes of a TZOFFSET text: signed hh * 60 + mm for exactly five characters, else 0.
int OffsetMinutes(std::string_view text);

// The change date of a yearly observance ("FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU"). False, with `date`
// reset, when the observance has no such rule.
bool TransitionFromObservance(const TimeZoneObservance& observance, TransitionDate* date);
