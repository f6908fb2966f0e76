// Which content line of a vCard fills which field of the store's contact: the reader's choice, shared
// with the merge so that it replaces exactly the lines the store holds.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "contacts/vcard_lines.h"

namespace contacts {

enum class CardSlot {
    kEmail1,
    kEmail2,
    kEmail3,
    kFullName,
    kName,
    kNote,
    kHomeAddress,
    kHomePhone,
    kHome2Phone,
    kHomeFax,
    kMobilePhone,
    kHomePage,
    kOrganization,
    kWorkAddress,
    kJobTitle,
    kBusinessPhone,
    kBusiness2Phone,
    kBusinessFax,
    kOtherPhone,
    kBusinessHomePage,
    kBirthday,
    kRevision,
    kCategories,
    kUid,
};

// The index in `lines` of the line each slot takes; a slot without one is left out. Telephone lines go,
// in card order, to the first free slot of their kind: home (home, home 2, other), work (business,
// business 2, other), cell (mobile, other), home fax, work fax, and other for the rest; pager, car and
// the like stay out. A BDAY the reader cannot read stays out.
std::map<CardSlot, std::size_t> FindCardSlots(const std::vector<CardLine>& lines);

// The components of the structured value that the store holds, [first, last]; none for a plain value.
std::optional<std::pair<std::size_t, std::size_t>> OwnedComponents(CardSlot slot);

// What the store takes from a line in this slot, to tell whether two lines say the same: the decoded
// value (without "tel:" for a telephone URI), the held components decoded and joined by LF, a birthday
// as %Y-%m-%d.
std::string SlotValue(CardSlot slot, const CICalLine& line);

// The decoded components of a structured value (at least one).
std::vector<std::string> DecodedComponents(const CICalLine& line);

// A telephone value without the "tel:" of a URI value (vCard 4.0), decoded.
std::string TelephoneNumber(const CICalLine& line);

}  // namespace contacts
