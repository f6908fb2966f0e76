#include "platform/crypto.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>

namespace {

std::string Hex(const std::string& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char byte : bytes) {
        out.push_back(kDigits[byte >> 4]);
        out.push_back(kDigits[byte & 0xF]);
    }
    return out;
}

TEST(Md5, KnownAnswers) {
    EXPECT_EQ(platform::Md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(platform::Md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
}

TEST(BaseProviderRc4, KnownAnswerOfTheFortyBitKey) {
    // The base provider keeps 5 bytes of the hash and salts with 11 zero bytes.
    const platform::Md5Digest hash = {0x73, 0x40, 0xe6, 0xe2, 0x74, 0xb8, 0xea, 0x39,
                                      0x93, 0x95, 0xaa, 0x29, 0xd6, 0x38, 0xb5, 0x2a};
    std::string bytes;
    for (int i = 0; i < 32; ++i)
        bytes.push_back(static_cast<char>(i));
    platform::Rc4Transform(platform::DeriveBaseProviderRc4Key(hash), &bytes);
    EXPECT_EQ(Hex(bytes), "2659de2444fa369c110cbb9db6a2bd24042ee3ba7276f3278dd5b42f56cff8c9");
}

TEST(Guids, AreRegistryFormAndDistinct) {
    const std::regex form("\\{[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}\\}");
    std::set<std::string> seen;
    for (int i = 0; i < 50; ++i) {
        const std::string guid = platform::NewGuidString();
        EXPECT_TRUE(std::regex_match(guid, form)) << guid;
        seen.insert(guid);
    }
    EXPECT_EQ(seen.size(), 50u);
}

}  // namespace
