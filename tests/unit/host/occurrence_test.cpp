// Recurring appointments through the object model: every pattern type across a daylight-saving
// change, GetOccurrence, deleted and changed occurrences, refused patterns.
#include <cstdio>

#include "host_fixture.h"
#include "outlook/exception.h"
#include "outlook/exceptions.h"
#include "outlook/recurrence_pattern.h"
#include "outlook/time_zone.h"
#include "outlook/time_zones.h"
#include "support/data_rows.h"

namespace host_test {
namespace {

class RecurringAppointment : public HostTest {
  protected:
    // A saved series at 09:00-10:00 local from `first`, shaped by `shape`.
    template <class Shape>
    ComPtr<outlook::AppointmentItem> MakeSeries(const DateTime& first, Shape shape) {
        auto appointment = NewAppointment("Series", first, first.AddSeconds(3600));
        shape(PatternOf(appointment).get());
        EXPECT_EQ(appointment->Save(), S_OK);
        return appointment;
    }
    // Ten days from `first`.
    ComPtr<outlook::AppointmentItem> DailySeries(const DateTime& first) {
        return MakeSeries(first, [](outlook::RecurrencePattern* pattern) {
            EXPECT_EQ(pattern->put_RecurrenceType(outlook::olRecursDaily), S_OK);
            EXPECT_EQ(pattern->put_Occurrences(10), S_OK);
        });
    }
    ComPtr<outlook::RecurrencePattern> PatternOf(const ComPtr<outlook::AppointmentItem>& appointment) {
        ComPtr<outlook::RecurrencePattern> pattern;
        EXPECT_EQ(appointment->GetRecurrencePattern(&pattern), S_OK);
        return pattern;
    }
    ComPtr<outlook::AppointmentItem> Occurrence(const ComPtr<outlook::RecurrencePattern>& pattern,
                                                const DateTime& start) {
        ComPtr<outlook::AppointmentItem> occurrence;
        EXPECT_EQ(pattern->GetOccurrence(start, &occurrence), S_OK) << Text(start);
        return occurrence;
    }
    ComPtr<outlook::Exception> ExceptionAt(const ComPtr<outlook::RecurrencePattern>& pattern,
                                           std::int32_t index) {
        ComPtr<outlook::Exception> exception;
        EXPECT_EQ(PROP(pattern, Exceptions)->Item(index, &exception), S_OK);
        return exception;
    }

