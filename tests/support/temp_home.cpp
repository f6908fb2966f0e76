#include "support/temp_home.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace testing_support {

namespace {

// Sets `name` to `value`, returning the earlier value (nullopt when it was unset).
std::optional<std::string> ReplaceVariable(const char* name, const std::optional<std::string>& value) {
    std::optional<std::string> old;
    if (const char* current = std::getenv(name))
        old = current;
    if (value)
        setenv(name, value->c_str(), 1);
    else
        unsetenv(name);
    return old;
}

}  // namespace

TempHome::TempHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "velsync-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        ADD_FAILURE() << "mkdtemp failed";
    root_ = pattern;
    app_data_ = root_ + "/appdata";
    std::filesystem::create_directories(app_data_);
    std::filesystem::create_directories(root_ + "/home");
    saved_home_ = ReplaceVariable("VELSYNC_HOME", root_ + "/home");
    saved_app_data_ = ReplaceVariable("APPDATA", app_data_);
}

TempHome::~TempHome() {
    ReplaceVariable("VELSYNC_HOME", saved_home_);
    ReplaceVariable("APPDATA", saved_app_data_);
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

std::string ReadFileOrEmpty(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

}  // namespace testing_support
