// An iCalendar component as its content lines and sub-components, each line kept as written (folds
// included) so that what is passed through leaves byte for byte as it came.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ical/ical_line.h"

struct ContentLine {
    std::string raw;  // the physical lines as written, each ending in CR LF
    CICalLine line;   // the unfolded line, parsed
};

class CContentComponent {
  public:
    // The first component of the text (normally VCALENDAR). Lines without ":" are dropped, a missing END
    // closes at the end of the text, and nesting deeper than 8 or more than 100000 lines ends the parse.
    // None when the text holds no BEGIN line.
    static std::optional<CContentComponent> Parse(std::string_view text);

    // BEGIN line, properties, sub-components, END line; CR LF line ends.
    std::string ToText() const;

    const std::string& Name() const { return m_name; }
    std::vector<ContentLine>& Properties() { return m_properties; }
    const std::vector<ContentLine>& Properties() const { return m_properties; }
    std::vector<CContentComponent>& Children() { return m_children; }
    const std::vector<CContentComponent>& Children() const { return m_children; }

    // The first property of that name (ASCII case ignored), or null. Ownership: owned by this component.
    const CICalLine* Find(std::string_view name) const;
    // True when the name equals `name` without regard to ASCII case.
    bool HasName(std::string_view name) const;

  private:
    std::string m_name;
    std::vector<ContentLine> m_properties;
    std::vector<CContentComponent> m_children;
};