    ScopedTimeZone berlin_{"Europe/Berlin"};
};

// "yyyy-mm-dd HH:MM" as a local time.
DateTime Minute(const std::string& text) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
    EXPECT_EQ(std::sscanf(text.c_str(), "%d-%d-%d %d:%d", &year, &month, &day, &hour, &minute), 5) << text;
    return DateTime::FromParts(year, month, day, hour, minute);
}

TEST_F(RecurringAppointment, EveryTypeKeepsItsLocalTimeAcrossTheChangeToSummerTime) {
    for (const auto& row : testing_support::ReadDataRows(VELSYNC_HOST_TEST_DATA "/occurrence-rows.txt", 6)) {
        SCOPED_TRACE(row[0]);
        std::int32_t type = 0;
        std::int32_t parts[5] = {};
        ASSERT_EQ(std::sscanf(row[1].c_str(), "%d %d %d %d %d %d", &type, &parts[0], &parts[1], &parts[2],
                              &parts[3], &parts[4]),
                  6);
        const DateTime first = Minute(row[2]);
        const DateTime after = Minute(row[3]);
        auto series = MakeSeries(first, [&](outlook::RecurrencePattern* pattern) {
            EXPECT_EQ(pattern->put_RecurrenceType(static_cast<outlook::OlRecurrenceType>(type)), S_OK);
            using Put = HRESULT (outlook::RecurrencePattern::*)(std::int32_t);
            const Put puts[] = {
                &outlook::RecurrencePattern::put_Interval, &outlook::RecurrencePattern::put_DayOfMonth,
                &outlook::RecurrencePattern::put_DayOfWeekMask, &outlook::RecurrencePattern::put_MonthOfYear,
                &outlook::RecurrencePattern::put_Instance};
            for (int i = 0; i < 5; ++i) {
                if (parts[i] != 0) {
                    EXPECT_EQ((pattern->*puts[i])(parts[i]), S_OK);
                }
            }
            EXPECT_EQ(pattern->put_Occurrences(10), S_OK);
        });
        EXPECT_EQ(PROP(series, RecurrenceState), outlook::olApptMaster);
        EXPECT_EQ(Text(PROP(series, Start)), Text(first));

        auto pattern = PatternOf(series);
        auto occurrence = Occurrence(pattern, after);
        ASSERT_TRUE(occurrence);
        EXPECT_EQ(Text(PROP(occurrence, Start)), Text(after));
        EXPECT_EQ(Text(PROP(occurrence, StartUTC)), row[4]);
        EXPECT_EQ(PROP(occurrence, RecurrenceState), outlook::olApptOccurrence);
        EXPECT_TRUE(PROP(occurrence, IsRecurring));
        ComPtr<outlook::RecurrencePattern> none;
        EXPECT_EQ(occurrence->GetRecurrencePattern(&none), outlook::MAPI_E_NO_SUPPORT);

        // A date alone finds the occurrence of that day; a wrong time or day finds nothing.
        platform::DateParts day;
        ASSERT_TRUE(after.ToParts(&day));
        Occurrence(pattern, DateTime::FromParts(day.year, day.month, day.day));
        EXPECT_EQ(pattern->GetOccurrence(after.AddSeconds(3600), &occurrence), outlook::MAPI_E_NOT_FOUND);
        EXPECT_EQ(pattern->GetOccurrence(Minute(row[5]), &occurrence), outlook::MAPI_E_NOT_FOUND);
        ASSERT_EQ(series->Delete(), S_OK);
    }
}

TEST_F(RecurringAppointment, DeletedAndChangedOccurrencesBecomeExceptions) {
    auto series = DailySeries(DateTime::FromParts(2024, 10, 21, 9));
    auto pattern = PatternOf(series);
    ASSERT_EQ(Occurrence(pattern, DateTime::FromParts(2024, 10, 22, 9))->Delete(), S_OK);
    ComPtr<outlook::AppointmentItem> gone;
    EXPECT_EQ(pattern->GetOccurrence(DateTime::FromParts(2024, 10, 22, 9), &gone), outlook::MAPI_E_NOT_FOUND);

    // After the change back to winter time (27 October) the occurrence still starts at 09:00.
    auto moved = Occurrence(pattern, DateTime::FromParts(2024, 10, 28, 9));
    ASSERT_EQ(moved->put_Subject("Moved"), S_OK);
    ASSERT_EQ(moved->put_Start(DateTime::FromParts(2024, 10, 28, 14)), S_OK);
    ASSERT_EQ(moved->Save(), S_OK);
    EXPECT_EQ(PROP(moved, RecurrenceState), outlook::olApptException);

    // Another session sees both exceptions, in the order of their original dates.
    series = moved = nullptr;
    pattern = nullptr;
    Open();
    auto master = FirstAppointment();
    EXPECT_EQ(PROP(master, Subject), "Series");
    pattern = PatternOf(master);
    ASSERT_EQ(PROP(PROP(pattern, Exceptions), Count), 2);
    auto first = ExceptionAt(pattern, 1);
    EXPECT_TRUE(PROP(first, Deleted));
    EXPECT_EQ(Text(PROP(first, OriginalDate)), "2024-10-22 09:00:00");
    EXPECT_FALSE(PROP(first, AppointmentItem));

    auto second = ExceptionAt(pattern, 2);
    EXPECT_FALSE(PROP(second, Deleted));
    EXPECT_EQ(Text(PROP(second, OriginalDate)), "2024-10-28 09:00:00");
    auto changed = PROP(second, AppointmentItem);
    ASSERT_TRUE(changed);
    EXPECT_EQ(PROP(changed, Subject), "Moved");
    EXPECT_EQ(Text(PROP(changed, Start)), "2024-10-28 14:00:00");
    EXPECT_EQ(PROP(changed, GlobalAppointmentID), PROP(master, GlobalAppointmentID));
    EXPECT_EQ(PROP(pattern, Exceptions)->Item(3, &second), outlook::DISP_E_BADINDEX);
}

TEST_F(RecurringAppointment, PatternsOutlookRejectsAreRefusedWithAStatus) {
    auto appointment =
        NewAppointment("Bad", DateTime::FromParts(2024, 4, 1, 9), DateTime::FromParts(2024, 4, 1, 10));
    auto pattern = PatternOf(appointment);
    EXPECT_EQ(pattern->put_Interval(0), E_INVALIDARG);
    EXPECT_EQ(pattern->put_Instance(6), E_INVALIDARG);
    EXPECT_EQ(pattern->put_DayOfWeekMask(128), E_INVALIDARG);
    EXPECT_EQ(pattern->put_Occurrences(0), E_INVALIDARG);
    EXPECT_EQ(pattern->put_RecurrenceType(static_cast<outlook::OlRecurrenceType>(4)), E_INVALIDARG);

    ASSERT_EQ(pattern->put_RecurrenceType(outlook::olRecursYearly), S_OK);
    ASSERT_EQ(pattern->put_MonthOfYear(4), S_OK);
    ASSERT_EQ(pattern->put_DayOfMonth(31), S_OK);
    EXPECT_EQ(appointment->Save(), E_INVALIDARG);
    EXPECT_EQ(CountOf(Folder(outlook::olFolderCalendar).get()), 0);

    ASSERT_EQ(pattern->put_DayOfMonth(30), S_OK);
    ASSERT_EQ(appointment->Save(), S_OK);
    Occurrence(pattern, DateTime::FromParts(2025, 4, 30, 9));
    ComPtr<outlook::AppointmentItem> occurrence;
    EXPECT_EQ(pattern->GetOccurrence(DateTime::Invalid(), &occurrence), E_INVALIDARG);
}

TEST_F(RecurringAppointment, ParserOrderOfPutsKeepsInstanceAndYearlyIntervalInYears) {
    auto series = MakeSeries(DateTime::FromParts(2024, 1, 9, 9), [](outlook::RecurrencePattern* pattern) {
        // BYSETPOS before FREQ, as a rule parser puts them.
        EXPECT_EQ(pattern->put_Instance(2), S_OK);
        EXPECT_EQ(pattern->put_RecurrenceType(outlook::olRecursMonthNth), S_OK);
        EXPECT_EQ(pattern->put_DayOfWeekMask(outlook::olTuesday), S_OK);
    });
    auto pattern = PatternOf(series);
    EXPECT_EQ(PROP(pattern, Instance), 2);
    EXPECT_TRUE(PROP(pattern, NoEndDate));

    ASSERT_EQ(pattern->put_RecurrenceType(outlook::olRecursYearly), S_OK);
    ASSERT_EQ(pattern->put_Interval(2), S_OK);
    EXPECT_EQ(PROP(pattern, Interval), 24);
    EXPECT_EQ(PROP(pattern, Instance), 0);
}

TEST_F(RecurringAppointment, WeeklySeriesStartsOnItsFirstOccurrence) {
    auto series = MakeSeries(DateTime::FromParts(2024, 6, 3, 9), [](outlook::RecurrencePattern* pattern) {
        EXPECT_EQ(pattern->put_RecurrenceType(outlook::olRecursWeekly), S_OK);
        EXPECT_EQ(pattern->put_DayOfWeekMask(outlook::olWednesday), S_OK);
        EXPECT_EQ(pattern->put_PatternEndDate(DateTime::FromParts(2024, 6, 30)), S_OK);
    });
    EXPECT_EQ(Text(PROP(series, Start)), "2024-06-05 09:00:00");  // moved to the first occurrence
    EXPECT_EQ(PROP(PatternOf(series), PatternEndDate).Format("%Y-%m-%d"), "2024-06-30");
}

TEST_F(RecurringAppointment, SeriesInAnotherZoneKeepsThatZonesTimeAcrossBothChanges) {
    // 09:00 in Los Angeles every Monday. America changes to summer time on 10 March 2024, Europe on
    // 31 March: in between the meeting is an hour earlier in Berlin.
    ComPtr<outlook::TimeZones> zones;
    ASSERT_EQ(app_->get_TimeZones(&zones), S_OK);
    ComPtr<outlook::TimeZone> pacific;
    ASSERT_EQ(zones->Item(std::string("Pacific Standard Time"), &pacific), S_OK);
    ComPtr<outlook::TimeZone> missing;
    EXPECT_EQ(zones->Item(std::string("Nowhere Standard Time"), &missing), outlook::MAPI_E_NOT_FOUND);
    EXPECT_EQ(PROP(PROP(zones, CurrentTimeZone), ID), "W. Europe Standard Time");
    auto appointment = NewAppointment("Call");
    ASSERT_EQ(appointment->put_StartTimeZone(pacific.get()), S_OK);
    EXPECT_EQ(appointment->put_StartTimeZone(nullptr), E_INVALIDARG);
    ASSERT_EQ(appointment->put_StartInStartTimeZone(DateTime::FromParts(2024, 3, 4, 9)), S_OK);
    EXPECT_EQ(Text(PROP(appointment, Start)), "2024-03-04 18:00:00");
    EXPECT_EQ(PROP(PROP(appointment, StartTimeZone), ID), "Pacific Standard Time");
    auto pattern = PatternOf(appointment);
    ASSERT_EQ(pattern->put_Occurrences(6), S_OK);
    ASSERT_EQ(appointment->Save(), S_OK);

    const struct {
        DateTime local;
        const char* utc;
    } rows[] = {
        {DateTime::FromParts(2024, 3, 4, 18), "2024-03-04 17:00:00"},
        {DateTime::FromParts(2024, 3, 11, 17), "2024-03-11 16:00:00"},
        {DateTime::FromParts(2024, 4, 1, 18), "2024-04-01 16:00:00"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(Text(row.local));
        auto occurrence = Occurrence(pattern, row.local);
        ASSERT_TRUE(occurrence);
        EXPECT_EQ(Text(PROP(occurrence, StartUTC)), row.utc);
        EXPECT_EQ(PROP(occurrence, StartInStartTimeZone).Format("%H:%M"), "09:00");
    }
}

TEST_F(RecurringAppointment, ChangingThePatternDropsExceptionsItNoLongerHas) {
    auto series = DailySeries(DateTime::FromParts(2024, 5, 6, 9));
    auto pattern = PatternOf(series);
    ASSERT_EQ(Occurrence(pattern, DateTime::FromParts(2024, 5, 7, 9))->Delete(), S_OK);
    ASSERT_EQ(Occurrence(pattern, DateTime::FromParts(2024, 5, 8, 9))->Delete(), S_OK);

    // Every second day from the 6th: the 8th is still an occurrence, the 7th is not.
    ASSERT_EQ(pattern->put_Interval(2), S_OK);
    ASSERT_EQ(series->Save(), S_OK);
    ASSERT_EQ(PROP(PROP(pattern, Exceptions), Count), 1);
    EXPECT_EQ(Text(PROP(ExceptionAt(pattern, 1), OriginalDate)), "2024-05-08 09:00:00");
    ComPtr<outlook::AppointmentItem> occurrence;
    EXPECT_EQ(pattern->GetOccurrence(DateTime::FromParts(2024, 5, 8, 9), &occurrence),
              outlook::MAPI_E_NOT_FOUND);
}

TEST_F(RecurringAppointment, OccurrenceOfADeletedSeriesCannotBeSaved) {
    auto series = DailySeries(DateTime::FromParts(2024, 5, 6, 9));
    auto occurrence = Occurrence(PatternOf(series), DateTime::FromParts(2024, 5, 9, 9));
    ASSERT_EQ(series->Delete(), S_OK);
    ASSERT_EQ(occurrence->put_Subject("Orphan"), S_OK);
    EXPECT_EQ(occurrence->Save(), outlook::MAPI_E_OBJECT_DELETED);
    EXPECT_EQ(occurrence->ClearRecurrencePattern(), outlook::MAPI_E_NO_SUPPORT);
}

}  // namespace
}  // namespace host_test
