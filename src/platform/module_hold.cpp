#include "platform/module_hold.h"

namespace platform {

ModuleHold::ModuleHold(ModuleLockCount* locks) : m_locks(locks) {
    if (m_locks != nullptr)
        m_locks->Lock();
}

ModuleHold::~ModuleHold() {
    if (m_locks != nullptr)
        m_locks->Unlock();
}

}  // namespace platform
