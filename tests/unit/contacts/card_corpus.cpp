#include "unit/contacts/card_corpus.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>

#include "contacts/vcard_lines.h"
#include "host/contact_object.h"
#include "platform/date_time.h"
#include "support/escaped_text.h"
#include "support/temp_home.h"

namespace contacts_test {
namespace {

std::vector<std::string> Unfolded(const std::string& card, bool values_only) {
    std::vector<std::string> lines;
    for (const contacts::CardLine& line : contacts::ReadCardLines(card)) {
        if (!line.parsed.HasName("REV"))
            lines.emplace_back(values_only ? contacts::ValueOf(line.unfolded) : line.unfolded);
    }
    return lines;
}

std::vector<std::string> ValuesOf(const std::vector<std::string>& lines, bool values_only) {
    std::vector<std::string> values;
    for (const std::string& line : lines)
        values.emplace_back(values_only ? contacts::ValueOf(line) : line);
    return values;
}

// Lines of `from` less those of `less`, each taken once, in order.
std::vector<std::string> Without(std::vector<std::string> from, const std::vector<std::string>& less) {
    for (const std::string& line : less) {
        const auto found = std::find(from.begin(), from.end(), line);
        if (found != from.end())
            from.erase(found);
    }
    return from;
}

}  // namespace

std::vector<CorpusCard> LoadCardCorpus() {
    std::vector<std::filesystem::path> paths;
    for (const auto& entry : std::filesystem::directory_iterator(VELSYNC_CONTACTS_DATA "/cards")) {
        if (entry.path().extension() == ".vcf")
            paths.push_back(entry.path());
    }
    std::sort(paths.begin(), paths.end());
    std::vector<CorpusCard> cards;
    for (const auto& path : paths) {
        CorpusCard card;
        card.name = path.stem().string();
        card.text = testing_support::ReadFileOrEmpty(path);
        std::istringstream expect(
            testing_support::ReadFileOrEmpty(std::filesystem::path(path).replace_extension(".expect")));
        std::string line;
        while (std::getline(expect, line)) {
            if (line.empty() || line[0] == '#')
                continue;
            if (line.rfind("- ", 0) == 0) {
                card.removed.push_back(line.substr(2));
                continue;
            }
            if (line.rfind("+ ", 0) == 0) {
                card.added.push_back(line.substr(2));
                continue;
            }
            const bool edit = line.rfind("edit ", 0) == 0;
            if (edit)
                line.erase(0, 5);
            const std::size_t equals = line.find('=');
            EXPECT_NE(equals, std::string::npos) << card.name << ": " << line;
            const std::string key = line.substr(0, equals);
            const std::string value = testing_support::Unescaped(line.substr(equals + 1));
            if (edit) {
                card.edit_field = key;
                card.edit_value = value;
            } else if (key == "Birthday") {
                card.birthday = value;
            } else if (key == "pref") {
                card.pref = std::stoi(value);
            } else {
                card.fields[key] = value;
            }
        }
        EXPECT_FALSE(card.edit_field.empty()) << card.name << " has no edit";
        cards.push_back(std::move(card));
    }
    return cards;
}

void ExpectReadAsExpected(HostOutlook& outlook, const std::string& entry_id, const CorpusCard& card,
                          int pref) {
    for (const std::string& field : host::ContactObject::TextFields()) {
        if (field == "FileAs")  // follows FullName
            continue;
        const auto expected = card.fields.find(field);
        EXPECT_EQ(outlook.Field(entry_id, field), expected == card.fields.end() ? "" : expected->second)
            << field;
    }
    for (const auto& [field, value] : card.fields) {
        const auto& known = host::ContactObject::TextFields();
        EXPECT_NE(std::find(known.begin(), known.end(), field), known.end()) << "unknown field " << field;
    }
    platform::DateTime birthday;
    ASSERT_EQ(outlook.Contact(entry_id)->get_Birthday(&birthday), S_OK);
    EXPECT_EQ(birthday.Format("%Y-%m-%d"), card.birthday.empty() ? "4501-01-01" : card.birthday);
    EXPECT_EQ(pref, card.pref);
}

void ExpectOnlyTheEditDiffers(const CorpusCard& card, const std::string& before, const std::string& after,
                              bool values_only) {
    const std::vector<std::string> old_lines = Unfolded(before, values_only);
    const std::vector<std::string> new_lines = Unfolded(after, values_only);
    const std::vector<std::string> removed = ValuesOf(card.removed, values_only);
    const std::vector<std::string> added = ValuesOf(card.added, values_only);
    EXPECT_EQ(Without(old_lines, new_lines), removed);
    EXPECT_EQ(Without(new_lines, old_lines), added);
    EXPECT_EQ(Without(old_lines, removed), Without(new_lines, added)) << "order of the kept lines";
}

std::string ParseWithVobject(const std::string& folder) {
    const std::string command = "/usr/bin/python3 " VELSYNC_PARSE_CARDS " '" + folder + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return "cannot run " + command;
    std::string output;
    char buffer[4096];
    while (fgets(buffer, sizeof(buffer), pipe) != nullptr)
        output += buffer;
    const int status = pclose(pipe);
    if (status != 0 && output.empty())
        output = "exit status " + std::to_string(status);
    return status == 0 ? "" : output;
}

}  // namespace contacts_test
