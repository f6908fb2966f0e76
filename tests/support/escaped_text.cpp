#include "support/escaped_text.h"

namespace testing_support {

std::string Unescaped(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char code = text[++i];
        if (code == 'x' && i + 2 < text.size()) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += code == 't' ? '\t' : code == 'r' ? '\r' : code == 'n' ? '\n' : code;
        }
    }
    return out;
}

}  // namespace testing_support
