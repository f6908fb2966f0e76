// Escaping, folding, unfolding, content lines, dates and durations.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>

#include "ical/ical_date.h"
#include "ical/ical_duration.h"
#include "ical/ical_line.h"
#include "ical/ical_text.h"
#include "support/data_rows.h"
#include "test_appointments.h"

namespace {

using platform::DateTime;

class IcalText : public ::testing::Test {
  protected:
    void SetUp() override { testdata::UseBerlinTime(); }
};

TEST_F(IcalText, EscapesAndUnescapesEveryRow) {
    const std::map<std::string, std::function<std::string(const std::string&)>> functions = {
        {"escape", ical::EscapeText},
        {"escape-newlines", ical::EscapeNewlines},
        {"unescape", ical::UnescapeText},
        {"unescape-newlines", ical::UnescapeNewlines},
        {"unescape-all",
         [](const std::string& text) { return ical::UnescapeText(ical::UnescapeNewlines(text)); }},
        // The cheap test, then what parsing says; "not begin" would be a line the readers wrongly skip.
        {"begin-line", [](const std::string& line) {
             const std::optional<CICalLine> parsed = CICalLine::Parse(line);
             return std::string(CICalLine::MayHaveName(line, "BEGIN") ? "may " : "not ") +
                    (parsed && parsed->HasName("BEGIN") ? "begin" : "other");
         }}};
    for (const auto& row : testing_support::ReadDataRows(VELSYNC_ICAL_DATA "/text-rows.txt", 3)) {
        SCOPED_TRACE(row[0] + " " + row[1]);
        ASSERT_TRUE(functions.contains(row[0]));
        EXPECT_EQ(functions.at(row[0])(row[1]), row[2]);
    }
}

// After "UID:", 71 units fit on the first line and 75 on each further one.
TEST_F(IcalText, FoldsAt75Utf16UnitsAndNeverSplitsASurrogatePair) {
    const std::string emoji = "\xF0\x9F\x98\x80";
    std::string accented;  // "é": one unit, two octets
    for (int i = 0; i < 72; ++i)
        accented += "\xC3\xA9";
    const struct {
        const char* name;
        std::string value;
        std::string folded;
    } rows[] = {
        {"exactly 75", std::string(71, 'u'), std::string(71, 'u')},
        {"two folds", std::string(147, 'u'),
         std::string(71, 'u') + "\r\n\t" + std::string(75, 'u') + "\r\n\tu"},
        {"units, not octets", accented, accented.substr(0, 142) + "\r\n\t\xC3\xA9"},
        // The emoji's two units would end at unit 76: the fold comes one unit earlier.
        {"pair stays whole", std::string(70, 'x') + emoji + "!",
         std::string(70, 'x') + "\r\n\t" + emoji + "!"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ical::FoldLine("UID:", row.value), "UID:" + row.folded + "\r\n") << row.name;
}

TEST_F(IcalText, UnfoldsSpaceAndTabContinuations) {
    const auto lines = ical::UnfoldLines("A:one\r\n two\r\n\tthree\r\nB:x\nC:y\r\n\r\n");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "A:onetwothree");
    EXPECT_EQ(lines[1], "B:x");
    EXPECT_EQ(lines[2], "C:y");
    // A text that ends inside a fold is read as far as it goes.
    const auto cut = ical::UnfoldLines("A:one\r\n ");
    ASSERT_EQ(cut.size(), 1u);
    EXPECT_EQ(cut[0], "A:one");
}

// Plain lines are read by every reader test; these are the odd ones.
TEST_F(IcalText, ContentLineSplitsNameParametersAndValue) {
    EXPECT_FALSE(CICalLine::Parse("no colon here").has_value());
    // A parameter without "=" is kept with an empty key and named by no key; an empty piece is dropped;
    // the value keeps every later colon.
    const auto odd = CICalLine::Parse("X;FLAG;;K=v:a:b");
    ASSERT_TRUE(odd.has_value());
    const std::vector<std::pair<std::string, std::string>> parameters = {{"", "FLAG"}, {"K", "v"}};
    EXPECT_EQ(odd->Parameters(), parameters);
    EXPECT_EQ(odd->GetParameter("FLAG"), "");
    EXPECT_EQ(odd->GetParameter("k"), "v");
    EXPECT_EQ(odd->Value(), "a:b");
    // Newline escapes in the value become CR LF; other escapes wait for the text properties.
    EXPECT_EQ(CICalLine::Parse("DESCRIPTION:a\\nb\\,c")->Value(), "a\r\nb\\,c");
}

TEST_F(IcalText, QuotedParameterMayHoldColonAndSemicolon) {
    const auto line =
        CICalLine::Parse("ATTENDEE;CN=\"Doe; John: Sales\";PARTSTAT=ACCEPTED:mailto:john@example.com");
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ(line->GetParameter("CN"), "\"Doe; John: Sales\"");
    EXPECT_EQ(line->GetParameter("PARTSTAT"), "ACCEPTED");
    EXPECT_EQ(line->Value(), "mailto:john@example.com");
    // An unbalanced quote does not hide the value.
    const auto broken = CICalLine::Parse("X;CN=\"open:value");
    ASSERT_TRUE(broken.has_value());
    EXPECT_EQ(broken->Value(), "value");
}

TEST_F(IcalText, DatesOfEveryRow) {
    const std::map<std::string, unsigned> flags = {
        {"none", ical::kNoConversion}, {"always-utc", ical::kAlwaysUtc}, {"timed-utc", ical::kTimedUtc}};
    for (const auto& row : testing_support::ReadDataRows(VELSYNC_ICAL_DATA "/date-rows.txt", 4)) {
        SCOPED_TRACE(row[0]);
        const DateTime parsed = ical::ParseICalDate(row[1], flags.at(row[2]));
        EXPECT_EQ(parsed.IsValid() ? parsed.Format("%Y%m%dT%H%M%S") : "invalid", row[3]);
    }
}

TEST_F(IcalText, DurationsOfEveryRow) {
    for (const auto& row : testing_support::ReadDataRows(VELSYNC_ICAL_DATA "/duration-rows.txt", 2)) {
        SCOPED_TRACE(row[0]);
        const auto seconds = ical::ParseDurationSeconds(row[0]);
        EXPECT_EQ(seconds ? std::to_string(*seconds) : "invalid", row[1]);
    }
}

}  // namespace
