// Reads back what registration wrote, in the terms the tests compare.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/registry.h"

namespace registration_test {

inline bool KeyExists(platform::RootKey root, const std::string& path) {
    std::unique_ptr<platform::RegistryKey> key;
    return platform::RegistryKey::Open(root, path, &key) == ERROR_SUCCESS;
}

// The string value, or nothing when the key or the value is missing or not a string.
inline std::optional<std::string> ReadString(platform::RootKey root, const std::string& path,
                                             const std::string& name = "") {
    std::unique_ptr<platform::RegistryKey> key;
    if (platform::RegistryKey::Open(root, path, &key) != ERROR_SUCCESS)
        return std::nullopt;
    std::string value;
    if (platform::QueryStringValue(*key, name, 4096, &value) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

inline std::optional<DWORD> ReadDword(platform::RootKey root, const std::string& path,
                                      const std::string& name) {
    std::unique_ptr<platform::RegistryKey> key;
    if (platform::RegistryKey::Open(root, path, &key) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD value = 0;
    if (platform::QueryDwordValue(*key, name, &value) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

}  // namespace registration_test
