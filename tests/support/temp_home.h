// A fresh velsync home and APPDATA folder for one test, removed afterwards.
#pragma once

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
    std::string saved_home_;
    std::string saved_app_data_;
    bool had_home_ = false;
    bool had_app_data_ = false;
};

// The whole file, or "" when it does not exist.
std::string ReadFileOrEmpty(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

}  // namespace testing_support
