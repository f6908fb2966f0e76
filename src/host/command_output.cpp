#include "host/command_output.h"

#include <cstdio>

#include "platform/text.h"

OutputValue::OutputValue(std::string plain) : text(std::move(plain)), json(CommandOutput::JsonString(text)) {}

OutputValue OutputValue::Number(std::int64_t number) {
    OutputValue value(std::to_string(number));
    value.json = value.text;
    return value;
}

OutputValue OutputValue::Flag(bool flag) {
    OutputValue value(flag ? "yes" : "no");
    value.json = flag ? "true" : "false";
    return value;
}

OutputValue OutputValue::Time(const platform::DateTime& date, bool is_utc) {
    if (!date.IsValid()) {
        OutputValue value("");
        value.json = "null";
        return value;
    }
    OutputValue value(date.Format("%Y-%m-%d %H:%M"));
    std::string offset = "Z";
    if (!is_utc) {
        const std::int64_t seconds = platform::SecondsBetween(date, date.LocalToUtc());
        const std::int64_t minutes = (seconds < 0 ? -seconds : seconds) / 60;
        char text[8];
        std::snprintf(text, sizeof text, "%c%02d:%02d", seconds < 0 ? '-' : '+',
                      static_cast<int>(minutes / 60), static_cast<int>(minutes % 60));
        offset = text;
    }
    value.json = "\"" + date.Format("%Y-%m-%dT%H:%M:%S") + offset + "\"";
    return value;
}

void CommandOutput::Record(const OutputRecord& record, bool brief) {
    std::string line;
    if (json_) {
        line = "{";
        for (std::size_t i = 0; i < record.size(); ++i) {
            line += (i == 0 ? "" : ",") + JsonString(record[i].first) + ":" + record[i].second.json;
        }
        line += "}\n";
    } else if (brief) {
        for (std::size_t i = 0; i < record.size(); ++i) {
            line += (i == 0 ? "" : "  ") + record[i].second.text;
        }
        line += "\n";
    } else {
        for (const auto& [key, value] : record) {
            line += key + ": " + value.text + "\n";
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
