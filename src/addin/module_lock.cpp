#include "addin/module_lock.h"

platform::ModuleLockCount& ModuleLocks() {
    static platform::ModuleLockCount locks;
    return locks;
}
