#include "host/command_line.h"

bool CommandLine::Parse(const std::vector<std::string>& words, const std::set<std::string>& flags,
                        const std::set<std::string>& valued) {
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word.rfind("--", 0) != 0 || word == "--") {
            positional_.push_back(word);
            continue;
        }
        std::string name = word.substr(2);
        std::string value;
        const std::size_t eq = name.find('=');
        const bool inline_value = eq != std::string::npos;
        if (inline_value) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        if (flags.count(name) != 0) {
            if (inline_value) {
                error_ = "--" + name + " takes no value";
                return false;
            }
            options_[name] = "";
            continue;
        }
        if (valued.count(name) == 0) {
            error_ = "unknown option --" + name;
            return false;
        }
        if (!inline_value) {
            if (i + 1 >= words.size()) {
                error_ = "--" + name + " needs a value";
                return false;
            }
            value = words[++i];
        }
        options_[name] = value;
    }
    return true;
}

std::string CommandLine::Value(const std::string& name, const std::string& fallback) const {
    auto it = options_.find(name);
    return it == options_.end() ? fallback : it->second;
}
