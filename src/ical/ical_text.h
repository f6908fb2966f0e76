// Escaping, unescaping and folding of iCalendar text values.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ical {

// Newlines as the two characters backslash n: CR LF, then any lone LF or lone CR (a bare CR inside a
// content line is not valid iCalendar and some readers end the line there).
std::string EscapeNewlines(std::string_view text);

// Backslash, comma and semicolon get a backslash before them, then newlines are escaped. Control
// characters other than TAB are dropped and invalid UTF-8 becomes U+FFFD.
std::string EscapeText(std::string_view text);

// Inserts CR LF TAB into a value whose line head is `prefix_units` UTF-16 units long, as FoldLine does.
std::string FoldValue(std::string_view value, std::size_t prefix_units);
// One content line "name:value" + CR LF. When it is longer than 75 UTF-16 code units, CR LF TAB is put
// in after the first 75 units and after every further 75 units of value, one unit earlier wherever the
// cut would split a surrogate pair.
std::string FoldLine(std::string_view name_with_colon, std::string_view value);

// Reverses EscapeText in one pass: \\ \, \; and \n (or \N) become backslash, comma, semicolon and CR LF.
// A backslash before any other character stays as it is.
std::string UnescapeText(std::string_view text);

// Only the newline escapes, in one pass: \n, \N and \r\n become CR LF; \\ and other pairs stay as they
// are, so an escaped backslash followed by n is not taken for a newline.
std::string UnescapeNewlines(std::string_view text);

// Calls `visit` with each non-empty physical line of `text` (cut at each LF, a CR before it dropped)
// until it returns false.
template <class Visit>
void ForEachPhysicalLine(std::string_view text, Visit&& visit) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view physical = text.substr(start, end - start);
        start = end + 1;
        if (!physical.empty() && physical.back() == '\r')
            physical.remove_suffix(1);
        if (!physical.empty() && !visit(physical))
            return;
    }
}

// The logical lines of a text: cut at each LF (a CR before it dropped); a line that begins with a TAB
// or a SPACE continues the one before it without that first character. Empty lines are dropped.
std::vector<std::string> UnfoldLines(std::string_view text);

}  // namespace ical
