#include "platform/paths.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace platform {
namespace {

std::string EnvOrEmpty(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string HomeFolder() {
    std::string home = EnvOrEmpty("HOME");
    return home.empty() ? std::string("/tmp") : home;
}

}  // namespace

std::string VelsyncHome() {
    std::string home = EnvOrEmpty("VELSYNC_HOME");
    if (home.empty()) {
        std::string config = EnvOrEmpty("XDG_CONFIG_HOME");
        if (config.empty())
            config = HomeFolder() + "/.config";
        home = config + "/velsync";
    }
    std::error_code ignored;
    std::filesystem::create_directories(home, ignored);
    return home;
}

std::string AppDataFolder() {
    return EnvOrEmpty("APPDATA");
}

std::string DefaultAppDataFolder() {
    std::string data = EnvOrEmpty("XDG_DATA_HOME");
    return data.empty() ? HomeFolder() + "/.local/share" : data;
}

std::string JoinRelative(std::string_view base, std::string_view windows_relative) {
    std::string path(base);
    std::size_t start = 0;
    while (start < windows_relative.size()) {
        std::size_t end = windows_relative.find('\\', start);
        if (end == std::string_view::npos)
            end = windows_relative.size();
        if (end > start) {
            if (!path.empty() && path.back() != '/')
                path += '/';
            path.append(windows_relative.substr(start, end - start));
        }
        start = end + 1;
    }
    return path;
}

std::string ModulePathOf(const void* symbol) {
    Dl_info info{};
    if (dladdr(symbol, &info) == 0 || info.dli_fname == nullptr)
        return {};
    std::error_code error;
    const auto path = std::filesystem::canonical(info.dli_fname, error);
    return error ? std::string(info.dli_fname) : path.string();
}

std::string ModuleFolderOf(const void* symbol) {
    const std::string path = ModulePathOf(symbol);
    return path.empty() ? path : std::filesystem::path(path).parent_path().string();
}

}  // namespace platform
