#include "platform/registry.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

#include "support/temp_home.h"

namespace {

using platform::RegistryKey;
using platform::RootKey;

class Registry : public ::testing::Test {
  protected:
    std::unique_ptr<RegistryKey> CreateKey(RootKey root, const char* path) {
        std::unique_ptr<RegistryKey> key;
        EXPECT_EQ(RegistryKey::Create(root, path, &key), ERROR_SUCCESS);
        return key;
    }
    testing_support::TempHome home_;
};

TEST_F(Registry, CreateMakesParentsAndPathsIgnoreCaseAndExtraSeparators) {
    CreateKey(RootKey::CurrentUser, "Software\\Maker\\Product");
    std::unique_ptr<RegistryKey> key;
    EXPECT_EQ(RegistryKey::Open(RootKey::CurrentUser, "SOFTWARE\\maker", &key), ERROR_SUCCESS);
    EXPECT_EQ(RegistryKey::Open(RootKey::CurrentUser, "\\software\\\\MAKER\\product\\", &key), ERROR_SUCCESS);
    key.reset();
    EXPECT_EQ(RegistryKey::Open(RootKey::LocalMachine, "Software\\Maker", &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);
}

TEST_F(Registry, StringIsStoredAsUtf16WithTerminatorAndAShortBufferGetsTheNeededSize) {
    auto key = CreateKey(RootKey::CurrentUser, "Software\\T");
    ASSERT_EQ(platform::SetStringValue(*key, "Name", "h\xC3\xA9"), ERROR_SUCCESS);
    DWORD type = 0;
    DWORD size = 0;
    ASSERT_EQ(key->QueryValue("name", &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, platform::REG_SZ);
    EXPECT_EQ(size, 6u);  // two characters and the terminator
    std::string value;
    EXPECT_EQ(platform::QueryStringValue(*key, "NAME", 2048, &value), ERROR_SUCCESS);
    EXPECT_EQ(value, "h\xC3\xA9");

    ASSERT_EQ(platform::SetStringValue(*key, "v", "abcdef"), ERROR_SUCCESS);
    std::uint8_t buffer[8];
    size = sizeof buffer;
    EXPECT_EQ(key->QueryValue("v", nullptr, buffer, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 14u);
}

TEST_F(Registry, ReadsRefuseWrongTypesAndMalformedDataAndKeepTheOutput) {
    auto key = CreateKey(RootKey::CurrentUser, "Software\\T");
    const std::uint8_t odd[3] = {'a', 0, 0};
    ASSERT_EQ(key->SetValue("odd", platform::REG_SZ, odd, 3), ERROR_SUCCESS);
    const std::uint8_t unterminated[4] = {'a', 0, 'b', 0};
    ASSERT_EQ(key->SetValue("open", platform::REG_SZ, unterminated, 4), ERROR_SUCCESS);
    ASSERT_EQ(key->SetValue("empty", platform::REG_SZ, nullptr, 0), ERROR_SUCCESS);
    const std::uint8_t expand[4] = {'x', 0, 0, 0};
    ASSERT_EQ(key->SetValue("expand", platform::REG_EXPAND_SZ, expand, 4), ERROR_SUCCESS);
    const std::uint8_t two[2] = {1, 0};
    ASSERT_EQ(key->SetValue("short", platform::REG_DWORD, two, 2), ERROR_SUCCESS);
    ASSERT_EQ(platform::SetDwordValue(*key, "n", 0x1C01), ERROR_SUCCESS);

    std::string value = "kept";
    for (const char* name : {"n", "odd", "open"})
        EXPECT_EQ(platform::QueryStringValue(*key, name, 2048, &value), ERROR_INVALID_DATA) << name;
    EXPECT_EQ(platform::QueryStringValue(*key, "missing", 2048, &value), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(value, "kept");
    EXPECT_EQ(platform::QueryStringValue(*key, "empty", 2048, &value), ERROR_SUCCESS);
    EXPECT_EQ(value, "");
    EXPECT_EQ(platform::QueryStringValue(*key, "expand", 2048, &value), ERROR_SUCCESS);
    EXPECT_EQ(value, "x");

    DWORD number = 99;
    EXPECT_EQ(platform::QueryDwordValue(*key, "expand", &number), ERROR_INVALID_DATA);
    EXPECT_EQ(platform::QueryDwordValue(*key, "short", &number), ERROR_INVALID_DATA);
    EXPECT_EQ(number, 99u);
    EXPECT_EQ(platform::QueryDwordValue(*key, "n", &number), ERROR_SUCCESS);
    EXPECT_EQ(number, 0x1C01u);
}

TEST_F(Registry, EnumSubKeysListsDirectChildrenAndDeleteTreeRemovesKeyValuesAndSubKeysButNotSiblings) {
    auto key = CreateKey(RootKey::CurrentUser, "Software\\A\\B\\C");
    ASSERT_EQ(platform::SetDwordValue(*key, "x", 1), ERROR_SUCCESS);
    CreateKey(RootKey::CurrentUser, "Software\\A\\d");
    CreateKey(RootKey::CurrentUser, "Software\\AB");
    std::unique_ptr<RegistryKey> opened;
    ASSERT_EQ(RegistryKey::Open(RootKey::CurrentUser, "Software\\A", &opened), ERROR_SUCCESS);
    std::vector<std::string> names;
    ASSERT_EQ(opened->EnumSubKeys(&names), ERROR_SUCCESS);
    EXPECT_EQ(names, (std::vector<std::string>{"B", "d"}));

    ASSERT_EQ(RegistryKey::DeleteTree(RootKey::CurrentUser, "software\\a"), ERROR_SUCCESS);
    EXPECT_EQ(RegistryKey::Open(RootKey::CurrentUser, "Software\\A\\B", &opened), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegistryKey::Open(RootKey::CurrentUser, "Software\\AB", &opened), ERROR_SUCCESS);
    DWORD value = 0;
    EXPECT_EQ(platform::QueryDwordValue(*key, "x", &value), ERROR_KEY_DELETED);
    EXPECT_EQ(RegistryKey::DeleteTree(RootKey::CurrentUser, "Software\\A"), ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, SeveralProcessesWriteAtOnceWithoutLosingValues) {
    CreateKey(RootKey::CurrentUser, "Software\\Shared");
    constexpr int kChildren = 4;
    constexpr int kWrites = 25;
    std::vector<pid_t> children;
    for (int child = 0; child < kChildren; ++child) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            std::unique_ptr<RegistryKey> key;
            int failures =
                RegistryKey::Open(RootKey::CurrentUser, "Software\\Shared", &key) == ERROR_SUCCESS ? 0 : 1;
            for (int i = 0; key && i < kWrites; ++i) {
                const std::string name = "c" + std::to_string(child) + "v" + std::to_string(i);
                failures +=
                    platform::SetDwordValue(*key, name, static_cast<DWORD>(i)) == ERROR_SUCCESS ? 0 : 1;
            }
            _exit(failures == 0 ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::unique_ptr<RegistryKey> key;
    ASSERT_EQ(RegistryKey::Open(RootKey::CurrentUser, "Software\\Shared", &key), ERROR_SUCCESS);
    for (int child = 0; child < kChildren; ++child) {
        DWORD value = 0;
        EXPECT_EQ(platform::QueryDwordValue(
                      *key, "c" + std::to_string(child) + "v" + std::to_string(kWrites - 1), &value),
                  ERROR_SUCCESS);
        EXPECT_EQ(value, static_cast<DWORD>(kWrites - 1));
    }
}

}  // namespace
