// A minimal add-in module for the command tests: on connection it sets up the read-only guards over
// the host's Application, as the real add-in does, so the tests can watch a command being refused.
#include "outlook/application.h"
#include "outlook/extensibility.h"
#include "platform/class_factory.h"
#include "readonly/readonly_guards.h"

namespace {

platform::ModuleLockCount g_locks;

class GuardAddIn : public platform::ComObject<outlook::IDTExtensibility2> {
  public:
    GuardAddIn() { g_locks.Lock(); }

    HRESULT OnConnection(outlook::IDispatch* application, outlook::ext_ConnectMode, outlook::IDispatch*,
                         std::vector<outlook::Variant>*) override {
        outlook::ComPtr<outlook::Application> app;
        HRESULT hr = outlook::ComPtr<outlook::IDispatch>(application).As(&app);
        if (SUCCEEDED(hr)) {
            guards_.SetUp(app.get());
        }
        return hr;
    }
    HRESULT OnDisconnection(outlook::ext_DisconnectMode, std::vector<outlook::Variant>*) override {
        guards_.Shutdown();
        return S_OK;
    }
    HRESULT OnAddInsUpdate(std::vector<outlook::Variant>*) override { return S_OK; }
    HRESULT OnStartupComplete(std::vector<outlook::Variant>*) override { return S_OK; }
    HRESULT OnBeginShutdown(std::vector<outlook::Variant>*) override { return S_OK; }

  protected:
    ~GuardAddIn() override { g_locks.Unlock(); }

  private:
    CReadonlyGuards guards_;
};

platform::IUnknown* CreateGuardAddIn() {
    return static_cast<outlook::IDTExtensibility2*>(new GuardAddIn());
}

}  // namespace

extern "C" __attribute__((visibility("default"))) HRESULT DllGetClassObject(platform::Iid /*clsid*/,
                                                                            platform::Iid iid,
                                                                            void** object) {
    auto* factory = new platform::ClassFactory(CreateGuardAddIn, &g_locks);
    const HRESULT hr = factory->QueryInterface(iid, object);
    factory->Release();
    return hr;
}

extern "C" __attribute__((visibility("default"))) HRESULT DllCanUnloadNow() {
    return g_locks.CanUnload() ? S_OK : S_FALSE;
}
