#include "addin/registrar.h"

#include <gtest/gtest.h>

#include "registry_reader.h"
#include "support/data_rows.h"
#include "support/temp_home.h"

namespace {

using platform::RootKey;
using registration_test::KeyExists;
using registration_test::ReadDword;
using registration_test::ReadString;

const std::string kModule = "/opt/velsync/lib/ZelOutlookAddin.so";
const std::string kAddins = "Software\\Microsoft\\Office\\Outlook\\Addins\\ZelOutlookAddin.SyncManager";
const std::string kSyncManager = "CLSID\\{9531985D-5D9D-49F8-9818-E811892F902B}";
const std::string kAppId = "AppID\\{D23F0824-128B-4F33-8C5C-7FD0A6A3A450}";
const std::string kTypeLib = "TypeLib\\{36F675CC-81E7-4EF5-A8E2-5D940ED90475}";

// The values activation and marshaling depend on, below the classes root: key | value name | value;
// a key without a value has only the key.
std::vector<std::vector<std::string>> ExpectedClassValues() {
    return testing_support::ReadDataRows(VELSYNC_TEST_DATA "/registration/class-values.txt", 3);
}

std::string Classes(const std::string& relative) {
    return "Software\\Classes\\" + relative;
}

void ExpectClassesRegisteredUnder(RootKey root) {
    for (const auto& row : ExpectedClassValues()) {
        SCOPED_TRACE(row[0] + " [" + row[1] + "]");
        EXPECT_TRUE(KeyExists(root, Classes(row[0])));
        if (row[1] == "-")
            continue;
        EXPECT_EQ(ReadString(root, Classes(row[0]), row[1]), row[2]);
        // The merged view shows the same.
        EXPECT_EQ(ReadString(RootKey::ClassesRoot, row[0], row[1]), row[2]);
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
    for (const auto& row : ExpectedClassValues()) {
        SCOPED_TRACE(row[0]);
        if (row[0] == kAppId)
            EXPECT_EQ(ReadString(root, Classes(row[0])), "ZelOutlookAddin");
        else
            EXPECT_FALSE(KeyExists(root, Classes(row[0])));
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
    EXPECT_EQ(ScopeFromCommandLine(nullptr), RegistrationScope::Machine);
    for (const auto& row :
         testing_support::ReadDataRows(VELSYNC_TEST_DATA "/registration/scope-rows.txt", 2)) {
        SCOPED_TRACE(row[0]);
        EXPECT_EQ(ScopeFromCommandLine(row[0].c_str()),
                  row[1] == "user" ? RegistrationScope::User : RegistrationScope::Machine);
    }
}

}  // namespace
