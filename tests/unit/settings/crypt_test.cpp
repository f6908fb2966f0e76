#include "settings/crypt.h"

#include <gtest/gtest.h>

namespace {

TEST(PasswordCrypt, EmptyTextStaysEmptyBothWays) {
    CCrypt crypt;
    std::string out = "x";
    EXPECT_TRUE(crypt.Encrypt(&out, "", nullptr, CCrypt::SettingsKeyText()));
    EXPECT_EQ(out, "");
    EXPECT_TRUE(crypt.Decrypt(&out, "", nullptr, CCrypt::SettingsKeyText()));
    EXPECT_EQ(out, "");
}

TEST(PasswordCrypt, RoundTripAndUpperCaseHex) {
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
}

TEST(PasswordCrypt, OddOrNonHexInputGivesEmptyText) {
    CCrypt crypt;
    std::string plain = "kept?";
    EXPECT_FALSE(crypt.Decrypt(&plain, "abc", nullptr, CCrypt::SettingsKeyText()));
    EXPECT_EQ(plain, "");
    plain = "kept?";
    EXPECT_FALSE(crypt.Decrypt(&plain, "zz", nullptr, CCrypt::SettingsKeyText()));
    EXPECT_EQ(plain, "");
}

TEST(PasswordCrypt, DecryptedTextEndsAtTheFirstZeroByte) {
    CCrypt crypt;
    std::string hex;
    ASSERT_TRUE(crypt.Encrypt(&hex, std::string("ab\0cd", 5), nullptr, CCrypt::SettingsKeyText()));
    std::string plain;
    ASSERT_TRUE(crypt.Decrypt(&plain, hex, nullptr, CCrypt::SettingsKeyText()));
    EXPECT_EQ(plain, "ab");
}

TEST(PasswordCrypt, KeyDependsOnTheExtraTextAndAnExplicitKeyText) {
    CCrypt crypt;
    std::string a, b, c;
    ASSERT_TRUE(crypt.Encrypt(&a, "password", nullptr, CCrypt::SettingsKeyText()));
    ASSERT_TRUE(crypt.Encrypt(&b, "password", nullptr, "other"));
    ASSERT_TRUE(crypt.Encrypt(&c, "password", "explicit key", nullptr));
    EXPECT_NE(a, b);
    EXPECT_NE(a, c);
    // Only the first five characters of the extra text count.
    std::string d;
    ASSERT_TRUE(
        crypt.Encrypt(&d, "password", nullptr, (std::string(CCrypt::SettingsKeyText()) + "xyz").c_str()));
    EXPECT_EQ(a, d);
}

TEST(PasswordCrypt, KeyMaterialIsShuffledFromTheTwoTexts) {
    // Pass phrase (14) + extra (5) = 19 bytes; the material starts at the fifth byte.
    const std::string material = CCrypt::BuildKeyMaterial(CCrypt::SettingsKeyText());
    EXPECT_EQ(material.size(), 15u);
    EXPECT_EQ(CCrypt::BuildKeyMaterial(nullptr).size(), 10u);
    EXPECT_EQ(material, CCrypt::BuildKeyMaterial(CCrypt::SettingsKeyText()));
}

}  // namespace
