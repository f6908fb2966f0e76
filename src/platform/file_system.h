// File calls in the shape of the Win32 ones the add-in uses (PathFileExistsW, CreateDirectoryW,
// DeleteFileW), plus whole-file reads and atomic writes.
#pragma once

#include <string>
#include <vector>

#include "platform/win32_error.h"

namespace platform {

bool PathExists(const std::string& path);

// Creates one folder; its parent must exist. ERROR_ALREADY_EXISTS when it is there already.
[[nodiscard]] LONG CreateOneDirectory(const std::string& path);

[[nodiscard]] LONG DeleteOneFile(const std::string& path);

// Names (not paths) of the regular files directly in `folder`; empty when it cannot be read.
std::vector<std::string> ListFiles(const std::string& folder);

// The whole file as bytes. ERROR_FILE_NOT_FOUND when missing, ERROR_READ_FAULT on a read error.
[[nodiscard]] LONG ReadWholeFile(const std::string& path, std::string* bytes);

// Writes a temporary file beside `path`, flushes it and renames it over `path`, so a crash leaves
// either the old or the new content. ERROR_WRITE_FAULT when any step fails (the old file stays).
[[nodiscard]] LONG WriteFileAtomically(const std::string& path, const std::string& bytes);

// Appends the bytes to the file (created when missing) in one write.
[[nodiscard]] LONG AppendToFile(const std::string& path, const std::string& bytes);

}  // namespace platform
