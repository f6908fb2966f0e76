#include "contacts/internal/vcard_text.h"

#include <algorithm>

#include "ical/ical_text.h"
#include "platform/text.h"

namespace contacts {

std::string EncodeValue(std::string_view text, std::size_t prefix_units) {
    return ical::FoldValue(ical::EscapeText(text), prefix_units);
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
    // Controls the writer never emits are dropped here too, so that what the store holds is what goes
    // back: "te\x01l:+1" would otherwise be kept as a number and come back as a "tel:" URI.
    std::string text = ical::UnescapeText(value);
    std::erase_if(text, [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && c != '\t' && c != '\r' && c != '\n') || byte == 0x7F;
    });
    return text;
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        return value.substr(1, value.size() - 2);
    return value;
}

std::vector<std::string> TypeValues(const CICalLine& line) {
    std::vector<std::string> values;
    for (const auto& [name, value] : line.Parameters()) {
        if (!name.empty() && !platform::EqualsIgnoreAsciiCase(name, "TYPE"))
            continue;
        for (const std::string& piece : SplitUnescaped(Unquote(value), ','))
            values.push_back(piece);
    }
    return values;
}

bool HasType(const CICalLine& line, std::string_view type) {
    const std::vector<std::string> values = TypeValues(line);
    return std::any_of(values.begin(), values.end(), [type](const std::string& value) {
        return platform::EqualsIgnoreAsciiCase(value, type);
    });
}

}  // namespace contacts
