// RRULE text from Outlook pattern parts and back.
#include <gtest/gtest.h>

#include "ical/recurrence_rule.h"
#include "test_appointments.h"

namespace {

using platform::DateTime;

class RecurrenceRuleTest : public ::testing::Test {
  protected:
    void SetUp() override { testdata::UseBerlinTime(); }
};

ical::RecurrenceRule Rule(int type, int interval, int day_of_month = 0, int mask = 0, int month = 0,
                          int instance = 0) {
    ical::RecurrenceRule rule;
    rule.recurrence_type = type;
    rule.interval = interval;
    rule.day_of_month = day_of_month;
    rule.day_of_week_mask = mask;
    rule.month_of_year = month;
    rule.instance = instance;
    rule.no_end_date = true;
    rule.occurrences = 0;
    return rule;
}

TEST_F(RecurrenceRuleTest, WritesEachPatternType) {
    struct Row {
        const char* name;
        ical::RecurrenceRule rule;
        const char* expected;
    };
    const Row rows[] = {
        {"weekly all days in order", Rule(ical::kRecursWeekly, 1, 0, 127),
         "RRULE:FREQ=WEEKLY;INTERVAL=1;BYDAY=SU,MO,TU,WE,TH,FR,SA\r\n"},
        {"yearly interval below 12", Rule(ical::kRecursYearly, 1, 1, 0, 6),
         "RRULE:FREQ=YEARLY;INTERVAL=1;BYMONTHDAY=1;BYMONTH=6\r\n"},
        // Parts that do not belong to the type are not written, whatever Outlook leaves in them.
        {"weekly ignores day of month", Rule(ical::kRecursWeekly, 1, 9, 2, 4, 3),
         "RRULE:FREQ=WEEKLY;INTERVAL=1;BYDAY=MO\r\n"},
        {"monthly ignores mask", Rule(ical::kRecursMonthly, 1, 9, 2),
         "RRULE:FREQ=MONTHLY;INTERVAL=1;BYMONTHDAY=9\r\n"},
        {"unknown type", Rule(4, 0), ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ical::WriteRRule(row.rule, {}), row.expected);
    }
}

// COUNT comes back unchanged in the round trip.
TEST_F(RecurrenceRuleTest, WritesEndAsTypedUntil) {
    ical::RecurrenceRule rule = Rule(ical::kRecursDaily, 1);
    rule.no_end_date = false;
    rule.pattern_end_date = DateTime::FromParts(2024, 7, 31);
    ical::SeriesTiming timing;
    timing.start_time = DateTime::FromParts(1899, 12, 30, 0, 30, 0);
    // The last occurrence starts 2024-07-31 00:30 in Berlin, 2024-07-30 22:30 UTC: a date-only UNTIL
    // written as UTC would lose it.
    EXPECT_EQ(ical::WriteRRule(rule, timing), "RRULE:FREQ=DAILY;INTERVAL=1;UNTIL=20240730T223000Z\r\n");
    timing.all_day = true;
    EXPECT_EQ(ical::WriteRRule(rule, timing), "RRULE:FREQ=DAILY;INTERVAL=1;UNTIL=20240731\r\n");

    rule.no_end_date = true;
    EXPECT_EQ(ical::WriteRRule(rule, timing), "RRULE:FREQ=DAILY;INTERVAL=1\r\n");
    // A part whose read failed is left out.
    rule.interval.reset();
    EXPECT_EQ(ical::WriteRRule(rule, timing), "RRULE:FREQ=DAILY\r\n");
}

TEST_F(RecurrenceRuleTest, ReadsEachRule) {
    const DateTime start = DateTime::FromParts(2024, 1, 9, 10, 0, 0);  // a Tuesday
    struct Row {
        const char* name;
        const char* value;
        std::optional<int> type, interval, day_of_month, mask, month, instance, occurrences;
        std::optional<bool> no_end;
    };
    const Row rows[] = {
        {"weekly", "FREQ=WEEKLY;INTERVAL=2;BYDAY=MO,WE", 1, 2, {}, 2 | 8, {}, {}, {}, true},
        {"weekly takes the start's day", "FREQ=WEEKLY", 1, {}, {}, 4, {}, {}, {}, true},
        {"monthly takes the start's day", "FREQ=MONTHLY;COUNT=5", 2, {}, 9, {}, {}, {}, 5, {}},
        {"second tuesday by ordinal", "FREQ=MONTHLY;BYDAY=2TU", 3, {}, {}, 4, {}, 2, {}, true},
        {"last friday", "FREQ=MONTHLY;BYDAY=-1FR", 3, {}, {}, 32, {}, 5, {}, true},
        {"last by setpos", "FREQ=MONTHLY;BYDAY=MO,TU,WE,TH,FR;BYSETPOS=-1", 3, {}, {}, 62, {}, 5, {}, true},
        {"yearly takes month and day", "FREQ=YEARLY", 5, {}, 9, {}, 1, {}, {}, true},
        {"year nth", "FREQ=YEARLY;BYDAY=-1SU;BYMONTH=10", 6, {}, {}, 1, 10, 5, {}, true},
        {"lower case keys", "freq=daily;interval=3", 0, 3, {}, {}, {}, {}, {}, true},
        {"unknown parts ignored", "FREQ=DAILY;WKST=MO;X-FOO=1;=3;NOEQUALS", 0, {}, {}, {}, {}, {}, {}, true},
        {"unknown freq", "FREQ=HOURLY;INTERVAL=2", {}, 2, {}, {}, {}, {}, {}, true},
        {"bad numbers ignored", "FREQ=DAILY;INTERVAL=0;COUNT=-1;BYMONTH=13", 0, {}, {}, {}, {}, {}, {}, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const ical::RecurrenceRule rule = ical::ParseRRule(row.value, start, "");
        EXPECT_EQ(rule.recurrence_type, row.type);
        EXPECT_EQ(rule.interval, row.interval);
        EXPECT_EQ(rule.day_of_month, row.day_of_month);
        EXPECT_EQ(rule.day_of_week_mask, row.mask);
        EXPECT_EQ(rule.month_of_year, row.month);
        EXPECT_EQ(rule.instance, row.instance);
        EXPECT_EQ(rule.occurrences, row.occurrences);
        EXPECT_EQ(rule.no_end_date, row.no_end);
    }
}

TEST_F(RecurrenceRuleTest, ReadsUntilInLocalTime) {
    const DateTime start = DateTime::FromParts(2024, 1, 1, 0, 30, 0);
    // 23:30 UTC on the 30th is 00:30 on the 31st in Berlin: the pattern ends on the 31st.
    auto rule = ical::ParseRRule("FREQ=DAILY;UNTIL=20240730T223000Z", start, "");
    ASSERT_TRUE(rule.pattern_end_date.has_value());
    EXPECT_EQ(rule.pattern_end_date->Format("%Y%m%d %H%M"), "20240731 0000");
    EXPECT_FALSE(rule.no_end_date.has_value());
    rule = ical::ParseRRule("FREQ=DAILY;UNTIL=20240731", start, "");
    EXPECT_EQ(rule.pattern_end_date->Format("%Y%m%d"), "20240731");
    // One second before the last start on the 31st (as Google writes it): the 31st is not included.
    rule = ical::ParseRRule("FREQ=DAILY;UNTIL=20240730T222959Z", start, "");
    EXPECT_EQ(rule.pattern_end_date->Format("%Y%m%d"), "20240730");
    // COUNT wins over UNTIL (a rule may not have both; Outlook keeps one end).
    rule = ical::ParseRRule("FREQ=DAILY;COUNT=3;UNTIL=20240731", start, "");
    EXPECT_EQ(rule.occurrences, 3);
    EXPECT_FALSE(rule.pattern_end_date.has_value());
    rule = ical::ParseRRule("FREQ=DAILY;UNTIL=garbage", start, "");
    EXPECT_EQ(rule.no_end_date, true);
}

}  // namespace
