// The CryptoAPI pieces the add-in uses: MD5, RC4 with the base provider's key derivation, and random
// bytes for GUIDs and nonces.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

using Md5Digest = std::array<std::uint8_t, 16>;

Md5Digest Md5(std::string_view bytes);
// Lowercase hexadecimal of the digest (32 characters).
std::string Md5Hex(std::string_view bytes);

// CryptDeriveKey(CALG_RC4) of "Microsoft Base Cryptographic Provider v1.0" from an MD5 hash: a 40-bit key,
// the hash's first 5 bytes, followed by 11 zero bytes of salt, used as a 16-byte RC4 key.
std::array<std::uint8_t, 16> DeriveBaseProviderRc4Key(const Md5Digest& hash);

// RC4 over the bytes in place (encryption and decryption are the same).
void Rc4Transform(const std::array<std::uint8_t, 16>& key, std::string* bytes);

// Bytes from the kernel's random source. Fails only if the kernel refuses, which it does not once booted.
bool RandomBytes(std::uint8_t* out, std::size_t count);

// A new random GUID in registry form, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (CoCreateGuid +
// StringFromGUID2).
std::string NewGuidString();

}  // namespace platform
