#include "settings/crypt.h"

#include <cstring>

#include "platform/crypto.h"

namespace {

constexpr char kPassPhrase[] = "Vq7#Lm2&Rx9!Tz";  // 14 characters
constexpr char kSettingsKeyText[] = "k3v8w";      // 5 characters
constexpr std::size_t kKeyBufferSize = 100;
constexpr std::size_t kExtraKeyChars = 5;
constexpr std::size_t kKeyMaterialOffset = 4;

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

const char* CCrypt::SettingsKeyText() {
    return kSettingsKeyText;
}

std::string CCrypt::BuildKeyMaterial(const char* extra_key_text) {
    // The material is never stored whole: it is shuffled together from the two texts at run time.
    char buffer[kKeyBufferSize] = {};
    std::memcpy(buffer, kPassPhrase, sizeof kPassPhrase - 1);
    if (extra_key_text)
        std::strncat(buffer, extra_key_text, kExtraKeyChars);
    const long n = static_cast<long>(std::strlen(buffer)) - 1;
    for (long i = 0; i < n; ++i) {
        const char a = buffer[i];
        const char c = buffer[n - i];
        buffer[n - i] = static_cast<char>(static_cast<unsigned char>(a) + 5);
        buffer[i] = c;
    }
    return std::string(buffer + kKeyMaterialOffset);
}

bool CCrypt::DeriveKey(const char* key_text, const char* extra_key_text) {
    const std::string material = key_text ? std::string(key_text) : BuildKeyMaterial(extra_key_text);
    m_key = platform::DeriveBaseProviderRc4Key(platform::Md5(material));
    m_lastResult = true;
    m_lastError = 0;
    m_errorText.clear();
    return true;
}

bool CCrypt::Encrypt(std::string* hex, const std::string& plain, const char* key_text,
                     const char* extra_key_text) {
    hex->clear();
    if ((key_text || extra_key_text || !m_key) && !DeriveKey(key_text, extra_key_text))
        return false;
    std::string bytes = plain;
    platform::Rc4Transform(*m_key, &bytes);
    static constexpr char kDigits[] = "0123456789abcdef";
    hex->reserve(bytes.size() * 2);
    for (unsigned char byte : bytes) {
        hex->push_back(kDigits[byte >> 4]);
        hex->push_back(kDigits[byte & 0xF]);
    }
    return true;
}

bool CCrypt::Decrypt(std::string* plain, const std::string& hex, const char* key_text,
                     const char* extra_key_text) {
    plain->clear();
    if (hex.size() % 2 != 0)
        return false;
    if ((key_text || extra_key_text || !m_key) && !DeriveKey(key_text, extra_key_text))
        return false;
    std::string bytes;
    bytes.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = HexValue(hex[i]);
        const int low = HexValue(hex[i + 1]);
        if (high < 0 || low < 0)
            return false;  // edited by hand: no password rather than a wrong one
        bytes.push_back(static_cast<char>(high << 4 | low));
    }
    platform::Rc4Transform(*m_key, &bytes);
    *plain = bytes.substr(0, bytes.find('\0'));
    return true;
}
