// VTIMEZONE records, offsets, change dates, conversion by the zone's own rules, and tzids.csv.
#include <gtest/gtest.h>

#include <cstdio>

#include "ical/time_zone_definition.h"
#include "ical/tzid_map.h"
#include "ical/zone_resolver.h"
#include "platform/file_system.h"
#include "settings/module_info.h"
#include "support/data_rows.h"
#include "support/temp_home.h"
#include "test_appointments.h"

namespace {

using platform::DateTime;

// A VTIMEZONE of tests/data/ical/zones.
std::string Zone(const std::string& file) {
    return testing_support::ReadFileOrEmpty(VELSYNC_ICAL_DATA "/zones/" + file);
}

std::string Utc(const DateTime& time) {
    return time.IsValid() ? time.Format("%Y%m%dT%H%M%S") : "invalid";
}

class TimeZoneTest : public ::testing::Test {
  protected:
    void SetUp() override { testdata::UseBerlinTime(); }
};

TEST_F(TimeZoneTest, ParsesEveryZoneOfAText) {
    CTimeZoneDefinition zone;
    ASSERT_TRUE(zone.Parse(Zone("new-york.ics")));
    EXPECT_EQ(zone.Tzid(), "America/New_York");
    const auto zones = CTimeZoneDefinition::ParseAll(Zone("new-york.ics") + Zone("kolkata.ics"));
    ASSERT_EQ(zones.size(), 2u);
    EXPECT_EQ(zones[0].Tzid(), "America/New_York");
    EXPECT_EQ(zones[1].Tzid(), "Asia/Kolkata");
    // The later observance without a rule does not inherit the older one's.
    ASSERT_TRUE(zone.Parse(Zone("sao-paulo.ics")));
    EXPECT_EQ(zone.Standard().dtstart, "20190217T000000");
    EXPECT_EQ(zone.Standard().freq, "");
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

TEST_F(TimeZoneTest, OffsetsOfEveryRow) {
    for (const auto& row : testing_support::ReadDataRows(VELSYNC_ICAL_DATA "/offset-rows.txt", 2)) {
        SCOPED_TRACE(row[0]);
        int minutes = 99;
        if (row[1] == "refused") {
            EXPECT_FALSE(ParseOffsetMinutes(row[0], &minutes));
            EXPECT_EQ(minutes, 99);
        } else {
            EXPECT_EQ(OffsetMinutes(row[0]), std::stoi(row[1]));
        }
    }
}

TEST_F(TimeZoneTest, ChangeDatesOfEveryRow) {
    for (const auto& row : testing_support::ReadDataRows(VELSYNC_ICAL_DATA "/transition-rows.txt", 6)) {
        SCOPED_TRACE(row[0]);
        const TimeZoneObservance observance{"19961027T030000", row[1], "", row[2], row[3], row[4], "+0100"};
        TransitionDate date{9, 9, 9};
        const bool read = TransitionFromObservance(observance, &date);
        EXPECT_EQ(read ? std::to_string(date.month) + " " + std::to_string(date.day_of_week) + " " +
                             std::to_string(date.week)
                       : "refused " + std::to_string(date.month) + " " + std::to_string(date.week),
                  row[5]);
    }
}

// Which observances are kept shows in the conversions.
TEST_F(TimeZoneTest, ConvertsEveryRowByTheZonesOwnRules) {
    for (const auto& row : testing_support::ReadDataRows(VELSYNC_ICAL_DATA "/zone-rows.txt", 4)) {
        SCOPED_TRACE(row[0]);
        CTimeZoneDefinition zone;
        ASSERT_TRUE(zone.Parse(Zone(row[1])));
        int year = 0, month = 0, day = 0, hour = 0, minute = 0;
        ASSERT_EQ(std::sscanf(row[2].c_str(), "%4d%2d%2dT%2d%2d", &year, &month, &day, &hour, &minute), 5);
        EXPECT_EQ(Utc(zone.ToUtc(DateTime::FromParts(year, month, day, hour, minute, 0))), row[3]);
    }
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
