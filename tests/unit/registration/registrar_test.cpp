#include "addin/registrar.h"

#include <gtest/gtest.h>

#include "registry_reader.h"
#include "support/temp_home.h"

namespace {

using platform::RootKey;
using registration_test::KeyExists;
using registration_test::ReadDword;
using registration_test::ReadString;

const std::string kModule = "/opt/velsync/lib/ZelOutlookAddin.so";
const std::string kAddins = "Software\\Microsoft\\Office\\Outlook\\Addins\\ZelOutlookAddin.SyncManager";
const std::string kSyncManager = "CLSID\\{9531985D-5D9D-49F8-9818-E811892F902B}";
const std::string kPropPage = "CLSID\\{6513270E-269E-4D37-B2A7-4DE452E6B438}";
const std::string kAppId = "AppID\\{D23F0824-128B-4F33-8C5C-7FD0A6A3A450}";
const std::string kTypeLib = "TypeLib\\{36F675CC-81E7-4EF5-A8E2-5D940ED90475}";
const std::string kSyncManagerInterface = "Interface\\{6B0D549B-6F03-475A-9600-A35A099950D8}";
const std::string kPropPageInterface = "Interface\\{8D116ECE-1738-47D9-BD9C-172411E20B8F}";
const std::string kProxyStub = "CLSID\\{6B0D549B-6F03-475A-9600-A35A099950D8}";

// The values activation and marshaling depend on, below the classes root: key, value name, value.
struct ClassValue {
    std::string key;
    std::string name;
    std::string value;
};
std::vector<ClassValue> ExpectedClassValues() {
    return {
        {kAppId, "", "ZelOutlookAddin"},
        {"ZelOutlookAddin.SyncManager\\CLSID", "", "{9531985D-5D9D-49F8-9818-E811892F902B}"},
        {"ZelOutlookAddin.SyncManager\\CurVer", "", "ZelOutlookAddin.SyncManager.1"},
        {"ZelOutlookAddin.SyncManager.1\\CLSID", "", "{9531985D-5D9D-49F8-9818-E811892F902B}"},
        {kSyncManager + "\\InprocServer32", "", kModule},
        {kSyncManager + "\\InprocServer32", "ThreadingModel", "Apartment"},
        {"ZelOutlookAddin.ZelPropPage\\CLSID", "", "{6513270E-269E-4D37-B2A7-4DE452E6B438}"},
        {kPropPage + "\\InprocServer32", "", kModule},
        {kPropPage + "\\MiscStatus\\1", "", "131473"},
        {kTypeLib + "\\1.0\\409\\win64", "", kModule},
        {kSyncManagerInterface + "\\ProxyStubClsid32", "", "{6B0D549B-6F03-475A-9600-A35A099950D8}"},
        {kPropPageInterface + "\\ProxyStubClsid32", "", "{6B0D549B-6F03-475A-9600-A35A099950D8}"},
        {kProxyStub + "\\InprocServer32", "", kModule},
        {kProxyStub + "\\InprocServer32", "ThreadingModel", "Both"},
    };
}
// Keys registration makes without a value.
const std::vector<std::string> kEmptyClassKeys = {kSyncManager + "\\Programmable",
                                                  kPropPage + "\\Programmable", kPropPage + "\\Control"};

std::string Classes(const std::string& relative) {
    return "Software\\Classes\\" + relative;
}

void ExpectClassesRegisteredUnder(RootKey root) {
    for (const ClassValue& row : ExpectedClassValues()) {
        SCOPED_TRACE(row.key + " [" + row.name + "]");
        EXPECT_EQ(ReadString(root, Classes(row.key), row.name), row.value);
        // The merged view shows the same.
        EXPECT_EQ(ReadString(RootKey::ClassesRoot, row.key, row.name), row.value);
    }
    for (const std::string& key : kEmptyClassKeys) {
        SCOPED_TRACE(key);
        EXPECT_TRUE(KeyExists(root, Classes(key)));
    }
}

void ExpectAddinEntries() {
    for (RootKey root : {RootKey::CurrentUser, RootKey::LocalMachine}) {
        SCOPED_TRACE(root == RootKey::CurrentUser ? "HKCU" : "HKLM");
        EXPECT_EQ(ReadString(root, kAddins, "FriendlyName"), "Velmarquin Sync Add-in for Outlook");
        EXPECT_EQ(ReadString(root, kAddins, "Description"), "Velmarquin Sync Add-in for Outlook");
        EXPECT_EQ(ReadDword(root, kAddins, "LoadBehavior"), 3u);
        EXPECT_EQ(ReadDword(root, kAddins, "CommandLineSafe"), 0u);
    }
}

// Everything registration removes is gone; only the AppID key with its name stays.
void ExpectUnregisteredUnder(RootKey root) {
    for (const ClassValue& row : ExpectedClassValues()) {
        SCOPED_TRACE(row.key);
        if (row.key == kAppId)
            EXPECT_EQ(ReadString(root, Classes(row.key)), "ZelOutlookAddin");
        else
            EXPECT_FALSE(KeyExists(root, Classes(row.key)));
    }
    EXPECT_FALSE(KeyExists(root, Classes(kTypeLib)));
    EXPECT_FALSE(KeyExists(RootKey::CurrentUser, kAddins));
    EXPECT_FALSE(KeyExists(RootKey::LocalMachine, kAddins));
}

class RegistrarTest : public ::testing::Test {
  protected:
    testing_support::TempHome home_;
};

TEST_F(RegistrarTest, MachineRegistrationOverAnOldOneWritesEveryKeyUnderTheMachineClasses) {
    // An empty module path is refused before any write.
    EXPECT_EQ(CRegistrar("", RegistrationScope::Machine).Register(), E_INVALIDARG);
    EXPECT_FALSE(KeyExists(RootKey::LocalMachine, Classes(kAppId)));
    ASSERT_EQ(CRegistrar("/old/ZelOutlookAddin.so", RegistrationScope::Machine).Register(), S_OK);
    ASSERT_EQ(CRegistrar(kModule, RegistrationScope::Machine).Register(), S_OK);
    ExpectClassesRegisteredUnder(RootKey::LocalMachine);
    ExpectAddinEntries();
    EXPECT_FALSE(KeyExists(RootKey::CurrentUser, Classes(kSyncManager)));
}

TEST_F(RegistrarTest, UnregistrationRemovesEverythingButTheAppIdKey) {
    for (RegistrationScope scope : {RegistrationScope::Machine, RegistrationScope::User}) {
        const RootKey root = scope == RegistrationScope::User ? RootKey::CurrentUser : RootKey::LocalMachine;
        SCOPED_TRACE(scope == RegistrationScope::User ? "user" : "machine");
        CRegistrar registrar(kModule, scope);
        EXPECT_EQ(registrar.Unregister(), S_OK);  // nothing registered yet
        ASSERT_EQ(registrar.Install(true), S_OK);
        ExpectClassesRegisteredUnder(root);
        ASSERT_EQ(registrar.Install(false), S_OK);
        ExpectUnregisteredUnder(root);
    }
}

TEST_F(RegistrarTest, UserRegistrationShadowsTheMachineOneAndItsRemovalLeavesItAlone) {
    ASSERT_EQ(CRegistrar(kModule, RegistrationScope::Machine).Register(), S_OK);
    CRegistrar user("/home/me/ZelOutlookAddin.so", RegistrationScope::User);
    ASSERT_EQ(user.Register(), S_OK);
    EXPECT_EQ(ReadString(RootKey::ClassesRoot, kSyncManager + "\\InprocServer32"),
              "/home/me/ZelOutlookAddin.so");
    ASSERT_EQ(user.Unregister(), S_OK);
    EXPECT_EQ(ReadString(RootKey::ClassesRoot, kSyncManager + "\\InprocServer32"), kModule);
    EXPECT_EQ(ReadString(RootKey::LocalMachine, Classes(kTypeLib + "\\1.0\\409\\win64")), kModule);
}

TEST_F(RegistrarTest, OtherTypeLibraryVersionsSurviveUnregistration) {
    std::unique_ptr<platform::RegistryKey> other;
    ASSERT_EQ(platform::RegistryKey::Create(RootKey::LocalMachine, Classes(kTypeLib + "\\2.0"), &other),
              ERROR_SUCCESS);
    CRegistrar registrar(kModule, RegistrationScope::Machine);
    ASSERT_EQ(registrar.Register(), S_OK);
    ASSERT_EQ(registrar.Unregister(), S_OK);
    EXPECT_FALSE(KeyExists(RootKey::LocalMachine, Classes(kTypeLib + "\\1.0")));
    EXPECT_TRUE(KeyExists(RootKey::LocalMachine, Classes(kTypeLib + "\\2.0")));
}

// A registry that fails at one chosen write, as a full or locked registry would.
class FailingRegistrar : public CRegistrar {
  public:
    FailingRegistrar(RegistrationScope scope, std::size_t failing_write)
        : CRegistrar(kModule, scope), m_failingWrite(failing_write) {}
    std::size_t writes_done() const { return m_done; }

