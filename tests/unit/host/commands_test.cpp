// The velsync calendar and contacts commands: exit codes, output, and edits that the read-only guards
// of a connected add-in refuse.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "host/calendar_command.h"
#include "host/contacts_command.h"
#include "host/user_session.h"
#include "index/index_store.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "support/escaped_text.h"
#include "support/scoped_time_zone.h"
#include "support/temp_home.h"

namespace {

constexpr const char* kProgId = "VelsyncTest.GuardAddIn";
constexpr const char* kClsid = "{0A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D}";
constexpr const char* kServerKey =
    "Software\\Classes\\CLSID\\{0A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D}\\InprocServer32";

struct Outcome {
    int code = -1;
    std::string out;
    std::string err;
};

Outcome Run(int (*command)(const std::vector<std::string>&), const std::vector<std::string>& args) {
    Outcome run;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    run.code = command(args);
    run.out = testing::internal::GetCapturedStdout();
    run.err = testing::internal::GetCapturedStderr();
    return run;
}
Outcome Calendar(const std::vector<std::string>& args) {
    return Run(RunCalendarCommand, args);
}

// The value of "key" in the first JSON line of `out`.
std::string JsonField(const std::string& out, const std::string& key) {
    const std::string marker = "\"" + key + "\":\"";
    const std::size_t at = out.find(marker);
    if (at == std::string::npos) {
        return {};
    }
    const std::size_t start = at + marker.size();
    return out.substr(start, out.find('"', start) - start);
}

// The arguments of a script's command line: words apart by spaces, "..." holding spaces (or nothing),
// {name}, {name:FROM:COUNT} and {name:FROM:COUNT:lower} replaced by (part of) a kept value.
std::vector<std::string> Arguments(const std::string& line, const std::map<std::string, std::string>& kept) {
    static const std::regex kKept(R"(\{(\w+)(?::(\d+):(\d+))?(:lower)?\})");
    std::string text;
    std::size_t done = 0;
    for (auto it = std::sregex_iterator(line.begin(), line.end(), kKept); it != std::sregex_iterator();
         ++it) {
        const auto& match = *it;
        const auto value = kept.find(match[1]);
        EXPECT_NE(value, kept.end()) << match[1];
        std::string part = value == kept.end() ? "" : value->second;
        if (match[2].matched)
            part = part.substr(std::min(part.size(), std::stoul(match[2])), std::stoul(match[3]));
        if (match[4].matched)
            std::transform(part.begin(), part.end(), part.begin(), ::tolower);
        text += line.substr(done, match.position() - done) + part;
        done = match.position() + match.length();
    }
    text += line.substr(done);
    std::vector<std::string> words;
    bool quoted = false;
    bool open = false;
    for (const char c : text) {
        if (c == '"') {
            quoted = !quoted;
        } else if (c == ' ' && !quoted) {
            open = false;
            continue;
        }
        if (!open)
            words.emplace_back();
        open = true;
        if (c != '"')
            words.back() += c;
    }
    return words;
}

void SetDefaultValue(const std::string& path, const std::string& value) {
    std::unique_ptr<platform::RegistryKey> key;
    ASSERT_EQ(platform::RegistryKey::Create(platform::RootKey::CurrentUser, path, &key), ERROR_SUCCESS);
    ASSERT_EQ(platform::SetStringValue(*key, "", value), ERROR_SUCCESS);
}

// Registers the guard test add-in as Outlook's Addins key and the class registration name it.
void RegisterGuardAddIn() {
    const std::string addins = std::string("Software\\Microsoft\\Office\\Outlook\\Addins\\") + kProgId;
    std::unique_ptr<platform::RegistryKey> key;
    ASSERT_EQ(platform::RegistryKey::Create(platform::RootKey::CurrentUser, addins, &key), ERROR_SUCCESS);
    ASSERT_EQ(platform::SetDwordValue(*key, "LoadBehavior", 3), ERROR_SUCCESS);
    SetDefaultValue(std::string("Software\\Classes\\") + kProgId + "\\CLSID", kClsid);
    SetDefaultValue(kServerKey, GUARD_TEST_ADDIN);
}

// Marks the calendar folder read-only in readonly.dat, as a synchronization does.
void MarkReadonly(const std::string& path) {
    Outcome folders = Calendar({"folders", "--json"});
    const std::size_t at = folders.out.find("{\"path\":\"" + path + "\"");
    ASSERT_NE(at, std::string::npos) << folders.out;
    const std::string id = JsonField(folders.out.substr(at), "entry_id");
    SyncIndex index = OpenReadonlyIndex();
    ASSERT_TRUE(index.Add(id, id, platform::DateTime::NowUtc()));
    ASSERT_TRUE(index.Save());
}

void RunSql(const std::string& statement) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((platform::VelsyncHome() + "/outlook.db").c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, statement.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

// Runs the script at `path` in the current home (see tests/data/host/commands-appointment-life.txt).
void RunScript(const std::string& path) {
    static const std::map<std::string, int> kCodes = {
        {"ok", kExitOk}, {"failed", kExitFailed}, {"usage", kExitUsage}, {"no-store", kExitNoStore}};
    std::ifstream file(path);
    ASSERT_TRUE(file) << path;
    std::map<std::string, std::string> kept;
    std::optional<testing_support::ScopedTimeZone> zone;
    Outcome run;
    for (std::string line; std::getline(file, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        SCOPED_TRACE(line);
        const std::size_t space = std::min(line.find(' '), line.size());
        const std::string verb = line.substr(0, space);
        const std::string text = testing_support::Unescaped(line.substr(std::min(space + 1, line.size())));
        const std::string file_name = text.substr(0, text.find(' '));
        const std::string file_text = text.substr(std::min(text.size(), file_name.size() + 1));
        if (verb == "$") {
            std::vector<std::string> args = Arguments(line.substr(2), kept);
            ASSERT_FALSE(args.empty());
            const auto command = args[0] == "contacts" ? RunContactsCommand : RunCalendarCommand;
            args.erase(args.begin());
            run = Run(command, args);
        } else if (verb == "exit") {
            ASSERT_TRUE(kCodes.contains(text)) << text;
            EXPECT_EQ(run.code, kCodes.at(text)) << run.err;
        } else if (verb == "out" || verb == "err" || verb == "said") {
            const std::string& seen = verb == "out" ? run.out : verb == "err" ? run.err : run.out + run.err;
            EXPECT_NE(seen.find(text), std::string::npos) << seen;
        } else if (verb == "starts") {
            EXPECT_EQ(run.out.rfind(text, 0), 0u) << run.out;
        } else if (verb == "lines") {
            EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), std::stoi(text)) << run.out;
        } else if (verb == "order") {
            const std::size_t bar = text.find(" | ");
            ASSERT_NE(bar, std::string::npos);
            const std::size_t first = run.out.find(text.substr(0, bar));
            EXPECT_NE(first, std::string::npos) << run.out;
            EXPECT_LT(first, run.out.find(text.substr(bar + 3))) << run.out;
        } else if (verb == "keep") {
            kept[file_name] = JsonField(run.out, file_text);
            EXPECT_FALSE(kept[file_name].empty()) << run.out;
        } else if (verb == "zone") {
            zone.reset();
            zone.emplace(text.c_str());
        } else if (verb == "guard") {
            RegisterGuardAddIn();
        } else if (verb == "guard-module") {
            SetDefaultValue(kServerKey, text);
        } else if (verb == "readonly") {
            MarkReadonly(text);
        } else if (verb == "sql") {
            RunSql(text);
        } else if (verb == "write") {
            testing_support::WriteFileBytes(platform::VelsyncHome() + "/" + file_name, file_text);
        } else if (verb == "kept") {
            EXPECT_EQ(testing_support::ReadFileOrEmpty(platform::VelsyncHome() + "/" + file_name), file_text);
        } else {
            ADD_FAILURE() << "unknown step " << verb;
        }
    }
}

TEST(VelsyncCommandScripts, EveryScriptRunsAsWritten) {
    int scripts = 0;
    for (const std::string& name : platform::ListFiles(VELSYNC_HOST_TEST_DATA)) {
        if (name.rfind("commands-", 0) != 0)
            continue;
        SCOPED_TRACE(name);
        ++scripts;
        testing_support::TempHome home;
        RunScript(VELSYNC_HOST_TEST_DATA "/" + name);
    }
    EXPECT_GE(scripts, 9);
}

}  // namespace
