// The module's marshalling code for ISyncManager: what another apartment gets from the interface table
// for the add-in object. Each call runs on the add-in's thread while the caller waits.
#pragma once

#include <memory>

#include "addin/isync_manager.h"
#include "platform/apartment_bound.h"
#include "platform/com_base.h"

class CSyncManagerProxy : public platform::ComObject<ISyncManager> {
  public:
    // A ProxyFactory: a proxy for `target` (an ISyncManager living in `apartment`), with one reference.
    // E_POINTER for a null out-parameter, E_INVALIDARG for a null target, E_OUTOFMEMORY.
    // Ownership: the caller owns the returned reference.
    [[nodiscard]] static HRESULT Create(platform::IUnknown* target,
                                        const std::shared_ptr<platform::Apartment>& apartment, void** proxy);

    // Each returns the add-in's status, or the apartment's (RPC_E_DISCONNECTED once the add-in's thread
    // has ended).
    [[nodiscard]] HRESULT BeginSync(std::int32_t sync_flag, std::int32_t sync_ui) override;
    [[nodiscard]] HRESULT EndSync() override;
    [[nodiscard]] HRESULT OnTimer() override;

  protected:
    ~CSyncManagerProxy() override;

  private:
    CSyncManagerProxy(ISyncManager* target, std::shared_ptr<platform::Apartment> apartment);

    platform::ApartmentBound<ISyncManager> m_target;
};

// Makes CSyncManagerProxy the process's proxy for ISyncManager (while the module is loaded): S_OK or
// E_OUTOFMEMORY. RevokeModuleProxies forgets it again.
[[nodiscard]] HRESULT RegisterModuleProxies();
void RevokeModuleProxies();
