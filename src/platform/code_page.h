// The "ANSI code page": the character set of the process locale (LC_CTYPE), as Windows' CP_ACP is the
// system's. A locale whose set is plain ASCII (the C locale) counts as UTF-8, since an ASCII-only code
// page would turn every non-ASCII password or log text into "?" and lose it.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Name of the code page in use, e.g. "UTF-8" or "ISO-8859-1".
std::string AnsiCodePageName();

// UTF-8 text to bytes in the code page; what the code page cannot hold becomes "?".
std::string Utf8ToAnsi(std::string_view utf8);

// Bytes in the code page to UTF-8; undecodable bytes become U+FFFD.
std::string AnsiToUtf8(std::string_view ansi);

// Bytes in the named character set ("ISO-8859-1", "windows-1252", "UTF-8" ...) to UTF-8; undecodable
// bytes become U+FFFD. False, `out` untouched, when the set is unknown or the conversion fails.
[[nodiscard]] bool CharsetToUtf8(std::string_view bytes, const std::string& charset, std::string* out);

}  // namespace platform
