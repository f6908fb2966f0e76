#include "ical/ical_line.h"

#include "ical/ical_text.h"
#include "platform/text.h"

namespace {

std::string RemoveFolds(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\r' && i + 2 < value.size() && value[i + 1] == '\n' &&
            (value[i + 2] == '\t' || value[i + 2] == ' ')) {
            i += 2;
            continue;
        }
        out += value[i];
    }
    return out;
}

// The first `c` outside double quotes: a quoted parameter value (CN="Doe; John: Sales") may hold ":"
// and ";".
std::size_t FindUnquoted(std::string_view text, char c, std::size_t from) {
    bool quoted = false;
    for (std::size_t i = from; i < text.size(); ++i) {
        if (text[i] == '"')
            quoted = !quoted;
        else if (text[i] == c && !quoted)
            return i;
    }
    return std::string_view::npos;
}

}  // namespace

std::optional<CICalLine> CICalLine::Parse(std::string_view line) {
    std::size_t colon = FindUnquoted(line, ':', 0);
    // An unbalanced quote would hide every colon; then the first colon ends the head after all.
    if (colon == std::string_view::npos)
        colon = line.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    CICalLine result;
    const std::string_view head = line.substr(0, colon);
    std::size_t semicolon = FindUnquoted(head, ';', 0);
    result.m_name = std::string(head.substr(0, semicolon));
    while (semicolon != std::string_view::npos) {
        const std::size_t start = semicolon + 1;
        semicolon = FindUnquoted(head, ';', start);
        const std::string_view piece = head.substr(
            start, semicolon == std::string_view::npos ? std::string_view::npos : semicolon - start);
        const std::size_t equals = piece.find('=');
        if (equals != std::string_view::npos)
            result.m_parameters.emplace_back(piece.substr(0, equals), piece.substr(equals + 1));
        else if (!piece.empty())
            result.m_parameters.emplace_back(std::string(), piece);
    }
    result.m_value = ical::UnescapeNewlines(RemoveFolds(line.substr(colon + 1)));
    return result;
}

bool CICalLine::MayHaveName(std::string_view line, std::string_view name) {
    return line.size() > name.size() && platform::EqualsIgnoreAsciiCase(line.substr(0, name.size()), name) &&
           (line[name.size()] == ':' || line[name.size()] == ';');
}

std::string CICalLine::GetParameter(std::string_view key) const {
    for (const auto& [name, value] : m_parameters) {
        if (platform::EqualsIgnoreAsciiCase(name, key))
            return value;
    }
    return {};
}

bool CICalLine::HasName(std::string_view name) const {
    return platform::EqualsIgnoreAsciiCase(m_name, name);
}
