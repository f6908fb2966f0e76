// Figures for the add-in shell's runtime: a call through the ISyncManager proxy to another apartment, and
// one registration and unregistration in the registry of the velsync home ($VELSYNC_HOME: point it at the
// disk you care about; it is written to).
#include <chrono>
#include <cstdio>

#include "addin/registrar.h"
#include "addin/sync_manager_proxy.h"
#include "platform/interface_table.h"
#include "platform/paths.h"
#include "unit/com/apartment_thread.h"

namespace {

using Clock = std::chrono::steady_clock;

class IdleSyncManager : public platform::ComObject<ISyncManager> {
  public:
    HRESULT BeginSync(std::int32_t, std::int32_t) override { return S_FALSE; }
    HRESULT EndSync() override { return S_OK; }
    HRESULT OnTimer() override { return S_OK; }
};

double MicrosecondsEach(Clock::time_point start, int count) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / count;
}

}  // namespace

int main() {
    constexpr int kCalls = 20000;
    constexpr int kRegistrations = 5;
    if (FAILED(RegisterModuleProxies()))
        return 1;
    platform::InterfaceTable& table = platform::InterfaceTable::Global();
    platform::ApartmentThread ui;
    platform::ComPtr<IdleSyncManager> addin;
    DWORD cookie = 0;
    HRESULT hr = ui.apartment()->Call([&] {
        addin = platform::MakeComObject<IdleSyncManager>();
        return table.RegisterInterfaceInGlobal(addin.get(), ISyncManager::kIid, &cookie);
    });
    {
        platform::ScopedCoInitialize com;
        platform::ComPtr<ISyncManager> proxy;
        if (SUCCEEDED(hr))
            hr = table.GetInterfaceFromGlobal(cookie, ISyncManager::kIid, proxy.ReleaseAndGetVoidAddress());
        if (FAILED(hr))
            return 1;
        const Clock::time_point start = Clock::now();
        for (int i = 0; i < kCalls; ++i)
            (void)proxy->OnTimer();
        std::printf("OnTimer through the proxy: %.1f us per call (%d calls)\n",
                    MicrosecondsEach(start, kCalls), kCalls);
    }
    (void)table.RevokeInterfaceFromGlobal(cookie);
    ui.apartment()->Dispatch([&] { addin.Reset(); });
    ui.Stop();

    CRegistrar registrar("/opt/velsync/lib/ZelOutlookAddin.so", RegistrationScope::User);
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < kRegistrations; ++i) {
        if (FAILED(registrar.Register()) || FAILED(registrar.Unregister()))
            return 1;
    }
    std::printf("register and unregister (%zu writes): %.1f ms per pair (registry in %s)\n",
                registrar.Writes().size(), MicrosecondsEach(start, kRegistrations) / 1000.0,
                platform::VelsyncHome().c_str());
    return 0;
}
