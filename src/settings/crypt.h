// Password protection: RC4 under a key derived from fixed texts of the module, stored as lowercase hex.
// It keeps the password out of plain sight in the registry; it is the same on every installation.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

class CCrypt {
  public:
    CCrypt() = default;
    virtual ~CCrypt() = default;

    // `plain` is 8-bit text; the output is two lowercase hex digits per byte, empty on failure.
    // `key_text`, when given, is the key material itself; otherwise it is built from the pass phrase and
    // `extra_key_text`.
    bool Encrypt(std::string* hex, const std::string& plain, const char* key_text,
                 const char* extra_key_text);
    // The inverse; an odd-length or non-hex input gives the empty text. The output ends at the first zero.
    bool Decrypt(std::string* plain, const std::string& hex, const char* key_text,
                 const char* extra_key_text);

    // "Error creating encryption key" after a failed key derivation, else empty.
    const std::string& GetErrorText() const { return m_errorText; }

    // The extra key text the settings store passes to every call.
    static const char* SettingsKeyText();
    // The key material built from the pass phrase and an extra key text (exposed for tests).
    static std::string BuildKeyMaterial(const char* extra_key_text);

  private:
    bool DeriveKey(const char* key_text, const char* extra_key_text);

    std::optional<std::array<std::uint8_t, 16>> m_key;
    bool m_lastResult = false;
    std::uint32_t m_lastError = 0;
    std::string m_errorText;
};
