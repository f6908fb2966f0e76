// Cases of a card row file (tests/data/contacts/*-rows.txt): a contact before, the lines of a card and
// what must hold after. The file's head comment gives the form.
#pragma once

#include <string>
#include <vector>

#include "unit/contacts/contact_test_support.h"

namespace contacts_test {

struct CardRow {
    std::string name;
    Fields before;
    // The card's lines, folds joined with CRLF, ends of lines not included.
    std::vector<std::string> lines;
    Fields after;
};

std::vector<CardRow> LoadCardRows(const std::string& path);

// A saved contact of the row's text fields, its Birthday set after the save.
outlook::ComPtr<outlook::ContactItem> AddContactBefore(HostOutlook& outlook, const CardRow& row);

// "BEGIN:VCARD" and VERSION 3.0, the lines, "END:VCARD".
std::string CardOf(const std::vector<std::string>& lines);

}  // namespace contacts_test
