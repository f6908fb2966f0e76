// What a command prints: records as aligned "key: value" text, or as JSON lines (--json), one object
// per record; messages and errors go to stderr.
#pragma once

#include <string>
#include <utility>
#include <vector>

using OutputRecord = std::vector<std::pair<std::string, std::string>>;

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
