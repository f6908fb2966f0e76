// The built module, loaded as the host loads it.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/class_factory.h"
#include "registry_reader.h"
#include "support/temp_home.h"

namespace {

using platform::RootKey;
using registration_test::KeyExists;
using registration_test::ReadDword;
using registration_test::ReadString;

const std::string kInproc = "CLSID\\{9531985D-5D9D-49F8-9818-E811892F902B}\\InprocServer32";
const std::string kAddins = "Software\\Microsoft\\Office\\Outlook\\Addins\\ZelOutlookAddin.SyncManager";

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

TEST_F(ModuleExportsTest, InstallWithUserInAnyCaseGoesToTheUserClasses) {
    auto install = Export<platform::DllInstallFunction>("DllInstall");
    ASSERT_NE(install, nullptr);
    ASSERT_EQ(install(true, "USER"), S_OK);
    EXPECT_EQ(ReadString(RootKey::CurrentUser, "Software\\Classes\\" + kInproc), module_path_);
    EXPECT_FALSE(KeyExists(RootKey::LocalMachine, "Software\\Classes\\" + kInproc));
    ASSERT_EQ(install(false, "user"), S_OK);
    EXPECT_FALSE(KeyExists(RootKey::CurrentUser, "Software\\Classes\\" + kInproc));

    ASSERT_EQ(install(true, "machine"), S_OK);
    EXPECT_EQ(ReadString(RootKey::LocalMachine, "Software\\Classes\\" + kInproc), module_path_);
    ASSERT_EQ(install(true, nullptr), S_OK);
    ASSERT_EQ(install(false, nullptr), S_OK);
    EXPECT_FALSE(KeyExists(RootKey::ClassesRoot, kInproc));
}

TEST_F(ModuleExportsTest, ClassObjectsAreNotAvailableYet) {
    auto get_class_object = Export<platform::DllGetClassObjectFunction>("DllGetClassObject");
    ASSERT_NE(get_class_object, nullptr);
    void* object = &object;
    EXPECT_EQ(
        get_class_object("{9531985D-5D9D-49F8-9818-E811892F902B}", platform::IClassFactory::kIid, &object),
        CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
    object = &object;
    EXPECT_EQ(
        get_class_object("{6513270E-269E-4D37-B2A7-4DE452E6B438}", platform::IClassFactory::kIid, &object),
        CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(
        get_class_object("{00000000-0000-0000-0000-000000000000}", platform::IClassFactory::kIid, &object),
        CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(
        get_class_object("{9531985D-5D9D-49F8-9818-E811892F902B}", platform::IClassFactory::kIid, nullptr),
        E_POINTER);
}

TEST_F(ModuleExportsTest, CanUnloadWithNoLiveObjects) {
    auto can_unload = Export<platform::DllCanUnloadNowFunction>("DllCanUnloadNow");
    ASSERT_NE(can_unload, nullptr);
    EXPECT_EQ(can_unload(), S_OK);
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
