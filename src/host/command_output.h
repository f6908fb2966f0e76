// What a command prints: records as aligned "key: value" text, or as JSON lines (--json), one object
// per record; messages and errors go to stderr.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/date_time.h"

// One field's value as text prints it and as JSON gives it: numbers, yes/no and times (ISO 8601 with
// their offset) keep their JSON types.
struct OutputValue {
    OutputValue(std::string plain);
    OutputValue(const char* plain) : OutputValue(std::string(plain)) {}
    static OutputValue Number(std::int64_t number);
    static OutputValue Flag(bool flag);
    // A local time, or a UTC one; an invalid date is "" in text and null in JSON.
    static OutputValue Time(const platform::DateTime& date, bool is_utc = false);

    std::string text;
    std::string json;
};

using OutputRecord = std::vector<std::pair<std::string, OutputValue>>;

class CommandOutput {
  public:
    explicit CommandOutput(bool json) : json_(json) {}

    // One record. In text form: a table row when `brief`, else one "key: value" line per field.
    void Record(const OutputRecord& record, bool brief);
    void Message(const std::string& text) const;
    void Error(const std::string& text) const;

    // The JSON string literal of a UTF-8 text (control characters escaped, invalid bytes replaced).
    static std::string JsonString(const std::string& text);

  private:
    bool json_;
};
