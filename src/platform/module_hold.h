// Keeps a module loaded while code of it may run on a thread the module does not wait for: a timer, a
// registered wait or a thread started for it holds one from its creation until its callback object is
// gone, so DllCanUnloadNow says no until then. The release runs in this library, never in the module.
#pragma once

#include "platform/class_factory.h"

namespace platform {

class ModuleHold {
  public:
    // Raises `locks` (may be null: nothing to hold) until destruction. Ownership: `locks` is the module's.
    explicit ModuleHold(ModuleLockCount* locks);
    ~ModuleHold();
    ModuleHold(const ModuleHold&) = delete;
    ModuleHold& operator=(const ModuleHold&) = delete;

  private:
    ModuleLockCount* m_locks;
};

}  // namespace platform
