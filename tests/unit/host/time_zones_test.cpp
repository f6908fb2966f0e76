// Windows zone IDs through ICU, and wall-clock conversions around daylight-saving changes.
#include "platform/time_zones.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "support/data_rows.h"

namespace {

using platform::DateTime;

TEST(TimeZoneIds, WindowsIdsMapBothWays) {
    const auto ids = platform::WindowsZoneIds();
    EXPECT_NE(std::find(ids.begin(), ids.end(), "W. Europe Standard Time"), ids.end());
    // Zones with only an Etc/ zone behind them are listed too.
    EXPECT_NE(std::find(ids.begin(), ids.end(), "Dateline Standard Time"), ids.end());
    EXPECT_NE(std::find(ids.begin(), ids.end(), "UTC"), ids.end());
    // The lookup by ID that skips the list agrees with it, and is exact.
    EXPECT_TRUE(std::all_of(ids.begin(), ids.end(), platform::IsWindowsZoneId));
    EXPECT_FALSE(platform::IsWindowsZoneId("w. europe standard time"));
    EXPECT_FALSE(platform::IsWindowsZoneId("Europe/Berlin"));
    EXPECT_EQ(platform::IanaFromWindowsId("Pacific Standard Time"), "America/Los_Angeles");
    EXPECT_EQ(platform::IanaFromWindowsId("UTC"), "Etc/UTC");
    EXPECT_EQ(platform::IanaFromWindowsId("Nowhere Standard Time"), "");
    EXPECT_EQ(platform::IanaFromWindowsId(""), "");
    EXPECT_EQ(platform::WindowsIdFromIana("Europe/Berlin"), "W. Europe Standard Time");
    EXPECT_EQ(platform::WindowsIdFromIana("Not/AZone"), "");
}

// A refused conversion leaves its output as it was.
TEST(TimeZoneConversion, EveryRowOfWallClockTimes) {
    for (const auto& row : testing_support::ReadDataRows(VELSYNC_HOST_TEST_DATA "/zone-wall-rows.txt", 4)) {
        SCOPED_TRACE(row[0]);
        int year = 0, month = 0, day = 0, hour = 0, minute = 0;
        ASSERT_EQ(std::sscanf(row[2].c_str(), "%d-%d-%d %d:%d", &year, &month, &day, &hour, &minute), 5);
        DateTime utc = DateTime::FromParts(2000, 1, 1);
        const bool converted =
            platform::ZoneWallToUtc(row[1], DateTime::FromParts(year, month, day, hour, minute), &utc);
        EXPECT_EQ(converted ? utc.Format("%Y-%m-%d %H:%M") : "refused", row[3]);
        if (!converted) {
            EXPECT_EQ(utc.Format("%Y"), "2000");
        }
    }
    DateTime wall = DateTime::FromParts(2000, 1, 1);
    EXPECT_FALSE(platform::ZoneUtcToWall("Europe/Berlin", DateTime::Invalid(), &wall));
    EXPECT_EQ(wall.Format("%Y"), "2000");
    ASSERT_TRUE(platform::ZoneUtcToWall("America/Los_Angeles", DateTime::FromParts(2024, 7, 1, 16), &wall));
    EXPECT_EQ(wall.Format("%Y-%m-%d %H:%M"), "2024-07-01 09:00");
}

}  // namespace
