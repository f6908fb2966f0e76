#include "host/command_output.h"

#include <cstdio>

#include "platform/text.h"

void CommandOutput::Record(const OutputRecord& record, bool brief) {
    std::string line;
    if (json_) {
        line = "{";
        for (std::size_t i = 0; i < record.size(); ++i) {
            line += (i == 0 ? "" : ",") + JsonString(record[i].first) + ":" + JsonString(record[i].second);
        }
        line += "}\n";
    } else if (brief) {
        for (std::size_t i = 0; i < record.size(); ++i) {
            line += (i == 0 ? "" : "  ") + record[i].second;
        }
        line += "\n";
    } else {
        for (const auto& [key, value] : record) {
            line += key + ": " + value + "\n";
        }
        line += "\n";
    }
    std::fputs(line.c_str(), stdout);
}

void CommandOutput::Message(const std::string& text) const {
    if (json_) {
        std::fputs(("{\"message\":" + JsonString(text) + "}\n").c_str(), stdout);
    } else {
        std::fputs((text + "\n").c_str(), stdout);
    }
}

void CommandOutput::Error(const std::string& text) const {
    std::fputs(("velsync: " + text + "\n").c_str(), stderr);
}

std::string CommandOutput::JsonString(const std::string& text) {
    const std::string clean = platform::SanitizeUtf8(text);
    std::string out = "\"";
    for (unsigned char c : clean) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\u%04x", c);
                    out += escape;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}
