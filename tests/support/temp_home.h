// A fresh velsync home and APPDATA folder for one test, removed afterwards.
#pragma once

#include <optional>
#include <string>

namespace testing_support {

class TempHome {
  public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    const std::string& root() const { return root_; }
    const std::string& app_data() const { return app_data_; }

  private:
    std::string root_;
    std::string app_data_;
    std::optional<std::string> saved_home_;
    std::optional<std::string> saved_app_data_;
};

// The whole file, or "" when it does not exist.
std::string ReadFileOrEmpty(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

}  // namespace testing_support
