#include "contacts/vcard_merge.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "contacts/internal/vcard_text.h"
#include "contacts/vcard_lines.h"
#include "contacts/vcard_slots.h"
#include "ical/ical_text.h"
#include "platform/text.h"

namespace contacts {
namespace {

std::string Folded(std::string_view head, std::string_view value) {
    std::string line = ical::FoldLine(std::string(head) + ":", value);
    line.resize(line.size() - 2);  // CR LF
    return line;
}

std::string JoinComponents(const std::vector<std::string>& components) {
    std::string value;
    for (std::size_t i = 0; i < components.size(); ++i) {
        if (i > 0)
            value += ';';
        value += components[i];
    }
    return value;
}

// The server's line carrying the writer's value: its own name and parameters, and, for a structured
// value, its own components where the store holds none.
std::string Rebuilt(CardSlot slot, const CardLine& server, const CardLine& written) {
    if (slot == CardSlot::kBirthday || slot == CardSlot::kRevision || slot == CardSlot::kUid)
        return Folded(HeadOf(written.unfolded), ValueOf(written.unfolded));
    const std::string_view head = HeadOf(server.unfolded);
    std::string value(ValueOf(written.unfolded));
    if (const auto owned = OwnedComponents(slot)) {
        std::vector<std::string> components = SplitUnescaped(ValueOf(server.unfolded), ';');
        const std::vector<std::string> ours = SplitUnescaped(value, ';');
        if (components.size() <= owned->second)
            components.resize(owned->second + 1);
        for (std::size_t i = owned->first; i <= owned->second; ++i)
            components[i] = i < ours.size() ? ours[i] : std::string();
        value = JoinComponents(components);
    } else if (server.parsed.HasName("TEL") && server.parsed.Value().size() >= 4 &&
               platform::EqualsIgnoreAsciiCase(std::string_view(server.parsed.Value()).substr(0, 4),
                                               "tel:")) {
        // A telephone URI (vCard 4.0) stays one: no blanks in it.
        for (char& c : value) {
            if (c == ' ')
                c = '-';
        }
        value = "tel:" + value;
    }
    return Folded(head, value);
}

bool IsCardEnd(const CardLine& line) {
    return line.parsed.HasName("END") && platform::EqualsIgnoreAsciiCase(line.parsed.Value(), "VCARD");
}

}  // namespace

std::string MergeVCard(std::string_view server, std::string_view written) {
    const std::vector<CardLine> theirs = ReadCardLines(server);
    const std::vector<CardLine> ours = ReadCardLines(written);
    std::size_t end = theirs.size();
    for (std::size_t i = theirs.size(); i > 0; --i) {
        if (IsCardEnd(theirs[i - 1])) {
            end = i - 1;
            break;
        }
    }
    if (theirs.empty() || !theirs.front().parsed.HasName("BEGIN") || end == theirs.size())
        return std::string(written);

    const std::map<CardSlot, std::size_t> their_slots = FindCardSlots(theirs);
    const std::map<CardSlot, std::size_t> our_slots = FindCardSlots(ours);

    // A line two slots share (EMAIL;TYPE=home,work) stays when either still says the same.
    std::set<std::size_t> kept;
    for (const auto& [slot, index] : their_slots) {
        const auto our = our_slots.find(slot);
        const std::string their_value = SlotValue(slot, theirs[index].parsed);
        const bool unchanged = our != our_slots.end()
                                   ? SlotValue(slot, ours[our->second].parsed) == their_value
                                   : their_value.empty() || slot == CardSlot::kName;
        if (unchanged)
            kept.insert(index);
    }

    std::map<std::size_t, std::optional<std::string>> replaced;  // none: removed
    std::vector<std::string> added;
    for (const auto& [slot, index] : our_slots) {
        const CardLine& line = ours[index];
        const std::string value = SlotValue(slot, line.parsed);
        const auto their = their_slots.find(slot);
        if (their != their_slots.end()) {
            if (SlotValue(slot, theirs[their->second].parsed) == value)
                continue;
            // The store has no name parts yet: the server's N says more than the writer's empty one.
            if (slot == CardSlot::kName && value.find_first_not_of('\n') == std::string::npos)
                continue;
            if (kept.count(their->second) == 0 && replaced.count(their->second) == 0) {
                replaced[their->second] =
                    value.find_first_not_of('\n') == std::string::npos
                        ? std::nullopt
                        : std::optional<std::string>(Rebuilt(slot, theirs[their->second], line));
                continue;
            }
        }
        if (value.find_first_not_of('\n') == std::string::npos)
            continue;
        // BDAY in a form the store cannot read: one BDAY only, and it is the writer's now.
        if (slot == CardSlot::kBirthday) {
            bool swapped = false;
            for (std::size_t i = 0; i < end && !swapped; ++i) {
                if (theirs[i].parsed.HasName("BDAY") && replaced.count(i) == 0) {
                    replaced[i] = Folded(HeadOf(line.unfolded), ValueOf(line.unfolded));
                    swapped = true;
                }
            }
            if (swapped)
                continue;
        }
        added.push_back(line.raw);
    }
    for (const auto& [slot, index] : their_slots) {
        if (our_slots.count(slot) != 0 || kept.count(index) != 0 || replaced.count(index) != 0)
            continue;
        // Groups travel by e-mail address: a contact without one cannot hold them, so they stay.
        if (slot == CardSlot::kCategories && our_slots.count(CardSlot::kEmail1) == 0)
            continue;
        replaced[index] = std::nullopt;
    }

    // vCard 2.1 (QUOTED-PRINTABLE, soft breaks) cannot hold the writer's 3.0 lines: the card becomes 3.0,
    // its lines written as read.
    const auto version = std::find_if(theirs.begin(), theirs.end(),
                                      [](const CardLine& line) { return line.parsed.HasName("VERSION"); });
    const bool upgrade = version != theirs.end() && version->parsed.Value() == "2.1";
    std::string card;
    for (std::size_t i = 0; i < theirs.size(); ++i) {
        if (i == end) {
            for (const std::string& line : added)
                card += line + "\r\n";
        }
        const auto change = replaced.find(i);
        if (change != replaced.end()) {
            if (change->second)
                card += *change->second + "\r\n";
        } else if (upgrade && theirs[i].parsed.HasName("VERSION")) {
            card += "VERSION:3.0\r\n";
        } else if (upgrade) {
            card += Folded(HeadOf(theirs[i].unfolded), ValueOf(theirs[i].unfolded)) + "\r\n";
        } else {
            card += theirs[i].raw + "\r\n";
        }
    }
    return card;
}

}  // namespace contacts
