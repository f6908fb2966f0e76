// BDAY values and the store's birthday. A birthday without a year (--0704, --07-04) is kept in the store
// as that day in the year 1604, a leap year far before anyone living (calendar apps use the same year
// for it), and written back without a year.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/date_time.h"

namespace contacts {

constexpr int kYearlessBirthdayYear = 1604;

// The birthday a BDAY value gives: the date at midnight; Outlook's empty date (4501-01-01) for a
// date that does not exist (2001-02-30); none for a text the reader does not know (the store keeps its
// birthday). Read: 1985-03-07, 85-03-07 (1900s), 19850307, --0307, --03-07, each with or without a time
// after "T".
std::optional<platform::DateTime> ReadBirthday(std::string_view value);

// The BDAY value for the store's birthday: "1985-03-07", "--03-07" for a year-less one, "" for the
// empty date (year 4501 or later) or an invalid one.
std::string FormatBirthday(const platform::DateTime& birthday);

}  // namespace contacts
