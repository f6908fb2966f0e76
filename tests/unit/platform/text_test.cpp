#include "platform/text.h"

#include <gtest/gtest.h>

#include "platform/code_page.h"

namespace {

TEST(Utf16Counting, CountsSupplementaryCharactersAsTwoUnitsAndPrefixNeverSplitsOne) {
    EXPECT_EQ(platform::Utf16Length("\xC3\xA9"), 1u);          // e acute
    EXPECT_EQ(platform::Utf16Length("\xF0\x9F\x98\x80"), 2u);  // emoji
    const std::string text =
        "a\xF0\x9F\x98\x80"
        "b";
    EXPECT_EQ(platform::Utf8PrefixByUtf16Units(text, 1), "a");
    EXPECT_EQ(platform::Utf8PrefixByUtf16Units(text, 2), "a");  // the emoji needs two units
    EXPECT_EQ(platform::Utf8PrefixByUtf16Units(text, 3), "a\xF0\x9F\x98\x80");
    EXPECT_EQ(platform::Utf8PrefixByUtf16Units(text, 99), text);
}

TEST(Utf8Sanitizing, ReplacesInvalidSequencesAndKeepsValidText) {
    EXPECT_EQ(platform::SanitizeUtf8("ok \xC3\xA9"), "ok \xC3\xA9");
    EXPECT_EQ(platform::SanitizeUtf8("a\xFF"
                                     "b"),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(platform::SanitizeUtf8("\xC3"), "\xEF\xBF\xBD");  // truncated sequence at the end
    for (const char* invalid :
         {"\xED\xA0\x80", "\xC0\xAF", "\xF4\x90\x80\x80"}) {  // surrogate, overlong, > 10FFFF
        SCOPED_TRACE(invalid);
        EXPECT_EQ(platform::SanitizeUtf8(invalid).find(invalid), std::string::npos);
    }
    EXPECT_EQ(platform::Utf16ToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");  // lone surrogate
    const std::string text = "Grüße \xF0\x9F\x8E\x89 日本";
    EXPECT_EQ(platform::Utf16ToUtf8(platform::Utf8ToUtf16(text)), text);
}

TEST(AsciiCase, MapsOnlyAsciiLetters) {
    EXPECT_TRUE(platform::EqualsIgnoreAsciiCase("ABC/x", "abc/X"));
    EXPECT_FALSE(platform::EqualsIgnoreAsciiCase("\xC3\x89", "\xC3\xA9"));  // É and é differ
    EXPECT_FALSE(platform::EqualsIgnoreAsciiCase("abc", "abcd"));
    EXPECT_EQ(platform::AsciiLower("AbC-Ü"), "abc-Ü");
}

TEST(Trimming, RemovesWhiteSpaceAtBothEnds) {
    EXPECT_EQ(platform::TrimWhitespace(" \t a b \r\n"), "a b");
    EXPECT_EQ(platform::TrimWhitespace(" \t "), "");
}

TEST(AnsiCodePage, CLocaleCountsAsUtf8SoNothingIsLost) {
    // The tests run in the C or a UTF-8 locale; either way the code page holds every character.
    EXPECT_EQ(platform::AnsiCodePageName(), "UTF-8");
    EXPECT_EQ(platform::AnsiToUtf8(platform::Utf8ToAnsi("pässwörd €")), "pässwörd €");
}

}  // namespace
