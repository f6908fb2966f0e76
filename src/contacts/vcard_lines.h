// The content lines of a vCard, each with the text it was sent as, for the reader and for the merge that
// keeps what the writer does not own.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ical/ical_line.h"

namespace contacts {

struct CardLine {
    // The physical lines as sent (folds and all), joined with CR LF, without a final CR LF.
    std::string raw;
    // Unfolded and trimmed; a QUOTED-PRINTABLE value (vCard 2.1) is decoded and taken from its CHARSET
    // to UTF-8, and both parameters are dropped from the head.
    std::string unfolded;
    CICalLine parsed;
};

// Lines are cut at LF (a CR before it dropped); a line that begins with a blank or a tab continues the
// one before, and so does the line after a QUOTED-PRINTABLE value that ends in "=" (a soft break). Empty
// lines and lines without ":" are dropped; invalid UTF-8 is replaced.
std::vector<CardLine> ReadCardLines(std::string_view text);

// The head (name and parameters) and the value of an unfolded line, split at the first ":" outside
// double quotes; the value stays escaped.
std::string_view HeadOf(std::string_view unfolded);
std::string_view ValueOf(std::string_view unfolded);

}  // namespace contacts
