// Windows zone IDs through ICU, and wall-clock conversions around daylight-saving changes.
#include "platform/time_zones.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using platform::DateTime;

TEST(TimeZoneIds, WindowsIdsMapBothWays) {
    const auto ids = platform::WindowsZoneIds();
    EXPECT_NE(std::find(ids.begin(), ids.end(), "W. Europe Standard Time"), ids.end());
    EXPECT_EQ(platform::IanaFromWindowsId("Pacific Standard Time"), "America/Los_Angeles");
    EXPECT_EQ(platform::IanaFromWindowsId("UTC"), "Etc/UTC");
    EXPECT_EQ(platform::IanaFromWindowsId("Nowhere Standard Time"), "");
    EXPECT_EQ(platform::IanaFromWindowsId(""), "");
    EXPECT_EQ(platform::WindowsIdFromIana("Europe/Berlin"), "W. Europe Standard Time");
    EXPECT_EQ(platform::WindowsIdFromIana("Not/AZone"), "");
}

TEST(TimeZoneConversion, GapAndRepeatedHourFollowTheDocumentedChoice) {
    struct Row {
        const char* name;
        DateTime wall;
        const char* utc;
    };
    const Row rows[] = {
        {"winter", DateTime::FromParts(2024, 1, 15, 12), "2024-01-15 11:00"},
        {"summer", DateTime::FromParts(2024, 7, 15, 12), "2024-07-15 10:00"},
        {"spring-forward gap", DateTime::FromParts(2024, 3, 31, 2, 30), "2024-03-31 01:30"},
        {"repeated autumn hour", DateTime::FromParts(2024, 10, 27, 2, 30), "2024-10-27 00:30"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        DateTime utc;
        ASSERT_TRUE(platform::ZoneWallToUtc("Europe/Berlin", row.wall, &utc));
        EXPECT_EQ(utc.Format("%Y-%m-%d %H:%M"), row.utc);
    }
    DateTime wall;
    ASSERT_TRUE(platform::ZoneUtcToWall("America/Los_Angeles", DateTime::FromParts(2024, 7, 1, 16), &wall));
    EXPECT_EQ(wall.Format("%Y-%m-%d %H:%M"), "2024-07-01 09:00");
}

TEST(TimeZoneConversion, UnknownZoneOrInvalidDateIsRefusedAndTheOutputKept) {
    DateTime out = DateTime::FromParts(2000, 1, 1);
    EXPECT_FALSE(platform::ZoneWallToUtc("Mars/Olympus_Mons", DateTime::FromParts(2024, 1, 1), &out));
    EXPECT_FALSE(platform::ZoneWallToUtc("", DateTime::FromParts(2024, 1, 1), &out));
    EXPECT_FALSE(platform::ZoneUtcToWall("Europe/Berlin", DateTime::Invalid(), &out));
    EXPECT_EQ(out.Format("%Y"), "2000");
}

}  // namespace
