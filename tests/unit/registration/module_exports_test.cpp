// The built module, loaded as the host loads it.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "addin/isync_manager.h"
#include "platform/class_factory.h"
#include "platform/interface_table.h"
#include "registry_reader.h"
#include "support/temp_home.h"
#include "unit/com/apartment_thread.h"

namespace {

using platform::RootKey;
using registration_test::KeyExists;
using registration_test::ReadDword;
using registration_test::ReadString;

const std::string kInproc = "CLSID\\{9531985D-5D9D-49F8-9818-E811892F902B}\\InprocServer32";
const std::string kAddins = "Software\\Microsoft\\Office\\Outlook\\Addins\\ZelOutlookAddin.SyncManager";

// An add-in object that only counts timer ticks.
class TickCounter : public platform::ComObject<ISyncManager> {
  public:
    HRESULT BeginSync(std::int32_t, std::int32_t) override { return S_FALSE; }
    HRESULT EndSync() override { return S_OK; }
    HRESULT OnTimer() override {
        ++ticks;
        return S_OK;
    }
    int ticks = 0;
};

class ModuleExportsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        module_ = dlopen(VELSYNC_ADDIN_MODULE, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(module_, nullptr) << dlerror();
    }
    void TearDown() override {
        if (module_)
            dlclose(module_);
    }
    template <typename Function>
    Function Export(const char* name) {
        void* symbol = dlsym(module_, name);
        EXPECT_NE(symbol, nullptr) << name;
        return reinterpret_cast<Function>(symbol);
    }

    testing_support::TempHome home_;
    void* module_ = nullptr;
    const std::string module_path_ = std::filesystem::canonical(VELSYNC_ADDIN_MODULE).string();
};

TEST_F(ModuleExportsTest, RegisterServerNamesTheLoadedModule) {
    auto register_server = Export<platform::DllRegisterServerFunction>("DllRegisterServer");
    ASSERT_NE(register_server, nullptr);
    ASSERT_EQ(register_server(), S_OK);
    EXPECT_EQ(ReadString(RootKey::LocalMachine, "Software\\Classes\\" + kInproc), module_path_);
    EXPECT_EQ(ReadString(RootKey::ClassesRoot, "ZelOutlookAddin.SyncManager\\CLSID"),
              "{9531985D-5D9D-49F8-9818-E811892F902B}");
    EXPECT_EQ(ReadDword(RootKey::CurrentUser, kAddins, "LoadBehavior"), 3u);

    auto unregister_server = Export<platform::DllUnregisterServerFunction>("DllUnregisterServer");
    ASSERT_NE(unregister_server, nullptr);
    ASSERT_EQ(unregister_server(), S_OK);
    EXPECT_FALSE(KeyExists(RootKey::ClassesRoot, kInproc));
    EXPECT_FALSE(KeyExists(RootKey::CurrentUser, kAddins));
}

TEST_F(ModuleExportsTest, ClassObjectsForTheTwoClassesOnly) {
    auto get_class_object = Export<platform::DllGetClassObjectFunction>("DllGetClassObject");
    auto can_unload = Export<platform::DllCanUnloadNowFunction>("DllCanUnloadNow");
    ASSERT_NE(get_class_object, nullptr);
    ASSERT_NE(can_unload, nullptr);
    EXPECT_EQ(can_unload(), S_OK);
    for (const char* clsid :
         {"{9531985D-5D9D-49F8-9818-E811892F902B}", "{6513270e-269e-4d37-b2a7-4de452e6b438}"}) {
        platform::ComPtr<platform::IClassFactory> factory;
        ASSERT_EQ(get_class_object(clsid, platform::IClassFactory::kIid, factory.ReleaseAndGetVoidAddress()),
                  S_OK)
            << clsid;
        // The class object keeps the module loaded, and so does the object it makes.
        EXPECT_EQ(can_unload(), S_FALSE);
        platform::ComPtr<platform::IUnknown> object;
        ASSERT_EQ(
            factory->CreateInstance(nullptr, platform::IUnknown::kIid, object.ReleaseAndGetVoidAddress()),
            S_OK);
        factory.Reset();
        EXPECT_EQ(can_unload(), S_FALSE);
        object.Reset();
        EXPECT_EQ(can_unload(), S_OK);
    }
    void* object = &object;
    EXPECT_EQ(
        get_class_object("{00000000-0000-0000-0000-000000000000}", platform::IClassFactory::kIid, &object),
        CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(
        get_class_object("{9531985D-5D9D-49F8-9818-E811892F902B}", platform::IClassFactory::kIid, nullptr),
        E_POINTER);
}

TEST_F(ModuleExportsTest, LoadedModuleMarshalsISyncManagerUntilUnloaded) {
    auto can_unload = Export<platform::DllCanUnloadNowFunction>("DllCanUnloadNow");
    ASSERT_NE(can_unload, nullptr);
    platform::InterfaceTable& table = platform::InterfaceTable::Global();
    platform::ApartmentThread ui;
    platform::ComPtr<TickCounter> addin;
    DWORD cookie = 0;
    ASSERT_EQ(ui.apartment()->Call([&] {
        addin = platform::MakeComObject<TickCounter>();
        return table.RegisterInterfaceInGlobal(addin.get(), ISyncManager::kIid, &cookie);
    }),
              S_OK);

    platform::ScopedCoInitialize com;
    platform::ComPtr<ISyncManager> proxy;
    ASSERT_EQ(table.GetInterfaceFromGlobal(cookie, ISyncManager::kIid, proxy.ReleaseAndGetVoidAddress()),
              S_OK);
    EXPECT_EQ(can_unload(), S_FALSE);  // the proxy is the module's code
    EXPECT_EQ(proxy->OnTimer(), S_OK);
    EXPECT_EQ(ui.apartment()->Call([&] { return addin->ticks == 1 ? S_OK : E_FAIL; }), S_OK);
    proxy.Reset();
    EXPECT_EQ(can_unload(), S_OK);

    dlclose(module_);
    module_ = nullptr;
    void* out = nullptr;
    EXPECT_EQ(table.GetInterfaceFromGlobal(cookie, ISyncManager::kIid, &out), REGDB_E_IIDNOTREG);
    EXPECT_EQ(table.RevokeInterfaceFromGlobal(cookie), S_OK);
    ui.apartment()->Dispatch([&] { addin.Reset(); });
    ui.Stop();  // runs the release before `addin` goes
}

TEST_F(ModuleExportsTest, OnlyTheExportsAreVisible) {
    EXPECT_EQ(dlsym(module_, "_Z11ModuleLocksv"), nullptr);
    EXPECT_EQ(dlsym(module_, "_Z20ScopeFromCommandLinePKc"), nullptr);
}

TEST_F(ModuleExportsTest, RegistryFailureIsReturnedNotThrown) {
    // A velsync home that is a file: the registry cannot open, and the export reports it.
    const std::string blocked = home_.root() + "/blocked";
    testing_support::WriteFileBytes(blocked, "not a folder");
    const char* saved = getenv("VELSYNC_HOME");
    const std::string saved_home = saved ? saved : "";
    setenv("VELSYNC_HOME", blocked.c_str(), 1);
    auto register_server = Export<platform::DllRegisterServerFunction>("DllRegisterServer");
    ASSERT_NE(register_server, nullptr);
    const HRESULT hr = register_server();
    setenv("VELSYNC_HOME", saved_home.c_str(), 1);
    EXPECT_EQ(hr, HresultFromWin32(ERROR_BADDB));
}

}  // namespace
