#include "contacts/vcard_lines.h"

#include "contacts/internal/vcard_text.h"
#include "ical/ical_text.h"
#include "platform/code_page.h"
#include "platform/text.h"

namespace contacts {
namespace {

std::size_t HeadEnd(std::string_view line) {
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ':' && !quoted)
            return i;
    }
    // An unbalanced quote would hide every colon; then the first colon ends the head after all.
    return line.find(':');
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

bool IsQuotedPrintable(std::string_view head) {
    for (const std::string& piece : SplitUnescaped(head, ';')) {
        const std::size_t equals = piece.find('=');
        const std::string_view value = equals == std::string::npos
                                           ? std::string_view(piece)
                                           : std::string_view(piece).substr(equals + 1);
        if (platform::EqualsIgnoreAsciiCase(value, "QUOTED-PRINTABLE"))
            return true;
    }
    return false;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// =XX is a byte, "=" before a line break a soft break; anything else stays as it is.
std::string DecodeQuotedPrintable(std::string_view value) {
    std::string bytes;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '=') {  // NOLINT(bugprone-branch-clone): a stray "=" is kept as well
            bytes += value[i];
        } else if (i + 2 < value.size() && HexDigit(value[i + 1]) >= 0 && HexDigit(value[i + 2]) >= 0) {
            bytes += static_cast<char>(HexDigit(value[i + 1]) * 16 + HexDigit(value[i + 2]));
            i += 2;
        } else if (i + 1 < value.size() && value[i + 1] == '\n') {
            ++i;
        } else if (i + 1 < value.size()) {
            bytes += value[i];
        }
    }
    return bytes;
}

// The head without ENCODING=QUOTED-PRINTABLE, CHARSET=... and a bare QUOTED-PRINTABLE, and the charset
// it named.
std::string HeadWithoutEncoding(std::string_view head, std::string* charset) {
    std::string out;
    bool first = true;
    for (const std::string& piece : SplitUnescaped(head, ';')) {
        const std::size_t equals = piece.find('=');
        const std::string_view key =
            equals == std::string::npos ? std::string_view() : std::string_view(piece).substr(0, equals);
        const std::string_view value = equals == std::string::npos
                                           ? std::string_view(piece)
                                           : std::string_view(piece).substr(equals + 1);
        if (!first && platform::EqualsIgnoreAsciiCase(key, "CHARSET")) {
            *charset = std::string(Unquote(value));
            continue;
        }
        if (!first && platform::EqualsIgnoreAsciiCase(value, "QUOTED-PRINTABLE"))
            continue;
        if (!first)
            out += ';';
        out += piece;
        first = false;
    }
    return out;
}

// A QUOTED-PRINTABLE line as plain text: the decoded bytes from their charset (UTF-8 when none or an
// unknown one is named), line breaks escaped.
std::string DecodedLine(std::string_view line) {
    const std::size_t colon = HeadEnd(line);
    std::string charset = "UTF-8";
    const std::string head = HeadWithoutEncoding(line.substr(0, colon), &charset);
    const std::string bytes = DecodeQuotedPrintable(line.substr(colon + 1));
    std::string text;
    if (!platform::CharsetToUtf8(bytes, charset, &text))
        text = platform::SanitizeUtf8(bytes);
    std::string escaped;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        if (text[i] == '\n' || text[i] == '\r')
            escaped += "\\n";
        else
            escaped += text[i];
    }
    return head + ":" + escaped;
}

}  // namespace

std::string_view HeadOf(std::string_view unfolded) {
    const std::size_t colon = HeadEnd(unfolded);
    return colon == std::string_view::npos ? unfolded : unfolded.substr(0, colon);
}

std::string_view ValueOf(std::string_view unfolded) {
    const std::size_t colon = HeadEnd(unfolded);
    return colon == std::string_view::npos ? std::string_view() : unfolded.substr(colon + 1);
}

std::vector<CardLine> ReadCardLines(std::string_view text) {
    struct Pending {
        std::string raw;
        std::string unfolded;
        bool quoted_printable = false;
    };
    std::vector<Pending> logical;
    ical::ForEachPhysicalLine(text, [&logical](std::string_view physical) {
        const bool folded = physical.front() == ' ' || physical.front() == '\t';
        const bool soft_break = !logical.empty() && logical.back().quoted_printable &&
                                !logical.back().unfolded.empty() && logical.back().unfolded.back() == '=';
        if (!logical.empty() && (folded || soft_break)) {
            Pending& line = logical.back();
            line.raw += "\r\n";
            line.raw += physical;
            if (soft_break)
                line.unfolded += '\n';  // the decoder drops "=" LF
            else
                physical.remove_prefix(1);
            line.unfolded += physical;
            return true;
        }
        Pending line;
        line.raw = std::string(physical);
        line.unfolded = std::string(physical);
        const std::size_t colon = HeadEnd(physical);
        line.quoted_printable =
            colon != std::string_view::npos && IsQuotedPrintable(physical.substr(0, colon));
        logical.push_back(std::move(line));
        return true;
    });

    std::vector<CardLine> lines;
    for (Pending& pending : logical) {
        std::string unfolded = pending.quoted_printable ? DecodedLine(Trimmed(pending.unfolded))
                                                        : platform::SanitizeUtf8(Trimmed(pending.unfolded));
        std::optional<CICalLine> parsed = CICalLine::Parse(unfolded);
        if (!parsed)
            continue;
        lines.push_back(
            CardLine{platform::SanitizeUtf8(pending.raw), std::move(unfolded), std::move(*parsed)});
    }
    return lines;
}

}  // namespace contacts
