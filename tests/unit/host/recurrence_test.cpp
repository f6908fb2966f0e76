// The recurrence engine against golden files (RULE -> INSTANCES, or REFUSED) in tests/data/host.
#include "host/recurrence.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace host_test {
namespace {

std::int64_t ParseDay(const std::string& text) {
    int year = 0;
    int month = 0;
    int day = 0;
    EXPECT_EQ(std::sscanf(text.c_str(), "%d-%d-%d", &year, &month, &day), 3) << text;
    return host::DaysFromCivil(year, month, day);
}

std::string FormatDay(std::int64_t days) {
    int year = 0;
    int month = 0;
    int day = 0;
    host::CivilFromDays(days, &year, &month, &day);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
    return text;
}

struct GoldenCase {
    host::RecurrenceRule rule;
    std::int64_t range_from = 0;
    std::int64_t range_to = 0;
    bool has_range = false;
    bool refused = false;
    std::vector<std::string> instances;
};

GoldenCase ParseCase(const std::string& text) {
    static const std::map<std::string, outlook::OlRecurrenceType> kTypes = {
        {"DAILY", outlook::olRecursDaily},     {"WEEKLY", outlook::olRecursWeekly},
        {"MONTHLY", outlook::olRecursMonthly}, {"MONTHNTH", outlook::olRecursMonthNth},
        {"YEARLY", outlook::olRecursYearly},   {"YEARNTH", outlook::olRecursYearNth}};
    static const std::map<std::string, std::int32_t host::RecurrenceRule::*> kNumbers = {
        {"INTERVAL", &host::RecurrenceRule::interval},
        {"DAY", &host::RecurrenceRule::day_of_month},
        {"MONTH", &host::RecurrenceRule::month_of_year},
        {"INSTANCE", &host::RecurrenceRule::instance},
        {"COUNT", &host::RecurrenceRule::occurrences}};
    static const std::string kDays[] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};
    GoldenCase golden;
    host::RecurrenceRule& rule = golden.rule;
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line.rfind("RULE: ", 0), 0u) << line;
    std::istringstream parts(line.substr(6));
    for (std::string part; std::getline(parts, part, ';');) {
        const std::size_t eq = part.find('=');
        const std::string key = part.substr(0, eq);
        const std::string value = eq == std::string::npos ? "" : part.substr(eq + 1);
        rule.no_end = rule.no_end && key != "COUNT" && key != "UNTIL";
        if (kNumbers.count(key) != 0) {
            rule.*kNumbers.at(key) = std::stoi(value);
        } else if (key == "TYPE") {
            // A number stands for a type value Outlook does not have.
            const auto known = kTypes.find(value);
            rule.type = known != kTypes.end() ? known->second
                                              : static_cast<outlook::OlRecurrenceType>(std::stoi(value));
        } else if (key == "MASK") {
            for (int i = 0; i < 7; ++i)
                rule.day_of_week_mask |= value.find(kDays[i]) != std::string::npos ? 1 << i : 0;
        } else if (key == "START") {
            rule.start_day = ParseDay(value);
        } else if (key == "UNTIL") {
            rule.end_day = ParseDay(value);
        } else if (key == "RANGE") {
            golden.has_range = true;
            golden.range_from = ParseDay(value.substr(0, 10));
            golden.range_to = ParseDay(value.substr(12));
        } else if (key != "NOEND") {
            ADD_FAILURE() << "unknown part " << key;
        }
    }
    std::getline(lines, line);
    golden.refused = line == "REFUSED";
    for (std::string instance; std::getline(lines, instance);) {
        if (!instance.empty())
            golden.instances.push_back(instance);
    }
    return golden;
}

TEST(RecurrenceGolden, EveryFileExpandsOrIsRefusedAsWritten) {
    const std::string folder = VELSYNC_HOST_TEST_DATA;
    int files = 0;
    for (const std::string& name : platform::ListFiles(folder)) {
        if (name.rfind("expand-", 0) != 0 && name.rfind("refuse-", 0) != 0) {
            continue;
        }
        SCOPED_TRACE(name);
        ++files;
        std::string text;
        ASSERT_EQ(platform::ReadWholeFile(folder + "/" + name, &text), 0);
        const GoldenCase golden = ParseCase(text);
        std::vector<std::string> got;
        const HRESULT hr = host::ExpandRule(golden.rule, [&](std::int64_t day) {
            if (golden.has_range && day > golden.range_to) {
                return false;
            }
            if (!golden.has_range || day >= golden.range_from) {
                got.push_back(FormatDay(day));
            }
            return got.size() < 1000;
        });
        if (golden.refused) {
            EXPECT_EQ(hr, E_INVALIDARG);
            EXPECT_TRUE(got.empty());
            EXPECT_EQ(host::ValidateRule(golden.rule), E_INVALIDARG);
        } else {
            EXPECT_EQ(hr, S_OK);
            EXPECT_EQ(got, golden.instances);
        }
    }
    EXPECT_GE(files, 15);
}

TEST(RecurrenceBounds, EndlessSeriesStopsAfterTheMostPeriodsOrAtTheEndOfTheCalendar) {
    host::RecurrenceRule rule;
    rule.type = outlook::olRecursDaily;
    rule.start_day = host::DaysFromCivil(2000, 1, 1);
    std::int64_t visited = 0;
    EXPECT_EQ(host::ExpandRule(rule,
                               [&](std::int64_t) {
                                   ++visited;
                                   return true;
                               }),
              S_OK);
    EXPECT_EQ(visited, host::kMaxRecurrencePeriods);

    rule.type = outlook::olRecursYearly;
    rule.interval = 12;
    rule.month_of_year = 12;
    rule.day_of_month = 31;
    rule.start_day = host::DaysFromCivil(9997, 1, 1);
    std::vector<std::string> got;
    EXPECT_EQ(host::ExpandRule(rule,
                               [&](std::int64_t day) {
                                   got.push_back(FormatDay(day));
                                   return true;
                               }),
              S_OK);
    EXPECT_EQ(got, (std::vector<std::string>{"9997-12-31", "9998-12-31", "9999-12-31"}));
}

}  // namespace
}  // namespace host_test
