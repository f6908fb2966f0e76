// OLE automation dates: days since 1899-12-30 00:00 as a double, with a status, as COleDateTime keeps
// them. Values are local wall-clock time unless a caller says UTC; local time follows the process TZ.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace platform {

enum class DateStatus { Valid, Invalid, Null };

struct DateParts {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int day_of_week = 6;  // 0 Sunday .. 6 Saturday
};

class DateTime {
  public:
    DateTime() = default;
    DateTime(double value, DateStatus status) : value_(value), status_(status) {}
    static DateTime FromValue(double value) { return DateTime(value, DateStatus::Valid); }
    static DateTime Invalid() { return DateTime(0.0, DateStatus::Invalid); }
    static DateTime Null() { return DateTime(0.0, DateStatus::Null); }

    // Invalid when a part is out of range (years 100 to 9999, February 30, hour 24 ...).
    static DateTime FromParts(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
    // Seconds since 1970-01-01 00:00 taken as the same wall-clock value (no zone applied).
    static DateTime FromUnixSeconds(std::int64_t seconds);

    // The current local wall-clock time, to the second.
    static DateTime NowLocal();
    // The current UTC time, to the second.
    static DateTime NowUtc();

    double value() const { return value_; }
    DateStatus status() const { return status_; }
    bool IsValid() const { return status_ == DateStatus::Valid; }

    // The parts, rounded to whole seconds. False (and `out` untouched) when the date is not valid.
    bool ToParts(DateParts* out) const;
    // The wall-clock value as seconds since 1970-01-01 00:00, rounded to whole seconds.
    std::int64_t ToUnixSeconds() const;

    // Local wall-clock time to UTC and back, by the process time zone. A local time that falls into a
    // spring-forward gap is taken as standard time, as mktime does.
    DateTime LocalToUtc() const;
    DateTime UtcToLocal() const;

    // strftime-style text of the parts ("%Y%m%dT%H%M%SZ" prints the literal Z). Empty when not valid.
    std::string Format(const char* format) const;

    DateTime AddSeconds(std::int64_t seconds) const;

  private:
    double value_ = 0.0;
    DateStatus status_ = DateStatus::Valid;
};

// Civil calendar arithmetic (proleptic Gregorian): days counted from 1970-01-01.
std::int64_t DaysFromCivil(int year, int month, int day);
void CivilFromDays(std::int64_t days, int* year, int* month, int* day);
bool IsLeapYear(int year);
// Days of the month; 0 for a month outside 1..12.
int DaysInMonth(int year, int month);

// Seconds from b to a, rounded to whole seconds.
std::int64_t SecondsBetween(const DateTime& a, const DateTime& b);

}  // namespace platform
