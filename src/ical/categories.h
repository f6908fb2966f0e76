// CATEGORIES values and Outlook's category text ("Work, Weekly") to and from each other.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ical {

// The categories of one CATEGORIES value: cut at its unescaped commas, unescaped, trimmed, empty ones
// left out, in order.
std::vector<std::string> SplitCategories(std::string_view value);

// Outlook's text for a list of categories: joined with ", ".
std::string JoinCategories(const std::vector<std::string>& categories);

// The "CATEGORIES:...\r\n" line (folded) for Outlook's text, whose categories are separated by commas;
// empty when it names none.
std::string CategoriesLine(std::string_view outlook_text);

}  // namespace ical
