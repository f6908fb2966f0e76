#include "settings/crypt.h"

#include <gtest/gtest.h>

namespace {

TEST(PasswordCrypt, RoundTripAcceptsUpperCaseHexAndEndsAtTheFirstZeroByte) {
    CCrypt crypt;
    std::string hex;
    ASSERT_TRUE(crypt.Encrypt(&hex, "s3cr3t!", nullptr, CCrypt::SettingsKeyText()));
    EXPECT_EQ(hex.size(), 14u);
    std::string upper = hex;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::string plain;
    ASSERT_TRUE(crypt.Decrypt(&plain, upper, nullptr, CCrypt::SettingsKeyText()));
    EXPECT_EQ(plain, "s3cr3t!");

    ASSERT_TRUE(crypt.Encrypt(&hex, std::string("ab\0cd", 5), nullptr, CCrypt::SettingsKeyText()));
    ASSERT_TRUE(crypt.Decrypt(&plain, hex, nullptr, CCrypt::SettingsKeyText()));
    EXPECT_EQ(plain, "ab");
}

TEST(PasswordCrypt, EmptyStaysEmptyAndOddOrNonHexInputGivesEmptyText) {
    CCrypt crypt;
    std::string out = "x";
    EXPECT_TRUE(crypt.Encrypt(&out, "", nullptr, CCrypt::SettingsKeyText()));
    EXPECT_EQ(out, "");
    for (const char* bad : {"abc", "zz", "0g"}) {
        SCOPED_TRACE(bad);
        std::string plain = "kept?";
        EXPECT_FALSE(crypt.Decrypt(&plain, bad, nullptr, CCrypt::SettingsKeyText()));
        EXPECT_EQ(plain, "");
    }
}

TEST(PasswordCrypt, KeyComesFromTheFifthByteOnOfTheExtraTextOrFromAnExplicitKeyText) {
    CCrypt crypt;
    std::string a, b, c, d;
    ASSERT_TRUE(crypt.Encrypt(&a, "password", nullptr, CCrypt::SettingsKeyText()));
    ASSERT_TRUE(crypt.Encrypt(&b, "password", nullptr, "other"));
    ASSERT_TRUE(crypt.Encrypt(&c, "password", "explicit key", nullptr));
    EXPECT_NE(a, b);
    EXPECT_NE(a, c);
    // Only the first five characters of the extra text count.
    ASSERT_TRUE(
        crypt.Encrypt(&d, "password", nullptr, (std::string(CCrypt::SettingsKeyText()) + "xyz").c_str()));
    EXPECT_EQ(a, d);
    // Pass phrase (14) + extra (5) = 19 bytes, of which the first four are skipped.
    EXPECT_EQ(CCrypt::BuildKeyMaterial(CCrypt::SettingsKeyText()).size(), 15u);
    EXPECT_EQ(CCrypt::BuildKeyMaterial(nullptr).size(), 10u);
}

}  // namespace
