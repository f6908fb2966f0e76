// The module's count of live objects and server locks, which DllCanUnloadNow answers from. Every object
// the module hands out counts itself here for its life.
#pragma once

#include "platform/class_factory.h"

// Ownership: the module's own, alive as long as the module is loaded.
platform::ModuleLockCount& ModuleLocks();
