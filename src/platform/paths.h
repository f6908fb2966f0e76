// Where things live: the velsync home (registry, store) and the APPDATA folder (index, logs).
#pragma once

#include <string>
#include <string_view>

namespace platform {

// $VELSYNC_HOME when set, else $XDG_CONFIG_HOME/velsync (~/.config/velsync). Created on first use.
std::string VelsyncHome();

// The value of APPDATA, or empty when unset. The host sets it before it loads the add-in.
std::string AppDataFolder();

// ${XDG_DATA_HOME:-~/.local/share}: what the host puts into APPDATA when it is unset.
std::string DefaultAppDataFolder();

// `base` followed by each component of a Windows relative path ("A\\B\\"), joined with "/".
std::string JoinRelative(std::string_view base, std::string_view windows_relative);

// The folder of the shared object or program that holds `symbol` (dladdr). Empty when unknown.
std::string ModuleFolderOf(const void* symbol);
// The full path of that shared object or program.
std::string ModulePathOf(const void* symbol);

}  // namespace platform
