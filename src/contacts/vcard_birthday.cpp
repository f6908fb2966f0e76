#include "contacts/vcard_birthday.h"

namespace contacts {
namespace {

constexpr int kEmptyYear = 4501;

// One sscanf "%Nd": white space, an optional sign, then digits, at most `width` characters in all.
bool ScanNumber(std::string_view text, std::size_t* pos, std::size_t width, int* out) {
    std::size_t at = *pos;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
        ++at;
    const std::size_t start = at;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) {
        negative = text[at] == '-';
        ++at;
    }
    int value = 0;
    std::size_t digits = 0;
    while (at < text.size() && at - start < width && text[at] >= '0' && text[at] <= '9') {
        value = value * 10 + (text[at] - '0');
        ++at;
        ++digits;
    }
    if (digits == 0)
        return false;
    *out = negative ? -value : value;
    *pos = at;
    return true;
}

// "%4d-%2d-%2d": how many of the three numbers were read.
int ScanExtended(std::string_view text, int* year, int* month, int* day) {
    std::size_t pos = 0;
    if (!ScanNumber(text, &pos, 4, year))
        return 0;
    if (pos >= text.size() || text[pos] != '-' || !ScanNumber(text, &++pos, 2, month))
        return 1;
    if (pos >= text.size() || text[pos] != '-' || !ScanNumber(text, &++pos, 2, day))
        return 2;
    return 3;
}

bool IsDigits(std::string_view text) {
    if (text.empty())
        return false;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

int Number(std::string_view digits) {
    int value = 0;
    for (const char c : digits)
        value = value * 10 + (c - '0');
    return value;
}

std::optional<platform::DateTime> DateOrEmpty(int year, int month, int day) {
    const platform::DateTime date = platform::DateTime::FromParts(year, month, day);
    return date.IsValid() ? date : platform::DateTime::FromParts(kEmptyYear, 1, 1);
}

}  // namespace

std::optional<platform::DateTime> ReadBirthday(std::string_view value) {
    std::string_view date = value.substr(0, value.find_first_of("Tt"));
    while (!date.empty() && (date.back() == ' ' || date.back() == '\t'))
        date.remove_suffix(1);
    // --MMDD, --MM-DD: no year.
    if (date.size() >= 6 && date.substr(0, 2) == "--") {
        std::string_view rest = date.substr(2);
        if (rest.size() == 5 && rest[2] == '-')
            return IsDigits(rest.substr(0, 2)) && IsDigits(rest.substr(3))
                       ? DateOrEmpty(kYearlessBirthdayYear, Number(rest.substr(0, 2)), Number(rest.substr(3)))
                       : std::nullopt;
        if (rest.size() == 4 && IsDigits(rest))
            return DateOrEmpty(kYearlessBirthdayYear, Number(rest.substr(0, 2)), Number(rest.substr(2)));
        return std::nullopt;
    }
    if (date.size() == 8 && IsDigits(date))
        return DateOrEmpty(Number(date.substr(0, 4)), Number(date.substr(4, 2)), Number(date.substr(6)));
    int year = 0, month = 0, day = 0;
    if (ScanExtended(date, &year, &month, &day) != 3)
        return std::nullopt;
    if (year < 100)
        year += 1900;
    return DateOrEmpty(year, month, day);
}

std::string FormatBirthday(const platform::DateTime& birthday) {
    platform::DateParts parts;
    if (!birthday.IsValid() || !birthday.ToParts(&parts) || parts.year >= kEmptyYear)
        return {};
    if (parts.year == kYearlessBirthdayYear)
        return birthday.Format("--%m-%d");
    return birthday.Format("%Y-%m-%d");
}

}  // namespace contacts
