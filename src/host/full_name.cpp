#include "host/full_name.h"

#include <algorithm>
#include <vector>

#include "platform/text.h"

namespace host {
namespace {

bool IsOneOf(std::string_view word, std::initializer_list<std::string_view> known) {
    std::string bare = platform::AsciiLower(word);
    while (!bare.empty() && (bare.back() == '.' || bare.back() == ','))
        bare.pop_back();
    return std::find(known.begin(), known.end(), bare) != known.end();
}

bool IsTitle(std::string_view word) {
    return IsOneOf(word, {"mr", "mrs", "ms", "miss", "mx", "dr", "prof", "sir", "dame", "rev"});
}

bool IsSuffix(std::string_view word) {
    return IsOneOf(word, {"jr", "sr", "ii", "iii", "iv", "v", "phd", "ph.d", "md", "m.d", "esq", "dds"});
}

std::vector<std::string> Words(std::string_view text) {
    std::vector<std::string> words;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find_first_of(" \t", start), text.size());
        if (end > start)
            words.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return words;
}

std::string Joined(std::vector<std::string>::const_iterator begin,
                   std::vector<std::string>::const_iterator end) {
    std::string text;
    for (auto word = begin; word != end; ++word) {
        if (!text.empty())
            text += ' ';
        text += *word;
    }
    return text;
}

std::string WithoutTrailingComma(std::string word) {
    if (!word.empty() && word.back() == ',')
        word.pop_back();
    return word;
}

}  // namespace

NameParts SplitFullName(std::string_view full_name) {
    NameParts parts;
    std::vector<std::string> words = Words(full_name);
    if (!words.empty() && words.size() > 1 && IsTitle(words.front())) {
        parts.title = words.front();
        words.erase(words.begin());
    }
    if (words.size() > 1 && IsSuffix(words.back())) {
        parts.suffix = words.back();
        words.pop_back();
        words.back() = WithoutTrailingComma(words.back());
    }
    // "Public, John Q.": the last name first.
    const auto comma = std::find_if(words.begin(), words.end(), [](const std::string& word) {
        return !word.empty() && word.back() == ',';
    });
    if (comma != words.end() && comma + 1 != words.end()) {
        std::vector<std::string> last(words.begin(), comma + 1);
        last.back() = WithoutTrailingComma(last.back());
        parts.last = Joined(last.begin(), last.end());
        words.erase(words.begin(), comma + 1);
        parts.first = words.front();
        parts.middle = Joined(words.begin() + 1, words.end());
        return parts;
    }
    if (words.empty())
        return parts;
    parts.first = words.front();
    if (words.size() > 1) {
        parts.last = words.back();
        parts.middle = Joined(words.begin() + 1, words.end() - 1);
    }
    return parts;
}

}  // namespace host
