#include "host/item_record.h"

#include <cerrno>
#include <charconv>
#include <cinttypes>
#include <cstdlib>

namespace host {
namespace {

void AppendEscaped(std::string_view text, std::string* out) {
    for (char c : text) {
        switch (c) {
            case '\\':
                *out += "\\\\";
                break;
            case '\t':
                *out += "\\t";
                break;
            case '\n':
                *out += "\\n";
                break;
            case '\r':
                *out += "\\r";
                break;
            default:
                *out += c;
        }
    }
}

bool Unescape(const std::string& text, std::string* out) {
    out->clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            *out += text[i];
            continue;
        }
        if (++i == text.size()) {
            return false;
        }
        switch (text[i]) {
            case '\\':
                *out += '\\';
                break;
            case 't':
                *out += '\t';
                break;
            case 'n':
                *out += '\n';
                break;
            case 'r':
                *out += '\r';
                break;
            default:
                return false;
        }
    }
    return true;
}

// As printf's "%.17g" (to_chars promises the same text), which showed in the profile of a first sync.
std::string FormatDouble(double value) {
    char buffer[40];
    const std::to_chars_result end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 17);
    return std::string(buffer, end.ptr);
}

bool ParseDouble(const std::string& text, double* out) {
    char* end = nullptr;
    errno = 0;
    *out = std::strtod(text.c_str(), &end);
    return !text.empty() && end == text.c_str() + text.size() && errno != ERANGE;
}

bool ParseInt64(const std::string& text, std::int64_t* out) {
    char* end = nullptr;
    errno = 0;
    *out = std::strtoll(text.c_str(), &end, 10);
    return !text.empty() && end == text.c_str() + text.size() && errno != ERANGE;
}

void EncodeValue(char section, std::size_t index, const std::string& key, const outlook::Variant& value,
                 std::string* out) {
    const char* kind = "";
    std::string text;
    switch (value.kind()) {
        case outlook::Variant::Kind::Empty:
            kind = "e";
            break;
        case outlook::Variant::Kind::Bool: {
            bool flag = false;
            (void)value.ToBool(&flag);
            kind = "b";
            text = flag ? "1" : "0";
            break;
        }
        case outlook::Variant::Kind::Long: {
            std::int32_t number = 0;
            (void)value.ToLong(&number);
            kind = "l";
            text = std::to_string(number);
            break;
        }
        case outlook::Variant::Kind::Double: {
            double number = 0.0;
            (void)value.ToDouble(&number);
            kind = "d";
            text = FormatDouble(number);
            break;
        }
        case outlook::Variant::Kind::String:
            kind = "s";
            (void)value.ToText(&text);
            break;
        case outlook::Variant::Kind::Date: {
            platform::DateTime date;
            (void)value.ToDate(&date);
            // Status first: a null or invalid date keeps its status across a restart.
            kind = date.status() == platform::DateStatus::Valid  ? "t"
                   : date.status() == platform::DateStatus::Null ? "tn"
                                                                 : "ti";
            text = FormatDouble(date.value());
            break;
        }
    }
    *out += section;
    *out += '\t';
    *out += std::to_string(index);
    *out += '\t';
    AppendEscaped(key, out);
    *out += '\t';
    *out += kind;
    *out += '\t';
    AppendEscaped(text, out);
    *out += '\n';
}

void EncodeBag(char section, std::size_t index, const PropertyBag& bag, std::string* out) {
    for (const auto& [key, value] : bag) {
        EncodeValue(section, index, key, value, out);
    }
}

bool DecodeValue(const std::string& kind, const std::string& text, outlook::Variant* value) {
    if (kind == "e") {
        *value = outlook::Variant();
        return text.empty();
    }
    if (kind == "b") {
        if (text != "0" && text != "1") {
            return false;
        }
        *value = outlook::Variant(text == "1");
        return true;
    }
    if (kind == "l") {
        std::int64_t number = 0;
        if (!ParseInt64(text, &number) || number < INT32_MIN || number > INT32_MAX) {
            return false;
        }
        *value = outlook::Variant(static_cast<std::int32_t>(number));
        return true;
    }
    if (kind == "s") {
        *value = outlook::Variant(text);
        return true;
    }
    double number = 0.0;
    if (!ParseDouble(text, &number)) {
        return false;
    }
    if (kind == "d") {
        *value = outlook::Variant(number);
    } else if (kind == "t") {
        *value = outlook::Variant(platform::DateTime(number, platform::DateStatus::Valid));
    } else if (kind == "tn") {
        *value = outlook::Variant(platform::DateTime(number, platform::DateStatus::Null));
    } else if (kind == "ti") {
        *value = outlook::Variant(platform::DateTime(number, platform::DateStatus::Invalid));
    } else {
        return false;
    }
    return true;
}

