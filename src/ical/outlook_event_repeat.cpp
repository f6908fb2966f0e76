#include "ical/outlook_event_repeat.h"

#include "ical/outlook_event.h"
#include "ical/recurrence_rule.h"
#include "settings/log.h"

namespace {

template <class T>
std::optional<T> Read(HRESULT hr, const T& value) {
    return SUCCEEDED(hr) ? std::optional<T>(value) : std::nullopt;
}

void LogPut(const char* part, HRESULT hr) {
    if (FAILED(hr))
        Log("COutlookEventRepeat::ApplyRuleLine: Failed to put %s. HRESULT: %d.", part, hr);
}

}  // namespace

COutlookEventRepeat::COutlookEventRepeat(outlook::ComPtr<outlook::RecurrencePattern> pattern)
    : m_pattern(std::move(pattern)) {}

COutlookEventRepeat::~COutlookEventRepeat() = default;

void COutlookEventRepeat::AddChangedOccurrence(std::shared_ptr<COutlookEvent> occurrence) {
    m_changed.push_back(std::move(occurrence));
}

std::string COutlookEventRepeat::GetRRuleLine(bool all_day, const std::string& zone) const {
    if (!m_pattern)
        return {};
    outlook::RecurrencePattern* pattern = m_pattern.get();
    ical::RecurrenceRule rule;
    outlook::OlRecurrenceType type = outlook::olRecursDaily;
    HRESULT hr = pattern->get_RecurrenceType(&type);
    rule.recurrence_type = Read<int>(hr, type);
    std::int32_t number = 0;
    hr = pattern->get_Interval(&number);
    rule.interval = Read<int>(hr, number);
    hr = pattern->get_DayOfMonth(&number);
    rule.day_of_month = Read<int>(hr, number);
    hr = pattern->get_DayOfWeekMask(&number);
    rule.day_of_week_mask = Read<int>(hr, number);
    hr = pattern->get_MonthOfYear(&number);
    rule.month_of_year = Read<int>(hr, number);
    hr = pattern->get_Instance(&number);
    rule.instance = Read<int>(hr, number);
    bool no_end = true;
    hr = pattern->get_NoEndDate(&no_end);
    rule.no_end_date = Read<bool>(hr, no_end);
    hr = pattern->get_Occurrences(&number);
    rule.occurrences = Read<int>(hr, number);
    platform::DateTime date;
    hr = pattern->get_PatternEndDate(&date);
    rule.pattern_end_date = Read<platform::DateTime>(hr, date);
    ical::SeriesTiming timing;
    timing.all_day = all_day;
    timing.zone = zone;
    if (FAILED(pattern->get_StartTime(&timing.start_time)))
        timing.start_time = platform::DateTime::Invalid();
    return ical::WriteRRule(rule, timing);
}

void COutlookEventRepeat::ApplyRuleLine(const platform::DateTime& series_start,
                                        const std::string& zone) const {
    if (!m_pattern || !m_rule_line)
        return;
    outlook::RecurrencePattern* pattern = m_pattern.get();
    const ical::RecurrenceRule rule = ical::ParseRRule(m_rule_line->Value(), series_start, zone);
    if (rule.instance)
        LogPut("Instance", pattern->put_Instance(*rule.instance));
    if (rule.recurrence_type)
        LogPut("RecurrenceType",
               pattern->put_RecurrenceType(static_cast<outlook::OlRecurrenceType>(*rule.recurrence_type)));
    // Putting the type resets the parts that type does not use; the instance is put again after it.
    if (rule.instance && rule.recurrence_type)
        LogPut("Instance", pattern->put_Instance(*rule.instance));
    if (rule.interval)
        LogPut("Interval", pattern->put_Interval(*rule.interval));
    if (rule.day_of_month)
        LogPut("DayOfMonth", pattern->put_DayOfMonth(*rule.day_of_month));
    if (rule.day_of_week_mask)
        LogPut("DayOfWeekMask", pattern->put_DayOfWeekMask(*rule.day_of_week_mask));
    if (rule.month_of_year)
        LogPut("MonthOfYear", pattern->put_MonthOfYear(*rule.month_of_year));
    if (rule.occurrences)
        LogPut("Occurrences", pattern->put_Occurrences(*rule.occurrences));
    if (rule.pattern_end_date)
        LogPut("PatternEndDate", pattern->put_PatternEndDate(*rule.pattern_end_date));
    if (rule.no_end_date)
        LogPut("NoEndDate", pattern->put_NoEndDate(*rule.no_end_date));
}
