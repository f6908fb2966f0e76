#include "unit/contacts/card_rows.h"

#include <cstdio>
#include <fstream>

#include "platform/date_time.h"
#include "support/escaped_text.h"

namespace contacts_test {
namespace {

void AddField(const std::string& line, Fields* fields) {
    const std::size_t equals = line.find('=');
    EXPECT_NE(equals, std::string::npos) << line;
    (*fields)[line.substr(2, equals - 2)] = testing_support::Unescaped(line.substr(equals + 1));
}

}  // namespace

std::vector<CardRow> LoadCardRows(const std::string& path) {
    std::ifstream file(path);
    EXPECT_TRUE(file) << path;
    std::vector<CardRow> rows;
    std::string line;
    bool open = false;
    while (std::getline(file, line)) {
        if (line.empty()) {
            open = false;
            continue;
        }
        if (line[0] == '#') {
            // "# name" opens a case; "##" lines are the file's own comments.
            if (!open && line.rfind("# ", 0) == 0) {
                rows.push_back(CardRow{line.substr(2), {}, {}, {}});
                open = true;
            }
            continue;
        }
        if (!open) {
            ADD_FAILURE() << path << ": a line outside a case: " << line;
            continue;
        }
        CardRow& row = rows.back();
        if (line.rfind("< ", 0) == 0) {
            AddField(line, &row.before);
        } else if (line.rfind("> ", 0) == 0) {
            AddField(line, &row.after);
        } else if (line[0] == '\t' && !row.lines.empty()) {
            row.lines.back() += "\r\n" + line;
        } else {
            row.lines.push_back(line);
        }
    }
    return rows;
}

outlook::ComPtr<outlook::ContactItem> AddContactBefore(HostOutlook& outlook, const CardRow& row) {
    Fields fields = row.before;
    fields.erase("Birthday");
    fields.erase("pref");
    auto contact = outlook.AddContact(fields);
    const auto birthday = row.before.find("Birthday");
    if (birthday != row.before.end()) {
        int year = 0, month = 0, day = 0;
        EXPECT_EQ(std::sscanf(birthday->second.c_str(), "%d-%d-%d", &year, &month, &day), 3);
        EXPECT_EQ(contact->put_Birthday(platform::DateTime::FromParts(year, month, day)), S_OK);
    }
    return contact;
}

std::string CardOf(const std::vector<std::string>& lines) {
    std::string text = "BEGIN:VCARD\r\nVERSION:3.0\r\n";
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text + "END:VCARD\r\n";
}

}  // namespace contacts_test
