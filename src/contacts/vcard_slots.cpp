#include "contacts/vcard_slots.h"

#include <algorithm>

#include "contacts/internal/vcard_text.h"
#include "contacts/vcard_birthday.h"
#include "platform/text.h"

namespace contacts {
namespace {

using Slots = std::map<CardSlot, std::size_t>;

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// The property name without its group (item1.TEL is a TEL); a wanted name with a group (OTHER.EMAIL)
// is compared whole.
bool IsNamed(const CICalLine& line, std::string_view name) {
    if (name.find('.') != std::string_view::npos)
        return line.HasName(name);
    const std::string& full = line.Name();
    const std::size_t dot = full.rfind('.');
    return platform::EqualsIgnoreAsciiCase(
        dot == std::string::npos ? std::string_view(full) : std::string_view(full).substr(dot + 1), name);
}

class Finder {
  public:
    explicit Finder(const std::vector<CardLine>& lines) : m_lines(lines) {}

    std::size_t ByName(std::string_view name) const {
        for (std::size_t i = 0; i < m_lines.size(); ++i) {
            if (IsNamed(m_lines[i].parsed, name))
                return i;
        }
        return kNone;
    }

    // `type` is the only TYPE value besides "pref".
    std::size_t Strict(std::string_view name, std::string_view type) const {
        for (std::size_t i = 0; i < m_lines.size(); ++i) {
            if (!IsNamed(m_lines[i].parsed, name))
                continue;
            std::vector<std::string> values = TypeValues(m_lines[i].parsed);
            values.erase(std::remove_if(values.begin(), values.end(),
                                        [](const std::string& value) {
                                            return platform::EqualsIgnoreAsciiCase(value, "pref");
                                        }),
                         values.end());
            if (values.size() == 1 && platform::EqualsIgnoreAsciiCase(values[0], type))
                return i;
        }
        return kNone;
    }

    // `type` among the TYPE values; `except` is passed over.
    std::size_t Lenient(std::string_view name, std::string_view type, std::size_t except = kNone) const {
        for (std::size_t i = 0; i < m_lines.size(); ++i) {
            if (i != except && IsNamed(m_lines[i].parsed, name) && HasType(m_lines[i].parsed, type))
                return i;
        }
        return kNone;
    }

    const CICalLine& At(std::size_t i) const { return m_lines[i].parsed; }
    std::size_t Size() const { return m_lines.size(); }

