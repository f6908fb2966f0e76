// A fresh home whose add-in log is on and may be written (its maker folder exists), for the tests that
// read what was logged.
#pragma once

#include <filesystem>
#include <string>

#include "settings/log.h"
#include "support/temp_home.h"

namespace testing_support {

class LoggingHome : public TempHome {
  public:
    LoggingHome() {
        std::filesystem::create_directories(app_data() + "/Velmarquin");
        SetLogEnabled(true);
    }
    ~LoggingHome() { SetLogEnabled(false); }

    // A file of the log folder, "" when there is none.
    static std::string LogText(const std::string& name = "addin.log") {
        return ReadFileOrEmpty(LogFolder() + "/" + name);
    }
};

}  // namespace testing_support
