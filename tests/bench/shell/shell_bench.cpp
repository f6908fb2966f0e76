// Figures for the add-in shell's runtime: a call through the ISyncManager proxy to another apartment,
// taking a proxy from the interface table, and one registration and unregistration in the registry of
// the velsync home ($VELSYNC_HOME: point it at the disk you care about; it is written to).
#include <chrono>
#include <cstdio>

#include "addin/registrar.h"
#include "addin/sync_manager_proxy.h"
#include "platform/interface_table.h"
#include "platform/paths.h"
#include "platform/thread.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kCalls = 20000;
constexpr int kProxies = 2000;
constexpr int kRegistrations = 5;
constexpr DWORD kStartMs = 5000;

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
    if (FAILED(RegisterModuleProxies())) {
        std::fprintf(stderr, "shell_bench: no proxy for ISyncManager\n");
        return 1;
    }
    std::shared_ptr<platform::Apartment> ui;
    platform::Event ready(true, false);
    std::unique_ptr<platform::Thread> ui_thread;
    if (platform::Thread::Start(
            [&] {
                (void)platform::CoInitialize();
                ui = platform::Apartment::Current();
                ready.Set();
                (void)ui->Run();
                platform::CoUninitialize();
                return 0u;
            },
            &ui_thread) != ERROR_SUCCESS ||
        ready.Wait(kStartMs) != platform::WAIT_OBJECT_0) {
        std::fprintf(stderr, "shell_bench: the apartment thread did not start\n");
        return 1;
    }
    platform::InterfaceTable& table = platform::InterfaceTable::Global();
    platform::ComPtr<IdleSyncManager> addin;
    DWORD cookie = 0;
    HRESULT hr = ui->Call([&] {
        addin = platform::MakeComObject<IdleSyncManager>();
        return table.RegisterInterfaceInGlobal(addin.get(), ISyncManager::kIid, &cookie);
    });
    (void)platform::CoInitialize();
    platform::ComPtr<ISyncManager> proxy;
    if (SUCCEEDED(hr))
        hr = table.GetInterfaceFromGlobal(cookie, ISyncManager::kIid, proxy.ReleaseAndGetVoidAddress());
    if (FAILED(hr)) {
        std::fprintf(stderr, "shell_bench: no proxy: %s\n", HrName(hr).c_str());
        return 1;
    }

    Clock::time_point start = Clock::now();
    for (int i = 0; i < kCalls; ++i)
        (void)proxy->OnTimer();
    std::printf("OnTimer through the proxy:             %8.1f us per call (%d calls)\n",
                MicrosecondsEach(start, kCalls), kCalls);

    start = Clock::now();
    for (int i = 0; i < kProxies; ++i) {
        platform::ComPtr<ISyncManager> other;
        (void)table.GetInterfaceFromGlobal(cookie, ISyncManager::kIid, other.ReleaseAndGetVoidAddress());
    }
    std::printf("GetInterfaceFromGlobal and release:    %8.1f us per proxy (%d proxies)\n",
                MicrosecondsEach(start, kProxies), kProxies);
    proxy.Reset();
    (void)table.RevokeInterfaceFromGlobal(cookie);
    ui->Dispatch([&] { addin.Reset(); });
    ui->Quit();
    (void)ui_thread->Wait(kStartMs);
    platform::CoUninitialize();

    CRegistrar registrar("/opt/velsync/lib/ZelOutlookAddin.so", RegistrationScope::User);
    start = Clock::now();
    for (int i = 0; i < kRegistrations; ++i) {
        if (FAILED(registrar.Register()) || FAILED(registrar.Unregister())) {
            std::fprintf(stderr, "shell_bench: registration failed\n");
            return 1;
        }
    }
    std::printf("register and unregister (%zu writes):   %8.1f ms per pair (registry in %s)\n",
                registrar.Writes().size(), MicrosecondsEach(start, kRegistrations) / 1000.0,
                platform::VelsyncHome().c_str());
    return 0;
}
