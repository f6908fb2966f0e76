#include "addin/sync_manager_proxy.h"

#include <new>

#include "addin/module_lock.h"
#include "platform/interface_table.h"

CSyncManagerProxy::CSyncManagerProxy(ISyncManager* target, std::shared_ptr<platform::Apartment> apartment)
    : m_target(target, std::move(apartment)) {
    ModuleLocks().Lock();
}

CSyncManagerProxy::~CSyncManagerProxy() {
    ModuleLocks().Unlock();
}

HRESULT CSyncManagerProxy::Create(platform::IUnknown* target,
                                  const std::shared_ptr<platform::Apartment>& apartment, void** proxy) {
    if (proxy == nullptr)
        return E_POINTER;
    *proxy = nullptr;
    if (target == nullptr || !apartment)
        return E_INVALIDARG;
    // The table hands over the registered ISyncManager pointer itself, typed as its IUnknown base.
    auto* created = new (std::nothrow) CSyncManagerProxy(static_cast<ISyncManager*>(target), apartment);
    if (created == nullptr)
        return E_OUTOFMEMORY;
    *proxy = static_cast<ISyncManager*>(created);
    return S_OK;
}

HRESULT CSyncManagerProxy::BeginSync(std::int32_t sync_flag, std::int32_t sync_ui) {
    return m_target.Invoke([=](ISyncManager* target) { return target->BeginSync(sync_flag, sync_ui); });
}

HRESULT CSyncManagerProxy::EndSync() {
    return m_target.Invoke([](ISyncManager* target) { return target->EndSync(); });
}

HRESULT CSyncManagerProxy::OnTimer() {
    return m_target.Invoke([](ISyncManager* target) { return target->OnTimer(); });
}

HRESULT RegisterModuleProxies() {
    return platform::InterfaceTable::Global().RegisterProxy(IID_ISyncManager, &CSyncManagerProxy::Create);
}

void RevokeModuleProxies() {
    platform::InterfaceTable::Global().RevokeProxy(IID_ISyncManager);
}