// Lists may only grow one entry at a time, so a damaged index cannot make a huge vector.
PropertyBag* ListEntry(std::vector<PropertyBag>* list, std::size_t index) {
    if (index < list->size()) {
        return &(*list)[index];
    }
    if (index == list->size()) {
        list->emplace_back();
        return &list->back();
    }
    return nullptr;
}

}  // namespace

std::string BagText(const PropertyBag& bag, const std::string& key) {
    auto it = bag.find(key);
    std::string text;
    if (it == bag.end() || FAILED(it->second.ToText(&text))) {
        return {};
    }
    return text;
}

std::int32_t BagLong(const PropertyBag& bag, const std::string& key, std::int32_t fallback) {
    auto it = bag.find(key);
    std::int32_t number = 0;
    if (it == bag.end() || FAILED(it->second.ToLong(&number))) {
        return fallback;
    }
    return number;
}

bool BagBool(const PropertyBag& bag, const std::string& key) {
    auto it = bag.find(key);
    bool flag = false;
    if (it == bag.end() || FAILED(it->second.ToBool(&flag))) {
        return false;
    }
    return flag;
}

platform::DateTime BagDate(const PropertyBag& bag, const std::string& key) {
    auto it = bag.find(key);
    platform::DateTime date = platform::DateTime::Null();
    if (it == bag.end() || it->second.kind() != outlook::Variant::Kind::Date ||
        FAILED(it->second.ToDate(&date))) {
        return platform::DateTime::Null();
    }
    return date;
}

std::string EncodeItemRecord(const ItemRecord& record) {
    std::string out;
    EncodeBag('F', 0, record.fields, &out);
    for (std::size_t i = 0; i < record.user_properties.size(); ++i) {
        EncodeBag('U', i, record.user_properties[i], &out);
    }
    EncodeBag('N', 0, record.named, &out);
    for (std::size_t i = 0; i < record.recipients.size(); ++i) {
        EncodeBag('R', i, record.recipients[i], &out);
    }
    if (record.pattern) {
        // An empty pattern still marks the item as a master.
        EncodeValue('P', 0, "", outlook::Variant(), &out);
        EncodeBag('P', 0, *record.pattern, &out);
    }
    for (std::size_t i = 0; i < record.exceptions.size(); ++i) {
        EncodeBag('X', i, record.exceptions[i], &out);
    }
    for (std::size_t i = 0; i < record.members.size(); ++i) {
        EncodeBag('M', i, record.members[i], &out);
    }
    return out;
}

bool DecodeItemRecord(const std::string& text, ItemRecord* record) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            return false;
        }
        std::string line = text.substr(start, end - start);
        start = end + 1;

        std::string parts[5];
        std::size_t from = 0;
        for (int i = 0; i < 4; ++i) {
            std::size_t tab = line.find('\t', from);
            if (tab == std::string::npos) {
                return false;
            }
            parts[i] = line.substr(from, tab - from);
            from = tab + 1;
        }
        parts[4] = line.substr(from);
        std::int64_t index = 0;
        std::string key;
        std::string value_text;
        outlook::Variant value;
        if (parts[0].size() != 1 || !ParseInt64(parts[1], &index) || index < 0 || !Unescape(parts[2], &key) ||
            !Unescape(parts[4], &value_text) || !DecodeValue(parts[3], value_text, &value)) {
            return false;
        }
        const auto position = static_cast<std::size_t>(index);
        PropertyBag* bag = nullptr;
        switch (parts[0][0]) {
            case 'F':
                bag = &record->fields;
                break;
            case 'N':
                bag = &record->named;
                break;
            case 'P':
                if (!record->pattern) {
                    record->pattern.emplace();
                }
                if (key.empty()) {
                    continue;
                }
                bag = &*record->pattern;
                break;
            case 'U':
                bag = ListEntry(&record->user_properties, position);
                break;
            case 'R':
                bag = ListEntry(&record->recipients, position);
                break;
            case 'X':
                bag = ListEntry(&record->exceptions, position);
                break;
            case 'M':
                bag = ListEntry(&record->members, position);
                break;
            default:
                return false;
        }
        if (bag == nullptr) {
            return false;
        }
        (*bag)[key] = value;
    }
    return true;
}

}  // namespace host
