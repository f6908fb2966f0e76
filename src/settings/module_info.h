// Facts about the add-in module itself.
#pragma once

#include <string>

// The module's file version, "major.minor.patch.0".
std::string ModuleVersion();

// The folder the module file lies in (tzids.csv lies beside it).
std::string ModuleFolder();
