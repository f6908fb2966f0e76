// Activation from the registry when the registered module is missing, is not a COM module, or does not
// serve the class: a clear reason and no object.
#include <gtest/gtest.h>

#include "host/add_in_loader.h"
#include "outlook/extensibility.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "platform/status_bar.h"
#include "support/temp_home.h"

namespace {

constexpr const char* kClsid = "{11111111-2222-3333-4444-555555555555}";

class ActivationFaults : public ::testing::Test {
  protected:
    void Register(const std::string& module_path) {
        std::unique_ptr<platform::RegistryKey> key;
        ASSERT_EQ(platform::RegistryKey::Create(platform::RootKey::CurrentUser,
                                                "Software\\Classes\\Test.AddIn\\CLSID", &key),
                  ERROR_SUCCESS);
        ASSERT_EQ(platform::SetStringValue(*key, "", kClsid), ERROR_SUCCESS);
        ASSERT_EQ(platform::RegistryKey::Create(
                      platform::RootKey::CurrentUser,
                      std::string("Software\\Classes\\CLSID\\") + kClsid + "\\InprocServer32", &key),
                  ERROR_SUCCESS);
        ASSERT_EQ(platform::SetStringValue(*key, "", module_path), ERROR_SUCCESS);
    }
    HRESULT Create(std::string* error) {
        void* object = &object;
        void* module = &module;
        const HRESULT hr = AddInLoader::CreateObject("Test.AddIn", outlook::IDTExtensibility2::kIid, &object,
                                                     &module, error);
        EXPECT_EQ(object, nullptr);
        EXPECT_EQ(module, nullptr);
        return hr;
    }

    testing_support::TempHome home_;
};

TEST_F(ActivationFaults, NoRegistrationModuleMissingOrNotACOMModule) {
    std::string error;
    EXPECT_EQ(Create(&error), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(error, "Test.AddIn is not registered completely (no CLSID or InprocServer32)");

    Register(home_.root() + "/gone.so");
    EXPECT_EQ(Create(&error), static_cast<HRESULT>(0x800401F8u));
    EXPECT_NE(error.find("cannot be loaded from " + home_.root() + "/gone.so"), std::string::npos) << error;

    // A real shared library without the exports: the platform library itself.
    const std::string platform_library =
        platform::ModulePathOf(reinterpret_cast<const void*>(&platform::SetStatusBarService));
    Register(platform_library);
    EXPECT_EQ(Create(&error), static_cast<HRESULT>(0x800401F9u));
    EXPECT_EQ(error, "Test.AddIn: " + platform_library + " is not a COM module (no DllGetClassObject)");
}

}  // namespace
