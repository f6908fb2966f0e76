#include "contacts/internal/vcard_text.h"

#include "ical/ical_text.h"
#include "platform/text.h"

namespace contacts {
namespace {

constexpr std::size_t kLineUnits = 75;

bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

}  // namespace

std::string FoldValue(std::string_view value, std::size_t prefix_units) {
    const std::u16string units = platform::Utf8ToUtf16(value);
    std::size_t limit = prefix_units < kLineUnits ? kLineUnits - prefix_units : 1;
    std::string out;
    out.reserve(value.size() + value.size() / 24);
    std::size_t pos = 0;
    while (units.size() - pos > limit) {
        std::size_t take = limit;
        if (take > 1 && IsHighSurrogate(units[pos + take - 1]))
            --take;
        out += platform::Utf16ToUtf8(std::u16string_view(units).substr(pos, take));
        out += "\r\n\t";
        pos += take;
        limit = kLineUnits;
    }
    out += platform::Utf16ToUtf8(std::u16string_view(units).substr(pos));
    return out;
}

std::string EncodeValue(std::string_view text, std::size_t prefix_units) {
    return FoldValue(ical::EscapeText(text), prefix_units);
}

std::vector<std::string> SplitUnescaped(std::string_view value, char separator) {
    std::vector<std::string> pieces(1);
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            pieces.back() += value.substr(i, 2);
            ++i;
        } else if (value[i] == separator) {
            pieces.emplace_back();
        } else {
            pieces.back() += value[i];
        }
    }
    return pieces;
}

std::string DecodeValue(std::string_view value) {
    return ical::UnescapeText(value);
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        return value.substr(1, value.size() - 2);
    return value;
}

}  // namespace contacts