  protected:
    LONG Apply(const RegistryWrite& write) override {
        if (m_done == m_failingWrite)
            return ERROR_WRITE_FAULT;
        ++m_done;
        return CRegistrar::Apply(write);
    }

  private:
    std::size_t m_failingWrite;
    std::size_t m_done = 0;
};

TEST_F(RegistrarTest, RegisterStopsAtTheFirstFailureAndReturnsIt) {
    FailingRegistrar registrar(RegistrationScope::Machine, 12);
    EXPECT_EQ(registrar.Register(), HresultFromWin32(ERROR_WRITE_FAULT));
    EXPECT_EQ(registrar.writes_done(), 12u);
    EXPECT_TRUE(KeyExists(RootKey::LocalMachine, Classes(kTypeLib + "\\1.0")));
}

TEST_F(RegistrarTest, InstallUndoesAFailedRegistration) {
    const std::size_t total = CRegistrar(kModule, RegistrationScope::User).Writes().size();
    for (std::size_t failing : {std::size_t{5}, total / 2, total - 1}) {
        SCOPED_TRACE(failing);
        FailingRegistrar registrar(RegistrationScope::User, failing);
        EXPECT_EQ(registrar.Install(true), HresultFromWin32(ERROR_WRITE_FAULT));
        ExpectUnregisteredUnder(RootKey::CurrentUser);
    }
}

TEST(ScopeFromCommandLine, OnlyUserInAnyCaseSelectsTheCurrentUser) {
    struct Row {
        const char* command_line;
        RegistrationScope scope;
    };
    const Row rows[] = {
        {"user", RegistrationScope::User},     {"USER", RegistrationScope::User},
        {nullptr, RegistrationScope::Machine}, {"", RegistrationScope::Machine},
        {"users", RegistrationScope::Machine}, {" user", RegistrationScope::Machine},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.command_line ? row.command_line : "(null)");
        EXPECT_EQ(ScopeFromCommandLine(row.command_line), row.scope);
    }
}

}  // namespace
