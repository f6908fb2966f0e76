#include "ical/categories.h"

#include "ical/ical_text.h"
#include "platform/text.h"

namespace ical {

std::vector<std::string> SplitCategories(std::string_view value) {
    std::vector<std::string> categories;
    std::string current;
    const auto keep = [&] {
        const std::string_view trimmed = platform::TrimWhitespace(current);
        if (!trimmed.empty())
            categories.push_back(UnescapeText(trimmed));
        current.clear();
    };
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            current += value.substr(i, 2);
            ++i;
        } else if (value[i] == ',') {
            keep();
        } else {
            current += value[i];
        }
    }
    keep();
    return categories;
}

std::string JoinCategories(const std::vector<std::string>& categories) {
    std::string text;
    for (const std::string& category : categories)
        text += (text.empty() ? "" : ", ") + category;
    return text;
}

std::string CategoriesLine(std::string_view outlook_text) {
    std::string value;
    std::size_t start = 0;
    while (start <= outlook_text.size()) {
        std::size_t comma = outlook_text.find(',', start);
        if (comma == std::string_view::npos)
            comma = outlook_text.size();
        const std::string_view category = platform::TrimWhitespace(outlook_text.substr(start, comma - start));
        if (!category.empty())
            value += (value.empty() ? "" : ",") + EscapeText(category);
        start = comma + 1;
    }
    return value.empty() ? std::string() : FoldLine("CATEGORIES:", value);
}

}  // namespace ical
