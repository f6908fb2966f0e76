// The vCards of tests/data/contacts/cards, each with what reading it must give and what writing one
// local edit over it may change (NAME.expect beside NAME.vcf).
#pragma once

#include <string>
#include <vector>

#include "unit/contacts/contact_test_support.h"

namespace contacts_test {

struct CorpusCard {
    std::string name;
    std::string text;
    // Every text field of the store that the card fills; the others must stay empty.
    Fields fields;
    std::string birthday;  // %Y-%m-%d, "" for none
    int pref = 0;
    std::string edit_field;
    std::string edit_value;
    // Unfolded lines the edit takes from the card and adds to it (REV aside).
    std::vector<std::string> removed;
    std::vector<std::string> added;
};

std::vector<CorpusCard> LoadCardCorpus();

// Compares the stored contact with the card's fields, birthday and preferred slot.
void ExpectReadAsExpected(HostOutlook& outlook, const std::string& entry_id, const CorpusCard& card,
                          int pref);

// `after` holds the lines of `before` in their order, less the card's removed lines and plus its
// added ones, REV aside. `values_only` compares the values alone, for servers that store cards in their
// own form (Radicale orders the lines and joins TYPE parameters).
void ExpectOnlyTheEditDiffers(const CorpusCard& card, const std::string& before, const std::string& after,
                              bool values_only = false);

// Runs python3-vobject over every file of the folder; "" when each parses as one vCard, else its
// complaint.
std::string ParseWithVobject(const std::string& folder);

}  // namespace contacts_test
