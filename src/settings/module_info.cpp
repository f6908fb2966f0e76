#include "settings/module_info.h"

#include "platform/paths.h"

#ifndef VELSYNC_VERSION
#error "VELSYNC_VERSION must come from the build"
#endif

std::string ModuleVersion() {
    return VELSYNC_VERSION ".0";
}

std::string ModuleFolder() {
    // The module does not move while it is loaded; finding its path takes a readlink per folder level.
    static const std::string kFolder = platform::ModuleFolderOf(reinterpret_cast<const void*>(&ModuleFolder));
    return kFolder;
}
