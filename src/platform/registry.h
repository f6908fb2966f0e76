// The registry: keys and typed values in the shape of the Win32 calls, kept in one SQLite file per user
// (registry.db in the velsync home), safe for several processes at once. Key paths use "\\" and compare
// without regard to ASCII case, as on Windows. HKEY_CLASSES_ROOT is the view of
// HKCU\Software\Classes over HKLM\Software\Classes; keys created through it go to HKLM.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32_error.h"

namespace platform {

enum class RootKey { ClassesRoot, CurrentUser, LocalMachine };

inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;

// An open key (HKEY). Ownership: the caller owns it; closing is destruction.
class RegistryKey {
  public:
    // RegOpenKeyExW. ERROR_FILE_NOT_FOUND when the key does not exist; `key` untouched on failure.
    [[nodiscard]] static LONG Open(RootKey root, std::string_view path, std::unique_ptr<RegistryKey>* key);
    // RegCreateKeyExW: opens the key, creating it and its missing parents.
    [[nodiscard]] static LONG Create(RootKey root, std::string_view path, std::unique_ptr<RegistryKey>* key);
    // RegDeleteTreeW on the key itself: the key, its values and every sub-key.
    [[nodiscard]] static LONG DeleteTree(RootKey root, std::string_view path);

    // RegQueryValueExW. `size` is the buffer's size in bytes on entry and the value's size on return.
    // With `data` null only the type and size are returned. ERROR_MORE_DATA when the buffer is too small
    // (the size is still returned), ERROR_FILE_NOT_FOUND when there is no such value.
    [[nodiscard]] LONG QueryValue(std::string_view name, DWORD* type, std::uint8_t* data, DWORD* size) const;
    // RegSetValueExW: the bytes are stored as given.
    [[nodiscard]] LONG SetValue(std::string_view name, DWORD type, const std::uint8_t* data, DWORD size);
    // Names of the direct sub-keys, in case-insensitive order.
    [[nodiscard]] LONG EnumSubKeys(std::vector<std::string>* names) const;

    RootKey root() const { return root_; }
    const std::string& path() const { return path_; }

  private:
    RegistryKey(RootKey root, std::string path) : root_(root), path_(std::move(path)) {}
    RootKey root_;
    std::string path_;
};

// A string written as Windows does: UTF-16LE with the terminator, so its byte length is
// (characters + 1) x 2.
[[nodiscard]] LONG SetStringValue(RegistryKey& key, std::string_view name, std::string_view utf8,
                                  DWORD type = REG_SZ);
[[nodiscard]] LONG SetDwordValue(RegistryKey& key, std::string_view name, DWORD value);

// Reads a string value into a buffer of `buffer_bytes` bytes, as a careful RegQueryValueExW caller does:
// the registry's own result, ERROR_INVALID_DATA when the type is neither REG_SZ nor REG_EXPAND_SZ or a
// non-empty value has an odd byte length or lacks its terminating zero. An empty value reads as "".
[[nodiscard]] LONG QueryStringValue(const RegistryKey& key, std::string_view name, DWORD buffer_bytes,
                                    std::string* value);
// Reads a 4-byte REG_DWORD; ERROR_INVALID_DATA for another type.
[[nodiscard]] LONG QueryDwordValue(const RegistryKey& key, std::string_view name, DWORD* value);

}  // namespace platform
