// The recurrence of a series master: its Outlook pattern, its changed occurrences and, when it came from
// the server, the RRULE line the pattern was set from.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ical/ical_line.h"
#include "outlook/com_ptr.h"
#include "outlook/recurrence_pattern.h"
#include "platform/date_time.h"

class COutlookEvent;

class COutlookEventRepeat {
  public:
    explicit COutlookEventRepeat(outlook::ComPtr<outlook::RecurrencePattern> pattern);
    virtual ~COutlookEventRepeat();

    // Ownership: owned by this object.
    outlook::RecurrencePattern* Pattern() const { return m_pattern.get(); }

    const std::vector<std::shared_ptr<COutlookEvent>>& ChangedOccurrences() const { return m_changed; }
    void AddChangedOccurrence(std::shared_ptr<COutlookEvent> occurrence);

    const std::optional<CICalLine>& RuleLine() const { return m_rule_line; }
    void SetRuleLine(CICalLine line) { m_rule_line = std::move(line); }

    // The pattern as an "RRULE:...\r\n" line (empty when nothing could be read). `all_day` types UNTIL;
    // `zone` (IANA, or "" for local time) is the zone of the pattern's start time.
    std::string GetRRuleLine(bool all_day, const std::string& zone = "") const;

    // Puts the rule line's parts into the pattern in the order Instance, RecurrenceType, Interval,
    // DayOfMonth, DayOfWeekMask, MonthOfYear, Occurrences, PatternEndDate, NoEndDate. A failed put is
    // logged and skips only that part. `series_start`, the start in the series' `zone` (IANA, or "" for
    // local time), fills what the rule leaves to DTSTART; UNTIL is read as a date of that zone.
    void ApplyRuleLine(const platform::DateTime& series_start, const std::string& zone) const;

  private:
    outlook::ComPtr<outlook::RecurrencePattern> m_pattern;
    std::vector<std::shared_ptr<COutlookEvent>> m_changed;
    std::optional<CICalLine> m_rule_line;
};
