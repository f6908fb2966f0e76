#include "platform/date_time.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/scoped_time_zone.h"

namespace {

using platform::DateTime;

TEST(OleDate, KnownValues) {
    EXPECT_DOUBLE_EQ(DateTime::FromParts(1899, 12, 30).value(), 0.0);
    EXPECT_DOUBLE_EQ(DateTime::FromParts(1900, 1, 1).value(), 2.0);
    EXPECT_DOUBLE_EQ(DateTime::FromParts(2013, 4, 5, 12, 0, 0).value(), 41369.5);
    EXPECT_DOUBLE_EQ(DateTime::FromParts(1899, 12, 29, 6, 0, 0).value(), -1.25);  // time stays positive
}

TEST(OleDate, PartsRoundTripIncludingLeapDayAndWeekday) {
    platform::DateParts parts;
    ASSERT_TRUE(DateTime::FromParts(2024, 2, 29, 23, 59, 59).ToParts(&parts));
    EXPECT_EQ(std::vector<int>({parts.year, parts.month, parts.day, parts.hour, parts.minute, parts.second,
                                parts.day_of_week}),
              std::vector<int>({2024, 2, 29, 23, 59, 59, 4}));  // a Thursday
    ASSERT_TRUE(DateTime::FromParts(1899, 12, 29, 6, 0, 0).ToParts(&parts));
    EXPECT_EQ(parts.day, 29);
    EXPECT_EQ(parts.hour, 6);
}

TEST(OleDate, OutOfRangePartsAreInvalid) {
    EXPECT_FALSE(DateTime::FromParts(2023, 2, 29).IsValid());
    EXPECT_FALSE(DateTime::FromParts(2024, 13, 1).IsValid());
    EXPECT_FALSE(DateTime::FromParts(2024, 1, 1, 24, 0, 0).IsValid());
    EXPECT_FALSE(DateTime::FromParts(99, 1, 1).IsValid());
    platform::DateParts parts;
    parts.year = 1;
    EXPECT_FALSE(DateTime::Invalid().ToParts(&parts));
    EXPECT_EQ(parts.year, 1);
    EXPECT_EQ(DateTime::Invalid().Format("%Y"), "");
}

TEST(OleDate, SecondsBetweenRoundsToWholeSeconds) {
    const DateTime a = DateTime::FromParts(2020, 1, 1, 0, 0, 4);
    const DateTime b = DateTime::FromParts(2020, 1, 1, 0, 0, 0);
    EXPECT_EQ(platform::SecondsBetween(a, b), 4);
    EXPECT_EQ(platform::SecondsBetween(b, a), -4);
    EXPECT_EQ(platform::SecondsBetween(DateTime::FromValue(a.value() + 0.4 / 86400), b), 4);
}

TEST(LocalTime, FollowsTheProcessZoneAcrossDaylightSaving) {
    testing_support::ScopedTimeZone zone("Europe/Berlin");
    // Winter: UTC+1; summer: UTC+2.
    EXPECT_EQ(DateTime::FromParts(2026, 1, 15, 12, 0, 0).LocalToUtc().Format("%H:%M"), "11:00");
    EXPECT_EQ(DateTime::FromParts(2026, 7, 15, 10, 0, 0).UtcToLocal().Format("%H:%M"), "12:00");
    // The day changes with the conversion.
    EXPECT_EQ(DateTime::FromParts(2026, 7, 15, 1, 0, 0).LocalToUtc().Format("%Y%m%d %H"), "20260714 23");
}

}  // namespace
