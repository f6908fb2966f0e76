#include "platform/date_time.h"

#include <array>
#include <chrono>
#include <cmath>

namespace platform {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
// 1899-12-30 is 25569 days before 1970-01-01.
constexpr std::int64_t kOleEpochToUnixDays = 25569;

// OLE dates before the epoch keep the time of day as a positive fraction after a negative day count.
std::int64_t OleToUnixSeconds(double value) {
    const double days = std::trunc(value);
    const double fraction = std::fabs(value - days);
    const auto day_seconds = static_cast<std::int64_t>(std::llround(fraction * kSecondsPerDay));
    return (static_cast<std::int64_t>(days) - kOleEpochToUnixDays) * kSecondsPerDay + day_seconds;
}

double UnixSecondsToOle(std::int64_t seconds) {
    std::int64_t days = seconds / kSecondsPerDay;
    std::int64_t rest = seconds % kSecondsPerDay;
    if (rest < 0) {
        rest += kSecondsPerDay;
        --days;
    }
    const std::int64_t ole_days = days + kOleEpochToUnixDays;
    const double fraction = static_cast<double>(rest) / kSecondsPerDay;
    return ole_days >= 0 ? static_cast<double>(ole_days) + fraction
                         : static_cast<double>(ole_days) - fraction;
}

}  // namespace

std::int64_t DaysFromCivil(int year, int month, int day) {
    std::int64_t y = year;
    const auto m = static_cast<unsigned>(month);
    const auto d = static_cast<unsigned>(day);
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t days, int* year, int* month, int* day) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto doe = static_cast<unsigned>(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    *year = static_cast<int>(y + (m <= 2));
    *month = static_cast<int>(m);
    *day = static_cast<int>(d);
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

DateTime DateTime::FromParts(int year, int month, int day, int hour, int minute, int second) {
    if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) ||
        hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) {
        return Invalid();
    }
    const std::int64_t seconds =
        DaysFromCivil(year, month, day) * kSecondsPerDay + hour * 3600 + minute * 60 + second;
    return FromValue(UnixSecondsToOle(seconds));
}

DateTime DateTime::FromUnixSeconds(std::int64_t seconds) {
    return FromValue(UnixSecondsToOle(seconds));
}

DateTime DateTime::NowUtc() {
    const auto now = std::chrono::system_clock::now();
    return FromUnixSeconds(std::chrono::duration_cast<std::chrono::seconds>(now.time_since_epoch()).count());
}

DateTime DateTime::NowLocal() {
    return NowUtc().UtcToLocal();
}

bool DateTime::ToParts(DateParts* out) const {
    if (!IsValid())
        return false;
    const std::int64_t seconds = OleToUnixSeconds(value_);
    std::int64_t days = seconds / kSecondsPerDay;
    std::int64_t rest = seconds % kSecondsPerDay;
    if (rest < 0) {
        rest += kSecondsPerDay;
        --days;
    }
    DateParts parts;
    CivilFromDays(days, &parts.year, &parts.month, &parts.day);
    parts.hour = static_cast<int>(rest / 3600);
    parts.minute = static_cast<int>(rest % 3600 / 60);
    parts.second = static_cast<int>(rest % 60);
    parts.day_of_week = static_cast<int>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
    *out = parts;
    return true;
}

std::int64_t DateTime::ToUnixSeconds() const {
    return OleToUnixSeconds(value_);
}

DateTime DateTime::LocalToUtc() const {
    DateParts parts;
    if (!ToParts(&parts))
        return *this;
    std::tm local{};
    local.tm_year = parts.year - 1900;
    local.tm_mon = parts.month - 1;
    local.tm_mday = parts.day;
    local.tm_hour = parts.hour;
    local.tm_min = parts.minute;
    local.tm_sec = parts.second;
    local.tm_isdst = -1;
    const std::time_t utc = mktime(&local);
    if (utc == static_cast<std::time_t>(-1))
        return Invalid();
    return FromUnixSeconds(static_cast<std::int64_t>(utc));
}

DateTime DateTime::UtcToLocal() const {
    if (!IsValid())
        return *this;
    const auto utc = static_cast<std::time_t>(ToUnixSeconds());
    std::tm local{};
    if (localtime_r(&utc, &local) == nullptr)
        return Invalid();
    return FromParts(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                     local.tm_sec);
}

std::string DateTime::Format(const char* format) const {
    DateParts parts;
    if (!ToParts(&parts))
        return {};
    std::tm tm{};
    tm.tm_year = parts.year - 1900;
    tm.tm_mon = parts.month - 1;
    tm.tm_mday = parts.day;
    tm.tm_hour = parts.hour;
    tm.tm_min = parts.minute;
    tm.tm_sec = parts.second;
    tm.tm_wday = parts.day_of_week;
    char text[256];
    const std::size_t length = std::strftime(text, sizeof text, format, &tm);
    return std::string(text, length);
}

DateTime DateTime::AddSeconds(std::int64_t seconds) const {
    if (!IsValid())
        return *this;
    return FromUnixSeconds(ToUnixSeconds() + seconds);
}

std::int64_t SecondsBetween(const DateTime& a, const DateTime& b) {
    return std::llround((a.value() - b.value()) * kSecondsPerDay);
}

}  // namespace platform
