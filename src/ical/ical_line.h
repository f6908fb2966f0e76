// One iCalendar content line split into name, parameters and value.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CICalLine {
  public:
    // From one unfolded line. None when the line has no ":". The name is the text before the first ";"
    // of the head (the part before the first ":" outside double quotes); each later ";" piece with an
    // "=" is a parameter, kept as written (quotes included). A non-empty piece without "=" (vCard 2.1's
    // bare types, TEL;HOME;VOICE) is kept with an empty key. The value has leftover folds removed and its
    // newline escapes turned into CR LF.
    static std::optional<CICalLine> Parse(std::string_view line);

    // Whether the name of the unfolded line, once parsed, can equal `name` (ASCII case ignored): the line
    // starts with it and then ":" or ";". A test cheaper than Parse for readers that skip most lines.
    static bool MayHaveName(std::string_view line, std::string_view name);

    const std::string& Name() const { return m_name; }
    const std::string& Value() const { return m_value; }
    const std::vector<std::pair<std::string, std::string>>& Parameters() const { return m_parameters; }

    // The first parameter of that key (ASCII case ignored), or "" when there is none.
    std::string GetParameter(std::string_view key) const;

    // True when the name equals `name` without regard to ASCII case.
    bool HasName(std::string_view name) const;

  private:
    std::string m_name;
    std::vector<std::pair<std::string, std::string>> m_parameters;
    std::string m_value;
};
