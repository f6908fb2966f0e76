// Text conversions. Text is UTF-8 std::string everywhere inside; UTF-16 appears only where behaviour
// counts characters as Windows does (folding, buffer limits).
#pragma once

#include <string>
#include <string_view>

namespace platform {

// UTF-8 to UTF-16; invalid sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);

// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);

// The same text with every invalid UTF-8 sequence replaced by U+FFFD.
std::string SanitizeUtf8(std::string_view bytes);

// Length in UTF-16 code units of UTF-8 text (invalid sequences count as one unit each).
std::size_t Utf16Length(std::string_view utf8);

// The longest prefix of the UTF-8 text that has at most `units` UTF-16 code units and does not split a
// character.
std::string_view Utf8PrefixByUtf16Units(std::string_view utf8, std::size_t units);

// A-Z mapped to a-z; every other byte unchanged.
std::string AsciiLower(std::string_view text);

// Equal after mapping A-Z to a-z.
bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b);

// The text without leading and trailing white space (space, tab, CR, LF, vertical tab, form feed).
std::string_view TrimWhitespace(std::string_view text);

}  // namespace platform
