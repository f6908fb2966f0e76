// velsync register / unregister: the module's self-registration, per machine or (--user) per user.
#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "host/command_line.h"
#include "host/shell_commands.h"
#include "host/user_session.h"
#include "platform/class_factory.h"
#include "platform/file_system.h"

namespace {

// The module lies in ../lib beside the bin folder of velsync, in the build tree and installed alike.
std::string DefaultModulePath() {
    char self[PATH_MAX] = {};
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return {};
    std::string path(self, static_cast<std::size_t>(length));
    path = path.substr(0, path.rfind('/'));
    path = path.substr(0, path.rfind('/'));
    return path + "/lib/ZelOutlookAddin.so";
}

int Run(const std::vector<std::string>& args, bool install) {
    const char* name = install ? "register" : "unregister";
    CommandLine line;
    if (!line.Parse(args, {"user", "help"}, {"module"}) || !line.Positional().empty()) {
        std::fprintf(stderr, "velsync %s: %s\n", name,
                     line.Error().empty() ? "no positional arguments" : line.Error().c_str());
        return kExitUsage;
    }
    if (line.Has("help")) {
        std::printf(
            "velsync %s [--user] [--module PATH]\n"
            "  %s the add-in module (default: ../lib/ZelOutlookAddin.so beside velsync).\n"
            "  --user  only for the current user (HKEY_CURRENT_USER\\Software\\Classes), else for the "
            "machine.\n",
            name, install ? "Registers" : "Unregisters");
        return kExitOk;
    }
    const std::string path = line.Value("module", DefaultModulePath());
    if (!platform::PathExists(path)) {
        std::fprintf(stderr, "velsync %s: no module at %s\n", name, path.c_str());
        return kExitFailed;
    }
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        const char* reason = dlerror();
        std::fprintf(stderr, "velsync %s: %s cannot be loaded: %s\n", name, path.c_str(),
                     reason != nullptr ? reason : "?");
        return kExitFailed;
    }
    auto dll_install = reinterpret_cast<platform::DllInstallFunction>(dlsym(module, "DllInstall"));
    auto dll_register = reinterpret_cast<platform::DllRegisterServerFunction>(
        dlsym(module, install ? "DllRegisterServer" : "DllUnregisterServer"));
    if (dll_install == nullptr || dll_register == nullptr) {
        std::fprintf(stderr,
                     "velsync %s: %s is not the add-in module (its registration exports are missing)\n", name,
                     path.c_str());
        dlclose(module);
        return kExitFailed;
    }
    const bool user = line.Has("user");
    const HRESULT hr = user ? dll_install(install, "user") : dll_register();
    dlclose(module);
    if (FAILED(hr)) {
        std::fprintf(stderr, "velsync %s: failed: %s\n", name, HrName(hr).c_str());
        return kExitFailed;
    }
    std::printf("%s %s (%s)\n", install ? "Registered" : "Unregistered", path.c_str(),
                user ? "current user" : "machine");
    return kExitOk;
}

}  // namespace

int RunRegisterCommand(const std::vector<std::string>& args) {
    return Run(args, true);
}

int RunUnregisterCommand(const std::vector<std::string>& args) {
    return Run(args, false);
}
