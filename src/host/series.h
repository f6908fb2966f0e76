// A recurring appointment's series as the engine sees it: its rule, zone and times, built from the
// master's record with Outlook's defaults filled in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/item_record.h"
#include "host/recurrence.h"
#include "platform/date_time.h"

namespace host {

class Series {
  public:
    // Fails: E_INVALIDARG when the record has no pattern or the pattern is one Outlook refuses.
    [[nodiscard]] static HRESULT FromRecord(const ItemRecord& master, Series* out);

    // Fills the defaults a pattern takes from its series' start (the start's weekday for a weekly
    // rule, its day and month for monthly and yearly rules ...).
    static void FillDefaults(PropertyBag* pattern);
    // The rule a pattern bag describes, as stored (no defaults).
    static RecurrenceRule RuleOf(const PropertyBag& pattern);

    const RecurrenceRule& rule() const { return rule_; }
    std::int32_t start_minutes() const { return start_minutes_; }
    std::int32_t duration_minutes() const { return duration_minutes_; }

    // The start of the occurrence on `day` (a day of the series' own calendar), in UTC and local time.
    platform::DateTime StartUtc(std::int64_t day) const;
    platform::DateTime StartLocal(std::int64_t day) const;
    // The series' day and minute of day of a local time.
    void ToSeriesTime(const platform::DateTime& local, std::int64_t* day, std::int32_t* minutes) const;

    // Occurrence days from `from_day` to `to_day` (inclusive), at most `limit` of them.
    [[nodiscard]] HRESULT Days(std::int64_t from_day, std::int64_t to_day, std::size_t limit,
                               std::vector<std::int64_t>* out) const;
    // Whether the pattern has an occurrence on `day`.
    bool HasDay(std::int64_t day) const;
    // The first occurrence day. False when the series has none.
    bool FirstDay(std::int64_t* day) const;

  private:
    RecurrenceRule rule_;
    std::string zone_;  // Windows zone ID; "" for the process's zone
    std::int32_t start_minutes_ = 0;
    std::int32_t duration_minutes_ = 30;
};

// Wall-clock time of a Windows zone ("" or unknown: the process's zone) to UTC and back.
platform::DateTime ZoneWallToUtc(const std::string& windows_zone, const platform::DateTime& wall);
platform::DateTime ZoneUtcToWall(const std::string& windows_zone, const platform::DateTime& utc);
// The days-since-1970 of a date's calendar day, and the date of a day at a minute.
std::int64_t DayOf(const platform::DateTime& date);
platform::DateTime DateOfDay(std::int64_t day, std::int32_t minutes = 0);

}  // namespace host
