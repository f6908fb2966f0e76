// vCard value encoding and decoding on top of the shared iCalendar text helpers.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "ical/ical_line.h"

namespace contacts {

// Escaped (backslash, comma, semicolon, newlines) and folded for a line head of `prefix_units` units.
std::string EncodeValue(std::string_view text, std::size_t prefix_units);

// Splits at every `separator` that is not escaped by a backslash; each piece stays escaped. A value
// without such a separator is one piece.
std::vector<std::string> SplitUnescaped(std::string_view value, char separator);

// The text of an escaped value: \\ \, \; \n become backslash, comma, semicolon and CR LF.
std::string DecodeValue(std::string_view value);

// A parameter value without the double quotes that may enclose it.
std::string_view Unquote(std::string_view value);

// The TYPE values of a line: every TYPE parameter, each split at "," and unquoted, and the bare types of
// vCard 2.1 (TEL;HOME;VOICE), which older clients still send.
std::vector<std::string> TypeValues(const CICalLine& line);

// `type` among the TYPE values, ASCII case ignored.
bool HasType(const CICalLine& line, std::string_view type);

}  // namespace contacts
