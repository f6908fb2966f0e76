#include "ical/content_component.h"

#include "ical/ical_text.h"
#include "platform/text.h"

namespace {

constexpr std::size_t kMaxDepth = 8;
constexpr std::size_t kMaxLines = 100000;

// One logical line: its physical lines as written and the unfolded text.
struct RawLine {
    std::string raw;
    std::string unfolded;
};

std::vector<RawLine> SplitLines(std::string_view text) {
    std::vector<RawLine> lines;
    ical::ForEachPhysicalLine(text, [&lines](std::string_view physical) {
        if ((physical[0] == ' ' || physical[0] == '\t') && !lines.empty()) {
            lines.back().raw += std::string(physical) + "\r\n";
            lines.back().unfolded.append(physical.substr(1));
        } else {
            lines.push_back({std::string(physical) + "\r\n", std::string(physical)});
        }
        return lines.size() <= kMaxLines;
    });
    return lines;
}

}  // namespace

std::optional<CContentComponent> CContentComponent::Parse(std::string_view text) {
    std::vector<CContentComponent> open;
    std::optional<CContentComponent> root;
    for (RawLine& raw : SplitLines(text)) {
        std::optional<CICalLine> line = CICalLine::Parse(raw.unfolded);
        if (!line)
            continue;
        if (line->HasName("BEGIN")) {
            if (open.size() >= kMaxDepth)
                break;
            open.emplace_back();
            open.back().m_name = platform::TrimWhitespace(line->Value());
        } else if (line->HasName("END") && !open.empty()) {
            CContentComponent done = std::move(open.back());
            open.pop_back();
            if (open.empty()) {
                root = std::move(done);
                break;
            }
            open.back().m_children.push_back(std::move(done));
        } else if (!open.empty()) {
            open.back().m_properties.push_back({std::move(raw.raw), std::move(*line)});
        }
    }
    // Components left open close at the end of the text.
    while (!root && !open.empty()) {
        CContentComponent done = std::move(open.back());
        open.pop_back();
        if (open.empty())
            root = std::move(done);
        else
            open.back().m_children.push_back(std::move(done));
    }
    return root;
}

std::string CContentComponent::ToText() const {
    std::string text = "BEGIN:" + m_name + "\r\n";
    for (const ContentLine& property : m_properties)
        text += property.raw;
    for (const CContentComponent& child : m_children)
        text += child.ToText();
    return text + "END:" + m_name + "\r\n";
}

const CICalLine* CContentComponent::Find(std::string_view name) const {
    for (const ContentLine& property : m_properties) {
        if (property.line.HasName(name))
            return &property.line;
    }
    return nullptr;
}

bool CContentComponent::HasName(std::string_view name) const {
    return platform::EqualsIgnoreAsciiCase(m_name, name);
}
