// RRULE text from Outlook pattern parts and back, row by row from tests/data/ical/rrule-*-rows.txt.
#include "ical/recurrence_rule.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "support/data_rows.h"
#include "test_appointments.h"

namespace {

using platform::DateTime;

// "yyyymmddTHHMM" as a local time; invalid for "-".
DateTime Time(const std::string& text) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
    if (std::sscanf(text.c_str(), "%4d%2d%2dT%2d%2d", &year, &month, &day, &hour, &minute) != 5)
        return DateTime::Invalid();
    return DateTime::FromParts(year, month, day, hour, minute, 0);
}

std::string Text(const std::optional<int>& part) {
    return part ? std::to_string(*part) : "-";
}

std::string PartsOf(const ical::RecurrenceRule& rule) {
    return Text(rule.recurrence_type) + " " + Text(rule.interval) + " " + Text(rule.day_of_month) + " " +
           Text(rule.day_of_week_mask) + " " + Text(rule.month_of_year) + " " + Text(rule.instance) + " " +
           Text(rule.occurrences) + " " + (rule.no_end_date ? std::to_string(*rule.no_end_date) : "-") + " " +
           (rule.pattern_end_date ? rule.pattern_end_date->Format("%Y%m%dT%H%M") : "-");
}

ical::RecurrenceRule RuleOf(const std::string& parts) {
    std::istringstream words(parts);
    std::string word;
    ical::RecurrenceRule rule;
    for (std::optional<int>* part :
         {&rule.recurrence_type, &rule.interval, &rule.day_of_month, &rule.day_of_week_mask,
          &rule.month_of_year, &rule.instance, &rule.occurrences}) {
        words >> word;
        if (word != "-")
            *part = std::stoi(word);
    }
    words >> word;
    if (word != "-")
        rule.no_end_date = word == "1";
    words >> word;
    if (word != "-")
        rule.pattern_end_date = Time(word);
    EXPECT_TRUE(words) << parts;
    return rule;
}

class RecurrenceRuleTest : public ::testing::Test {
  protected:
    void SetUp() override { testdata::UseBerlinTime(); }
};

TEST_F(RecurrenceRuleTest, ReadsEveryRow) {
    for (const auto& row : testing_support::ReadDataRows(VELSYNC_ICAL_DATA "/rrule-read-rows.txt", 4)) {
        SCOPED_TRACE(row[0]);
        EXPECT_EQ(PartsOf(ical::ParseRRule(row[2], Time(row[1]), "")), row[3]);
    }
}

TEST_F(RecurrenceRuleTest, WritesEveryRow) {
    for (const auto& row : testing_support::ReadDataRows(VELSYNC_ICAL_DATA "/rrule-write-rows.txt", 4)) {
        SCOPED_TRACE(row[0]);
        ical::SeriesTiming timing;
        if (row[3] != "-") {
            timing.all_day = row[3].rfind("all-day ", 0) == 0;
            timing.start_time = Time("18991230T" + row[3].substr(timing.all_day ? 8 : 0, 2) +
                                     row[3].substr(timing.all_day ? 11 : 3, 2));
        }
        EXPECT_EQ(ical::WriteRRule(RuleOf(row[1]), timing), row[2]);
    }
}

}  // namespace
