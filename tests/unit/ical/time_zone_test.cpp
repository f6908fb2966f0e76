// VTIMEZONE records, offsets, change dates, conversion by the zone's own rules, and tzids.csv.
#include <gtest/gtest.h>

#include <fstream>

#include "ical/time_zone_definition.h"
#include "ical/tzid_map.h"
#include "ical/zone_resolver.h"
#include "platform/file_system.h"
#include "settings/module_info.h"
#include "support/temp_home.h"
#include "test_appointments.h"

namespace {

using platform::DateTime;

// The zone's rules since 2007 after an older daylight rule that ended in 2006.
const char* const kNewYork =
    "BEGIN:VCALENDAR\r\nBEGIN:VTIMEZONE\r\nTZID:America/New_York\r\n"
    "BEGIN:DAYLIGHT\r\nTZOFFSETFROM:-0500\r\nTZOFFSETTO:-0400\r\nDTSTART:19870405T020000\r\n"
    "RRULE:FREQ=YEARLY;BYMONTH=4;BYDAY=1SU;UNTIL=20060402T070000Z\r\nEND:DAYLIGHT\r\n"
    "BEGIN:STANDARD\r\nTZOFFSETFROM:-0400\r\nTZOFFSETTO:-0500\r\nDTSTART:19961027T020000\r\n"
    "RRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\r\nEND:STANDARD\r\n"
    "BEGIN:DAYLIGHT\r\nTZOFFSETFROM:-0500\r\nTZOFFSETTO:-0400\r\nDTSTART:20070311T020000\r\n"
    "RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=2SU\r\nEND:DAYLIGHT\r\n"
    "BEGIN:STANDARD\r\nTZOFFSETFROM:-0400\r\nTZOFFSETTO:-0500\r\nDTSTART:20071104T020000\r\n"
    "RRULE:FREQ=YEARLY;BYMONTH=11;BYDAY=1SU\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\nEND:VCALENDAR\r\n";

class TimeZoneTest : public ::testing::Test {
  protected:
    void SetUp() override { testdata::UseBerlinTime(); }
};

TEST_F(TimeZoneTest, KeepsTheLatestObservanceOfEachKind) {
    CTimeZoneDefinition zone;
    ASSERT_TRUE(zone.Parse(kNewYork));
    // The conversions below show that the 2007 rules are the ones kept.
    EXPECT_EQ(zone.Tzid(), "America/New_York");
    const auto zones = CTimeZoneDefinition::ParseAll(
        std::string(kNewYork) +
        "BEGIN:VTIMEZONE\r\nTZID:Asia/Kolkata\r\nBEGIN:STANDARD\r\nDTSTART:19700101T000000\r\n"
        "TZOFFSETFROM:+0530\r\nTZOFFSETTO:+0530\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n");
    ASSERT_EQ(zones.size(), 2u);
    EXPECT_EQ(zones[0].Tzid(), "America/New_York");
    EXPECT_EQ(zones[1].Tzid(), "Asia/Kolkata");
}

TEST_F(TimeZoneTest, ObservanceWithoutRuleDoesNotInheritAnOlderRule) {
    CTimeZoneDefinition zone;
    ASSERT_TRUE(
        zone.Parse("BEGIN:VTIMEZONE\r\nTZID:America/Sao_Paulo\r\n"
                   "BEGIN:STANDARD\r\nDTSTART:20180218T000000\r\nTZOFFSETFROM:-0200\r\nTZOFFSETTO:-0300\r\n"
                   "RRULE:FREQ=YEARLY;BYMONTH=2;BYDAY=3SU\r\nEND:STANDARD\r\n"
                   "BEGIN:STANDARD\r\nDTSTART:20190217T000000\r\nTZOFFSETFROM:-0200\r\nTZOFFSETTO:-0300\r\n"
                   "END:STANDARD\r\nEND:VTIMEZONE\r\n"));
    EXPECT_EQ(zone.Standard().dtstart, "20190217T000000");
    EXPECT_EQ(zone.Standard().freq, "");
    // No daylight rule any more: the fixed offset of the last observance.
    EXPECT_EQ(zone.ToUtc(DateTime::FromParts(2024, 1, 10, 9, 0, 0)).Format("%Y%m%dT%H%M%S"),
              "20240110T120000");
}

TEST_F(TimeZoneTest, MisplacedLinesEndTheParseWithWhatWasStored) {
    CTimeZoneDefinition zone;
    EXPECT_FALSE(
        zone.Parse("BEGIN:VTIMEZONE\r\nTZID:X\r\nBEGIN:STANDARD\r\nTZOFFSETTO:+0100\r\nTZID:Y\r\n"
                   "END:STANDARD\r\nEND:VTIMEZONE\r\n"));
    EXPECT_EQ(zone.Tzid(), "X");
    EXPECT_EQ(zone.Standard().tzoffsetto, "");
    CTimeZoneDefinition nested;
    EXPECT_FALSE(nested.Parse("BEGIN:VTIMEZONE\r\nBEGIN:STANDARD\r\nBEGIN:DAYLIGHT\r\nEND:DAYLIGHT\r\n"));
    CTimeZoneDefinition stray;
    EXPECT_FALSE(stray.Parse("BEGIN:VTIMEZONE\r\nDTSTART:20240101T000000\r\nEND:VTIMEZONE\r\n"));
    CTimeZoneDefinition none;
    EXPECT_FALSE(none.Parse("BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n"));
    EXPECT_TRUE(none.Tzid().empty());
}

TEST_F(TimeZoneTest, OffsetsInMinutes) {
    for (const auto& [text, minutes] :
         {std::pair{"+0530", 330}, {"-0800", -480}, {"+0000", 0}, {"+053", 0}, {"+05300", 0}}) {
        EXPECT_EQ(OffsetMinutes(text), minutes) << text;
    }
    int minutes = 99;
    for (const char* bad : {"0530x", "+05a0", "+0560"}) {
        EXPECT_FALSE(ParseOffsetMinutes(bad, &minutes)) << bad;
    }
    EXPECT_EQ(minutes, 99);
}

TEST_F(TimeZoneTest, ChangeDatesFromYearlyRules) {
    TimeZoneObservance observance{"19961027T030000", "YEARLY", "", "-1SU", "10", "+0200", "+0100"};
    TransitionDate date;
    ASSERT_TRUE(TransitionFromObservance(observance, &date));
    EXPECT_EQ(date.month, 10);
    EXPECT_EQ(date.day_of_week, 0);
    EXPECT_EQ(date.week, 5);
    observance.byday = "+1SA";
    ASSERT_TRUE(TransitionFromObservance(observance, &date));
    EXPECT_EQ(date.week, 1);
    EXPECT_EQ(date.day_of_week, 6);
    struct Row {
        const char* name;
        TimeZoneObservance observance;
    };
    const Row failing[] = {
        {"week zero", {"", "YEARLY", "", "0SU", "10", "+0200", "+0100"}},
        {"unknown day", {"", "YEARLY", "", "1XX", "10", "+0200", "+0100"}},
        {"lower-case freq", {"", "yearly", "", "1SU", "10", "+0200", "+0100"}},
        {"month 13", {"", "YEARLY", "", "1SU", "13", "+0200", "+0100"}},
        {"short offset", {"", "YEARLY", "", "1SU", "3", "+020", "+0100"}},
    };
    for (const Row& row : failing) {
        SCOPED_TRACE(row.name);
        EXPECT_FALSE(TransitionFromObservance(row.observance, &date));
        EXPECT_EQ(date.month, 0);
        EXPECT_EQ(date.week, 0);
    }
}

TEST_F(TimeZoneTest, ConvertsByTheZonesOwnRules) {
    CTimeZoneDefinition new_york;
    CTimeZoneDefinition sydney;
    ASSERT_TRUE(new_york.Parse(kNewYork));
    // Southern: daylight across the new year.
    ASSERT_TRUE(
        sydney.Parse("BEGIN:VTIMEZONE\r\nTZID:Australia/Sydney\r\n"
                     "BEGIN:STANDARD\r\nDTSTART:20080406T030000\r\nTZOFFSETFROM:+1100\r\nTZOFFSETTO:+1000\r\n"
                     "RRULE:FREQ=YEARLY;BYMONTH=4;BYDAY=1SU\r\nEND:STANDARD\r\n"
                     "BEGIN:DAYLIGHT\r\nDTSTART:20081005T020000\r\nTZOFFSETFROM:+1000\r\nTZOFFSETTO:+1100\r\n"
                     "RRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=1SU\r\nEND:DAYLIGHT\r\nEND:VTIMEZONE\r\n"));
    struct Row {
        const char* name;
        const CTimeZoneDefinition* zone;
        DateTime wall;
        const char* utc;
    };
    const Row rows[] = {
        {"winter", &new_york, DateTime::FromParts(2024, 1, 10, 9, 0, 0), "20240110T140000"},
        {"summer", &new_york, DateTime::FromParts(2024, 7, 10, 9, 0, 0), "20240710T130000"},
        {"just before spring change", &new_york, DateTime::FromParts(2024, 3, 10, 1, 59, 0),
         "20240310T065900"},
        {"after spring change", &new_york, DateTime::FromParts(2024, 3, 10, 3, 0, 0), "20240310T070000"},
        {"after autumn change", &new_york, DateTime::FromParts(2024, 11, 3, 2, 0, 0), "20241103T070000"},
        {"southern summer", &sydney, DateTime::FromParts(2024, 1, 10, 9, 0, 0), "20240109T220000"},
        {"southern winter", &sydney, DateTime::FromParts(2024, 7, 10, 9, 0, 0), "20240709T230000"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.zone->ToUtc(row.wall).Format("%Y%m%dT%H%M%S"), row.utc);
    }
}

TEST_F(TimeZoneTest, NoUsableOffsetGivesInvalid) {
    CTimeZoneDefinition zone;
    ASSERT_TRUE(
        zone.Parse("BEGIN:VTIMEZONE\r\nTZID:Broken\r\nBEGIN:STANDARD\r\nTZOFFSETTO:garbage\r\n"
                   "END:STANDARD\r\nEND:VTIMEZONE\r\n"));
    EXPECT_FALSE(zone.ToUtc(DateTime::FromParts(2024, 1, 10, 9, 0, 0)).IsValid());
}

TEST_F(TimeZoneTest, MapFileColumnsQuotesAndFirstMatch) {
    testing_support::TempHome home;
    const std::string path = home.root() + "/tzids.csv";
    testing_support::WriteFileBytes(path,
                                    "tzid,canonical,outlook_id,source\r\n"
                                    "\"Europe/Berlin\",x,\"W. Europe Standard Time\",y\r\n"
                                    "Europe/Berlin,x,Second,y\r\n"
                                    "Too/Few,x,Columns\r\n"
                                    "Unix/Ending,x,Eastern Standard Time,y\n");
    EXPECT_EQ(MapTzidInFile(path, "Europe/Berlin"), "W. Europe Standard Time");
    EXPECT_EQ(MapTzidInFile(path, "europe/berlin"), "");
    EXPECT_EQ(MapTzidInFile(path, "Too/Few"), "");
    EXPECT_EQ(MapTzidInFile(path, "Unix/Ending"), "Eastern Standard Time");
    EXPECT_EQ(MapTzidInFile(path, "tzid"), "outlook_id");
    EXPECT_EQ(MapTzidInFile(home.root() + "/missing.csv", "Europe/Berlin"), "");
    // A changed file is read again.
    testing_support::WriteFileBytes(path, "Europe/Berlin,x,Changed Zone ID,y\r\n");
    EXPECT_EQ(MapTzidInFile(path, "Europe/Berlin"), "Changed Zone ID");
}

// The reader's tests map IANA names and Outlook IDs; here an old alias.
TEST_F(TimeZoneTest, ShippedFileMapsAliases) {
    // The build puts the generated file beside this program, as beside the module.
    ASSERT_TRUE(platform::PathExists(ModuleFolder() + "/tzids.csv"));
    EXPECT_EQ(MapTzid("Asia/Calcutta"), "India Standard Time");
}

// The reader's tests resolve Outlook IDs and IANA names through the map; these are the refusals.
TEST_F(TimeZoneTest, ResolvesThroughTheMapOnlyWhenAsked) {
    testdata::Calendar calendar;
    EXPECT_FALSE(ResolveZone(calendar.app(), "Europe/Berlin", false));
    EXPECT_TRUE(ResolveZone(calendar.app(), "Europe/Berlin", true));
    EXPECT_FALSE(ResolveZone(calendar.app(), "", true));
    EXPECT_FALSE(ResolveZone(calendar.app(), "Not/AZone", true));
    EXPECT_FALSE(ResolveZone(nullptr, "UTC", true));
}

}  // namespace
