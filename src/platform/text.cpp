#include "platform/text.h"

#include <unicode/ustring.h>
#include <unicode/utf8.h>

namespace platform {

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(utf8.data());
    const auto length = static_cast<std::int32_t>(utf8.size());
    std::int32_t i = 0;
    while (i < length) {
        UChar32 c = 0;
        U8_NEXT_OR_FFFD(bytes, i, length, c);
        if (c <= 0xFFFF) {
            out.push_back(static_cast<char16_t>(c));
        } else {
            out.push_back(static_cast<char16_t>(U16_LEAD(c)));
            out.push_back(static_cast<char16_t>(U16_TRAIL(c)));
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        UChar32 c = utf16[i];
        if (U16_IS_LEAD(c) && i + 1 < utf16.size() && U16_IS_TRAIL(utf16[i + 1])) {
            c = U16_GET_SUPPLEMENTARY(c, utf16[i + 1]);
            ++i;
        } else if (U16_IS_SURROGATE(c)) {
            c = 0xFFFD;
        }
        std::uint8_t buffer[4];
        std::int32_t n = 0;
        U8_APPEND_UNSAFE(buffer, n, c);  // c is a scalar value here, at most 4 bytes
        out.append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(n));
    }
    return out;
}

namespace {

// Valid exactly when Utf8ToUtf16 replaces nothing.
bool IsValidUtf8(std::string_view utf8) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(utf8.data());
    const auto length = static_cast<std::int32_t>(utf8.size());
    std::int32_t i = 0;
    while (i < length) {
        UChar32 c = 0;
        U8_NEXT(bytes, i, length, c);
        if (c < 0)
            return false;
    }
    return true;
}

}  // namespace

std::string SanitizeUtf8(std::string_view bytes) {
    // Valid text is copied as it is: a long DAV answer makes no round trip through UTF-16.
    if (IsValidUtf8(bytes))
        return std::string(bytes);
    return Utf16ToUtf8(Utf8ToUtf16(bytes));
}

std::size_t Utf16Length(std::string_view utf8) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(utf8.data());
    const auto length = static_cast<std::int32_t>(utf8.size());
    std::size_t units = 0;
    std::int32_t i = 0;
    while (i < length) {
        UChar32 c = 0;
        U8_NEXT_OR_FFFD(bytes, i, length, c);
        units += c > 0xFFFF ? 2 : 1;
    }
    return units;
}

std::string_view Utf8PrefixByUtf16Units(std::string_view utf8, std::size_t units) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(utf8.data());
    const auto length = static_cast<std::int32_t>(utf8.size());
    std::size_t used = 0;
    std::int32_t i = 0;
    while (i < length) {
        std::int32_t next = i;
        UChar32 c = 0;
        U8_NEXT_OR_FFFD(bytes, next, length, c);
        const std::size_t width = c > 0xFFFF ? 2 : 1;
        if (used + width > units)
            break;
        used += width;
        i = next;
    }
    return utf8.substr(0, static_cast<std::size_t>(i));
}

std::string AsciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

std::string_view TrimWhitespace(std::string_view text) {
    constexpr std::string_view kSpace = " \t\r\n\v\f";
    const auto first = text.find_first_not_of(kSpace);
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(kSpace);
    return text.substr(first, last - first + 1);
}

}  // namespace platform
