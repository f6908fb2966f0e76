#include "ical/ical_text.h"

#include "platform/text.h"

namespace ical {
namespace {

constexpr std::size_t kLineUnits = 75;

bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

}  // namespace

std::string EscapeNewlines(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            out += "\\n";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out;
}

std::string EscapeText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    // iCalendar allows no control character but TAB in a value: a server stores one and then serves
    // XML that no parser reads. Invalid UTF-8 becomes U+FFFD.
    for (const char c : platform::SanitizeUtf8(text)) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\t' && c != '\r' && c != '\n') || byte == 0x7F)
            continue;
        if (c == '\\' || c == ',' || c == ';')
            out += '\\';
        out += c;
    }
    return EscapeNewlines(out);
}

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

std::string FoldLine(std::string_view name_with_colon, std::string_view value) {
    std::string out(name_with_colon);
    out += FoldValue(value, platform::Utf16Length(name_with_colon));
    out += "\r\n";
    return out;
}

std::string UnescapeText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[i + 1];
        if (next == '\\' || next == ',' || next == ';') {
            out += next;
            ++i;
        } else if (next == 'n' || next == 'N') {
            out += "\r\n";
            ++i;
        } else if (next == 'r' && text.substr(i + 2, 2) == "\\n") {
            out += "\r\n";
            i += 3;
        } else {
            out += '\\';
        }
    }
    return out;
}

std::string UnescapeNewlines(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[i + 1];
        if (next == 'n' || next == 'N') {
            out += "\r\n";
            ++i;
        } else if (next == 'r' && text.substr(i + 2, 2) == "\\n") {
            out += "\r\n";
            i += 3;
        } else {
            // Keeps escaped pairs whole, so "\\n" stays an escaped backslash and a letter.
            out += text.substr(i, 2);
            ++i;
        }
    }
    return out;
}

std::vector<std::string> UnfoldLines(std::string_view text) {
    std::vector<std::string> lines;
    ForEachPhysicalLine(text, [&lines](std::string_view physical) {
        if ((physical[0] == ' ' || physical[0] == '\t') && !lines.empty())
            lines.back().append(physical.substr(1));
        else
            lines.emplace_back(physical);
        return true;
    });
    return lines;
}

}  // namespace ical
