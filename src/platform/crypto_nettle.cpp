#include <nettle/arcfour.h>
#include <nettle/md5.h>
#include <sys/random.h>

#include <cerrno>
#include <cstdio>

#include "platform/crypto.h"

namespace platform {

Md5Digest Md5(std::string_view bytes) {
    md5_ctx context;
    md5_init(&context);
    md5_update(&context, bytes.size(), reinterpret_cast<const std::uint8_t*>(bytes.data()));
    Md5Digest digest{};
    md5_digest(&context, digest.size(), digest.data());
    return digest;
}

std::string Md5Hex(std::string_view bytes) {
    const Md5Digest digest = Md5(bytes);
    std::string hex;
    hex.reserve(32);
    static constexpr char kDigits[] = "0123456789abcdef";
    for (std::uint8_t byte : digest) {
        hex.push_back(kDigits[byte >> 4]);
        hex.push_back(kDigits[byte & 0xF]);
    }
    return hex;
}

std::array<std::uint8_t, 16> DeriveBaseProviderRc4Key(const Md5Digest& hash) {
    std::array<std::uint8_t, 16> key{};
    for (std::size_t i = 0; i < 5; ++i)
        key[i] = hash[i];
    return key;
}

void Rc4Transform(const std::array<std::uint8_t, 16>& key, std::string* bytes) {
    arcfour_ctx context;
    arcfour_set_key(&context, key.size(), key.data());
    auto* data = reinterpret_cast<std::uint8_t*>(bytes->data());
    arcfour_crypt(&context, bytes->size(), data, data);
}

bool RandomBytes(std::uint8_t* out, std::size_t count) {
    std::size_t filled = 0;
    while (filled < count) {
        const ssize_t n = getrandom(out + filled, count - filled, 0);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        filled += static_cast<std::size_t>(n);
    }
    return true;
}

std::string NewGuidString() {
    std::uint8_t b[16] = {};
    if (!RandomBytes(b, sizeof b))
        return {};
    b[6] = static_cast<std::uint8_t>((b[6] & 0x0F) | 0x40);  // version 4
    b[8] = static_cast<std::uint8_t>((b[8] & 0x3F) | 0x80);  // RFC 4122 variant
    char text[40];
    std::snprintf(text, sizeof text, "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13],
                  b[14], b[15]);
    return text;
}

}  // namespace platform
