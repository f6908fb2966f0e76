#include "support/temp_home.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace testing_support {

TempHome::TempHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "velsync-test-XXXXXX").string();
    const char* made = mkdtemp(pattern.data());
    if (made == nullptr)
        ADD_FAILURE() << "mkdtemp failed";
    root_ = pattern;
    app_data_ = root_ + "/appdata";
    std::filesystem::create_directories(app_data_);
    std::filesystem::create_directories(root_ + "/home");
    if (const char* value = std::getenv("VELSYNC_HOME")) {
        had_home_ = true;
        saved_home_ = value;
    }
    if (const char* value = std::getenv("APPDATA")) {
        had_app_data_ = true;
        saved_app_data_ = value;
    }
    setenv("VELSYNC_HOME", (root_ + "/home").c_str(), 1);
    setenv("APPDATA", app_data_.c_str(), 1);
}

TempHome::~TempHome() {
    if (had_home_) {
        setenv("VELSYNC_HOME", saved_home_.c_str(), 1);
    } else {
        unsetenv("VELSYNC_HOME");
    }
    if (had_app_data_) {
        setenv("APPDATA", saved_app_data_.c_str(), 1);
    } else {
        unsetenv("APPDATA");
    }
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
