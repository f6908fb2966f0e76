// The module's exports. No exception crosses them: running out of memory is E_OUTOFMEMORY, anything
// else E_UNEXPECTED.
#include <new>

#include "addin/guids.h"
#include "addin/module_lock.h"
#include "addin/registrar.h"
#include "addin/sync_manager.h"
#include "addin/sync_manager_proxy.h"
#include "addin/zel_prop_page_control.h"
#include "platform/paths.h"

#define VELSYNC_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// Any object of the module will do for dladdr to name the module's file.
const char kModuleAnchor = 0;

std::string ModulePath() {
    return platform::ModulePathOf(&kModuleAnchor);
}

// The marshalling code is the process's while the module is loaded: registered at load, revoked at
// unload. Without it (no memory at load) cross-apartment calls to the add-in fail with
// REGDB_E_IIDNOTREG, which their callers treat as a skipped tick.
struct ModuleProxies {
    ModuleProxies() { (void)RegisterModuleProxies(); }
    ~ModuleProxies() { RevokeModuleProxies(); }
} g_moduleProxies;

template <typename Function>
HRESULT Guarded(Function&& body) {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace

VELSYNC_EXPORT HRESULT DllRegisterServer() {
    return Guarded([] { return CRegistrar(ModulePath(), RegistrationScope::Machine).Register(); });
}

VELSYNC_EXPORT HRESULT DllUnregisterServer() {
    return Guarded([] { return CRegistrar(ModulePath(), RegistrationScope::Machine).Unregister(); });
}

VELSYNC_EXPORT HRESULT DllInstall(bool install, const char* command_line) {
    return Guarded(
        [&] { return CRegistrar(ModulePath(), ScopeFromCommandLine(command_line)).Install(install); });
}

VELSYNC_EXPORT HRESULT DllGetClassObject(platform::Iid clsid, platform::Iid iid, void** object) {
    return Guarded([&] {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        platform::ClassFactory::Creator creator = nullptr;
        if (platform::IsEqualGuid(clsid, CLSID_SyncManager))
            creator = CSyncManager::CreateInstance;
        else if (platform::IsEqualGuid(clsid, CLSID_ZelPropPage))
            creator = CZelPropPageControl::CreateInstance;
        if (creator == nullptr)
            return CLASS_E_CLASSNOTAVAILABLE;
        auto factory = platform::MakeComObject<platform::ClassFactory>(creator, &ModuleLocks());
        return factory->QueryInterface(iid, object);
    });
}

VELSYNC_EXPORT HRESULT DllCanUnloadNow() {
    return Guarded([] { return ModuleLocks().CanUnload() ? S_OK : S_FALSE; });
}