  private:
    const std::vector<CardLine>& m_lines;
};

void Put(Slots* slots, CardSlot slot, std::size_t line) {
    if (line != kNone)
        (*slots)[slot] = line;
}

// The lower-case groups labelled "Other": item2.EMAIL:x@example.org with item2.X-ABLABEL:_$!<Other>!$_.
std::vector<std::string> OtherLabelGroups(const Finder& find) {
    std::vector<std::string> groups;
    for (std::size_t i = 0; i < find.Size(); ++i) {
        const std::string name = platform::AsciiLower(find.At(i).Name());
        const std::size_t suffix = name.find(".x-ablabel");
        if (suffix != std::string::npos &&
            platform::AsciiLower(find.At(i).Value()).find("other") != std::string::npos)
            groups.push_back(name.substr(0, suffix));
    }
    return groups;
}

bool IsInGroup(const CICalLine& line, const std::vector<std::string>& groups) {
    const std::string name = platform::AsciiLower(line.Name());
    const std::size_t dot = name.rfind('.');
    return dot != std::string::npos &&
           std::find(groups.begin(), groups.end(), name.substr(0, dot)) != groups.end();
}

void FindEmails(const Finder& find, Slots* slots) {
    const std::vector<std::string> other_groups = OtherLabelGroups(find);
    // Addresses typed neither home, work nor other (Google writes only INTERNET, many clients nothing)
    // fill the slots their typed lookups leave empty, in slot order, instead of being lost.
    std::vector<std::size_t> untyped;
    for (std::size_t i = 0; i < find.Size(); ++i) {
        const CICalLine& line = find.At(i);
        if (IsNamed(line, "EMAIL") && !HasType(line, "home") && !HasType(line, "work") &&
            !HasType(line, "OTHER") && !line.HasName("OTHER.EMAIL") && !IsInGroup(line, other_groups))
            untyped.push_back(i);
    }
    std::size_t next_untyped = 0;
    auto or_untyped = [&untyped, &next_untyped](std::size_t typed) {
        if (typed == kNone && next_untyped < untyped.size())
            return untyped[next_untyped++];
        return typed;
    };
    Put(slots, CardSlot::kEmail1, or_untyped(find.Lenient("EMAIL", "home")));
    Put(slots, CardSlot::kEmail2, or_untyped(find.Lenient("EMAIL", "work")));

    std::size_t third = find.ByName("OTHER.EMAIL");
    if (third == kNone)
        third = find.Lenient("EMAIL", "OTHER");
    if (third == kNone && next_untyped < untyped.size())
        third = untyped[next_untyped++];
    for (std::size_t i = 0; i < find.Size() && third == kNone; ++i) {
        if (IsNamed(find.At(i), "EMAIL") && IsInGroup(find.At(i), other_groups))
            third = i;
    }
    Put(slots, CardSlot::kEmail3, third);
}

enum class PhoneKind { kHome, kWork, kCell, kHomeFax, kWorkFax, kOther, kNotHeld };

PhoneKind KindOf(const CICalLine& line) {
    if (HasType(line, "fax")) {
        if (HasType(line, "home"))
            return PhoneKind::kHomeFax;
        return HasType(line, "work") ? PhoneKind::kWorkFax : PhoneKind::kNotHeld;
    }
    for (const char* kind : {"pager", "car", "isdn", "modem", "bbs", "textphone"}) {
        if (HasType(line, kind))
            return PhoneKind::kNotHeld;
    }
    if (HasType(line, "cell"))
        return PhoneKind::kCell;
    if (HasType(line, "work"))
        return PhoneKind::kWork;
    if (HasType(line, "home"))
        return PhoneKind::kHome;
    return PhoneKind::kOther;
}

void FindPhones(const Finder& find, Slots* slots) {
    for (std::size_t i = 0; i < find.Size(); ++i) {
        if (!IsNamed(find.At(i), "TEL"))
            continue;
        std::vector<CardSlot> candidates;
        switch (KindOf(find.At(i))) {
            case PhoneKind::kHome:
                candidates = {CardSlot::kHomePhone, CardSlot::kHome2Phone, CardSlot::kOtherPhone};
                break;
            case PhoneKind::kWork:
                candidates = {CardSlot::kBusinessPhone, CardSlot::kBusiness2Phone, CardSlot::kOtherPhone};
                break;
            case PhoneKind::kCell:
                candidates = {CardSlot::kMobilePhone, CardSlot::kOtherPhone};
                break;
            case PhoneKind::kHomeFax:
                candidates = {CardSlot::kHomeFax};
                break;
            case PhoneKind::kWorkFax:
                candidates = {CardSlot::kBusinessFax};
                break;
            case PhoneKind::kOther:
                candidates = {CardSlot::kOtherPhone};
                break;
            case PhoneKind::kNotHeld:
                break;
        }
        for (const CardSlot slot : candidates) {
            if (slots->count(slot) == 0) {
                (*slots)[slot] = i;
                break;
            }
        }
    }
}

std::string DecodedTelephone(std::string_view value) {
    std::string number = DecodeValue(value);
    if (number.size() >= 4 && platform::EqualsIgnoreAsciiCase(std::string_view(number).substr(0, 4), "tel:"))
        number.erase(0, 4);
    return number;
}

}  // namespace

std::map<CardSlot, std::size_t> FindCardSlots(const std::vector<CardLine>& lines) {
    const Finder find(lines);
    Slots slots;
    FindEmails(find, &slots);
    FindPhones(find, &slots);
    Put(&slots, CardSlot::kFullName, find.ByName("FN"));
    Put(&slots, CardSlot::kName, find.ByName("N"));
    Put(&slots, CardSlot::kNote, find.ByName("NOTE"));
    const std::size_t home_address = find.Lenient("ADR", "home");
    Put(&slots, CardSlot::kHomeAddress, home_address);
    Put(&slots, CardSlot::kWorkAddress, find.Lenient("ADR", "work", home_address));
    Put(&slots, CardSlot::kHomePage, find.Strict("URL", "home"));
    Put(&slots, CardSlot::kBusinessHomePage, find.Strict("URL", "work"));
    Put(&slots, CardSlot::kOrganization, find.ByName("ORG"));
    Put(&slots, CardSlot::kJobTitle, find.ByName("TITLE"));
    const std::size_t birthday = find.ByName("BDAY");
    if (birthday != kNone && ReadBirthday(find.At(birthday).Value()))
        slots[CardSlot::kBirthday] = birthday;
    Put(&slots, CardSlot::kRevision, find.ByName("REV"));
    Put(&slots, CardSlot::kCategories, find.ByName("CATEGORIES"));
    Put(&slots, CardSlot::kUid, find.ByName("UID"));
    return slots;
}

std::optional<std::pair<std::size_t, std::size_t>> OwnedComponents(CardSlot slot) {
    switch (slot) {
        case CardSlot::kName:
            return std::make_pair(0, 4);
        case CardSlot::kHomeAddress:
            return std::make_pair(2, 6);
        case CardSlot::kWorkAddress:
            return std::make_pair(1, 6);
        case CardSlot::kOrganization:
            return std::make_pair(0, 1);
        default:
            return std::nullopt;
    }
}

std::vector<std::string> DecodedComponents(const CICalLine& line) {
    std::vector<std::string> components = SplitUnescaped(line.Value(), ';');
    for (std::string& component : components)
        component = DecodeValue(component);
    return components;
}

std::string TelephoneNumber(const CICalLine& line) {
    return DecodedTelephone(line.Value());
}

std::string SlotValue(CardSlot slot, const CICalLine& line) {
    if (const auto owned = OwnedComponents(slot)) {
        const std::vector<std::string> components = DecodedComponents(line);
        std::string value;
        for (std::size_t i = owned->first; i <= owned->second; ++i) {
            if (i > owned->first)
                value += '\n';
            if (i < components.size())
                value += components[i];
        }
        return value;
    }
    if (line.HasName("TEL"))
        return TelephoneNumber(line);
    if (slot == CardSlot::kBirthday) {
        const auto birthday = ReadBirthday(line.Value());
        return birthday ? birthday->Format("%Y-%m-%d") : std::string();
    }
    if (slot == CardSlot::kCategories || slot == CardSlot::kUid || slot == CardSlot::kRevision)
        return line.Value();
    return DecodeValue(line.Value());
}

}  // namespace contacts
