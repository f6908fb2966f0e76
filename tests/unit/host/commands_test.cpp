// The velsync calendar and contacts commands: exit codes, output, and edits that the read-only guards
// of a connected add-in refuse.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "host/calendar_command.h"
#include "host/contacts_command.h"
#include "host/user_session.h"
#include "index/index_store.h"
#include "platform/paths.h"
#include "platform/registry.h"
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
Outcome Contacts(const std::vector<std::string>& args) {
    return Run(RunContactsCommand, args);
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

class VelsyncCommands : public ::testing::Test {
  protected:
    testing_support::TempHome home_;
};

TEST_F(VelsyncCommands, AddListShowEditAndDeleteAnAppointment) {
    Outcome added = Calendar({"add", "--subject", "Standup", "--start", "2030-01-07 09:00", "--repeat",
                              "daily", "--count", "5", "--categories", " Work ,,Daily ", "--json"});
    ASSERT_EQ(added.code, kExitOk) << added.err;
    const std::string id = JsonField(added.out, "entry_id");
    ASSERT_FALSE(id.empty());

    Outcome listed = Calendar({"list", "--from", "2030-01-06", "--to", "2030-01-31", "--json"});
    ASSERT_EQ(listed.code, kExitOk);
    EXPECT_EQ(std::count(listed.out.begin(), listed.out.end(), '\n'), 5);
    EXPECT_NE(listed.out.find("\"start\":\"2030-01-11T09:00:00"), std::string::npos) << listed.out;

    ASSERT_EQ(Calendar({"delete", id, "--occurrence", "2030-01-08"}).code, kExitOk);
    ASSERT_EQ(Calendar({"edit", id, "--occurrence", "2030-01-09", "--subject", "Moved", "--start",
                        "2030-01-09 15:00"})
                  .code,
              kExitOk);
    listed = Calendar({"list", "--from", "2030-01-06", "--to", "2030-01-31"});
    EXPECT_EQ(std::count(listed.out.begin(), listed.out.end(), '\n'), 4) << listed.out;
    EXPECT_NE(listed.out.find("2030-01-09 15:00  2030-01-09 16:00  Moved  changed occurrence"),
              std::string::npos)
        << listed.out;

    Outcome shown = Calendar({"show", id});
    EXPECT_NE(shown.out.find("recurrence: daily interval 1, 5 times"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("importance: normal\ncategories: Work, Daily\nsensitivity: normal\n"),
              std::string::npos)
        << shown.out;
    EXPECT_NE(shown.out.find("exceptions: 2030-01-08 09:00 deleted, 2030-01-09 09:00 changed"),
              std::string::npos);

    ASSERT_EQ(Calendar({"edit", id, "--categories", ""}).code, kExitOk);
    EXPECT_NE(Calendar({"show", id}).out.find("categories: \n"), std::string::npos);

    ASSERT_EQ(Calendar({"delete", id}).code, kExitOk);
    EXPECT_EQ(Calendar({"show", id}).code, kExitFailed);
}

TEST_F(VelsyncCommands, WrongArgumentsGiveUsageExitAndAReason) {
    struct Row {
        std::vector<std::string> args;
        const char* reason;
    };
    const Row rows[] = {
        {{"add", "--subject", "x"}, "add needs --start"},
        {{"add", "--start", "2030-02-30 09:00"}, "--start needs a date"},
        {{"add", "--start", "2030-02-01", "--repeat", "weekly", "--interval", "0"},
         "--interval must be 1 to 999"},
        {{"list", "--bogus"}, "unknown option --bogus"},
        {{"frobnicate"}, "unknown calendar action"},
        {{"move", "ABC"}, "move needs an ID and --to PATH"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.reason);
        Outcome run = Calendar(row.args);
        EXPECT_EQ(run.code, kExitUsage);
        EXPECT_NE(run.err.find(row.reason), std::string::npos) << run.err;
    }
    Outcome refused = Calendar(
        {"add", "--start", "2030-02-01", "--repeat", "yearly", "--month", "4", "--day-of-month", "31"});
    EXPECT_EQ(refused.code, kExitFailed);
    EXPECT_NE(refused.err.find("refused as invalid"), std::string::npos) << refused.err;
}

TEST_F(VelsyncCommands, ListRunsByStartAndTheStartOfAnIdWillDo) {
    ASSERT_EQ(Calendar({"add", "--subject", "Late", "--start", "2030-01-08 15:00"}).code, kExitOk);
    Outcome early = Calendar({"add", "--subject", "Early", "--start", "2030-01-08 08:00", "--json"});
    ASSERT_EQ(early.code, kExitOk);
    Outcome listed = Calendar({"list", "--from", "2030-01-08", "--to", "2030-01-08"});
    EXPECT_LT(listed.out.find("Early"), listed.out.find("Late")) << listed.out;

    const std::string id = JsonField(early.out, "entry_id");
    ASSERT_EQ(id.size(), 72u);
    std::string own_lower = id.substr(40, 8);
    std::transform(own_lower.begin(), own_lower.end(), own_lower.begin(), ::tolower);
    struct Row {
        std::string id;
        int code;
        const char* said;
    };
    const Row rows[] = {
        {id.substr(40, 6), kExitOk, "subject: Early"},
        {own_lower, kExitOk, "subject: Early"},
        {id.substr(0, 50), kExitOk, "subject: Early"},
        {id.substr(0, 40), kExitFailed, "names more than one item"},
        {id.substr(40, 3), kExitFailed, "not found"},
        {"%%%%", kExitFailed, "not found"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.id);
        Outcome shown = Calendar({"show", row.id});
        EXPECT_EQ(shown.code, row.code);
        EXPECT_NE((shown.out + shown.err).find(row.said), std::string::npos) << shown.out << shown.err;
    }
}

TEST_F(VelsyncCommands, JsonGivesNumbersFlagsAndTimesWithTheirOffset) {
    testing_support::ScopedTimeZone berlin("Europe/Berlin");
    struct Row {
        const char* start;
        std::vector<const char*> fields;
    };
    const Row rows[] = {
        {"2030-01-07 09:00",
         {"\"start\":\"2030-01-07T09:00:00+01:00\"", "\"start_utc\":\"2030-01-07T08:00:00Z\"",
          "\"all_day\":false"}},
        {"2030-07-01 09:00",
         {"\"end\":\"2030-07-01T09:30:00+02:00\"", "\"start_utc\":\"2030-07-01T07:00:00Z\""}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.start);
        Outcome added = Calendar({"add", "--start", row.start, "--duration", "30", "--json"});
        ASSERT_EQ(added.code, kExitOk) << added.err;
        Outcome shown = Calendar({"show", JsonField(added.out, "entry_id"), "--json"});
        for (const char* field : row.fields)
            EXPECT_NE(shown.out.find(field), std::string::npos) << field << "\n" << shown.out;
    }
    Outcome folders = Calendar({"folders", "--json"});
    EXPECT_NE(folders.out.find("\"items\":2,"), std::string::npos) << folders.out;
}

TEST_F(VelsyncCommands, TimeZoneByIanaOrWindowsName) {
    struct Row {
        const char* zone;
        int code;
        const char* shown;
    };
    const Row rows[] = {
        {"Europe/Berlin", kExitOk, "start_utc: 2030-06-03 07:00"},
        {"W. Europe Standard Time", kExitOk, "start_utc: 2030-06-03 07:00"},
        {"America/New_York", kExitOk, "start_utc: 2030-06-03 13:00"},
        {"Mars/Olympus_Mons", kExitUsage, "unknown time zone Mars/Olympus_Mons"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.zone);
        Outcome added = Calendar({"add", "--start", "2030-06-03 09:00", "--time-zone", row.zone, "--json"});
        EXPECT_EQ(added.code, row.code) << added.err;
        if (row.code != kExitOk) {
            EXPECT_NE(added.err.find(row.shown), std::string::npos) << added.err;
            continue;
        }
        Outcome shown = Calendar({"show", JsonField(added.out, "entry_id")});
        EXPECT_NE(shown.out.find(row.shown), std::string::npos) << shown.out;
    }
}

// A weekly series of another zone is listed on the local day its occurrence falls on, which can be the
// day before or after its own date.
TEST_F(VelsyncCommands, ListFindsASeriesOfAnotherZoneByTheLocalDate) {
    struct Row {
        const char* here;
        const char* zone;
        const char* start;  // a Tuesday, in `zone`
        const char* day;    // the local day of the second occurrence
        const char* shown;  // its local start
    };
    const Row rows[] = {
        {"UTC", "America/Los_Angeles", "2030-06-04 18:30", "2030-06-12", "2030-06-12 01:30"},
        {"Pacific/Auckland", "America/Los_Angeles", "2030-06-04 18:30", "2030-06-12", "2030-06-12 13:30"},
        {"Pacific/Auckland", "Europe/Berlin", "2030-06-04 20:00", "2030-06-12", "2030-06-12 06:00"},
        {"America/Los_Angeles", "Europe/Berlin", "2030-06-04 08:00", "2030-06-10", "2030-06-10 23:00"},
        {"America/Los_Angeles", "Pacific/Auckland", "2030-06-04 09:00", "2030-06-10", "2030-06-10 14:00"},
        {"America/Los_Angeles", "America/Los_Angeles", "2030-06-04 23:30", "2030-06-11", "2030-06-11 23:30"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.here) + " " + row.zone);
        testing_support::ScopedTimeZone here(row.here);
        Outcome added = Calendar({"add", "--subject", "Weekly", "--start", row.start, "--time-zone", row.zone,
                                  "--repeat", "weekly", "--count", "3", "--json"});
        ASSERT_EQ(added.code, kExitOk) << added.err;
        Outcome listed = Calendar({"list", "--from", row.day, "--to", row.day});
        EXPECT_EQ(std::count(listed.out.begin(), listed.out.end(), '\n'), 1) << listed.out;
        EXPECT_EQ(listed.out.rfind(std::string(row.shown) + " ", 0), 0u) << listed.out;
        ASSERT_EQ(Calendar({"delete", JsonField(added.out, "entry_id")}).code, kExitOk);
    }
}

TEST_F(VelsyncCommands, DamagedStoreGivesItsOwnExitCodeAndIsKept) {
    testing_support::WriteFileBytes(platform::VelsyncHome() + "/outlook.db", "not a store");
    Outcome run = Contacts({"list"});
    EXPECT_EQ(run.code, kExitNoStore);
    EXPECT_NE(run.err.find("damaged"), std::string::npos) << run.err;
    EXPECT_EQ(testing_support::ReadFileOrEmpty(platform::VelsyncHome() + "/outlook.db"), "not a store");
}

TEST_F(VelsyncCommands, ContactsFoldersAndLists) {
    ASSERT_EQ(Contacts({"mkdir", "Clients"}).code, kExitOk);
    // A path below the default folder, as mkdir took it.
    Outcome added = Contacts(
        {"add", "--name", "Ada Lovelace", "--email", "ada@example.org", "--folder", "Clients", "--json"});
    ASSERT_EQ(added.code, kExitOk) << added.err;
    const std::string ada = JsonField(added.out, "entry_id");
    Outcome list = Contacts({"group-create", "Friends", "--json"});
    ASSERT_EQ(list.code, kExitOk);
    const std::string friends = JsonField(list.out, "entry_id");
    ASSERT_EQ(Contacts({"group-add", friends, "Ada Lovelace"}).code, kExitOk);
    Outcome unresolved = Contacts({"group-add", friends, "nobody"});
    EXPECT_EQ(unresolved.code, kExitFailed);
    EXPECT_NE(unresolved.err.find("does not resolve"), std::string::npos);
    Outcome shown = Contacts({"show", friends});
    EXPECT_NE(shown.out.find("members: Ada Lovelace <ada@example.org>"), std::string::npos) << shown.out;

    ASSERT_EQ(Contacts({"move", ada, "--to", "Contacts"}).code, kExitOk);
    Outcome folders = Contacts({"folders", "--json"});
    EXPECT_NE(folders.out.find("{\"path\":\"Contacts/Clients\",\"server\":\"-\",\"items\":0,"),
              std::string::npos)
        << folders.out;
    ASSERT_EQ(Contacts({"rmdir", "Clients"}).code, kExitOk);
}

TEST_F(VelsyncCommands, DefaultFoldersAnswerToTheirRoleAndKeepTheirNames) {
    ASSERT_EQ(Calendar({"mkdir", "Work"}).code, kExitOk);

    // A store an older velsync let a synchronization rename.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((platform::VelsyncHome() + "/outlook.db").c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, "UPDATE folders SET name = 'Personal' WHERE default_folder = 9", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    ASSERT_EQ(Calendar({"add", "--subject", "Lunch", "--start", "2030-01-07 12:00"}).code, kExitOk);
    for (const char* folder : {"Calendar", "personal"}) {
        SCOPED_TRACE(folder);
        Outcome listed = Calendar({"list", "--folder", folder, "--from", "2030-01-07", "--to", "2030-01-08"});
        EXPECT_EQ(listed.code, kExitOk) << listed.err;
        EXPECT_NE(listed.out.find("Lunch"), std::string::npos) << listed.out;
    }
    Outcome folders = Calendar({"folders"});
    EXPECT_EQ(folders.out.substr(0, folders.out.find("  ")), "Calendar") << folders.out;
    EXPECT_NE(folders.out.find("\nCalendar/Work  -  0  "), std::string::npos) << folders.out;
}

class GuardedCommands : public VelsyncCommands {
  protected:
    void SetUp() override {
        // Register the test add-in as Outlook's Addins key and the class registration name it.
        const std::string addins = std::string("Software\\Microsoft\\Office\\Outlook\\Addins\\") + kProgId;
        std::unique_ptr<platform::RegistryKey> key;
        ASSERT_EQ(platform::RegistryKey::Create(platform::RootKey::CurrentUser, addins, &key), ERROR_SUCCESS);
        ASSERT_EQ(platform::SetDwordValue(*key, "LoadBehavior", 3), ERROR_SUCCESS);
        SetDefaultValue(std::string("Software\\Classes\\") + kProgId + "\\CLSID", kClsid);
        SetDefaultValue(kServerKey, GUARD_TEST_ADDIN);
    }

    static void SetDefaultValue(const std::string& path, const std::string& value) {
        std::unique_ptr<platform::RegistryKey> key;
        ASSERT_EQ(platform::RegistryKey::Create(platform::RootKey::CurrentUser, path, &key), ERROR_SUCCESS);
        ASSERT_EQ(platform::SetStringValue(*key, "", value), ERROR_SUCCESS);
    }

    // Marks the folder read-only in readonly.dat, as a synchronization does.
    void MarkReadonly(const std::string& path) {
        Outcome folders = Calendar({"folders", "--json"});
        const std::size_t at = folders.out.find("{\"path\":\"" + path + "\"");
        ASSERT_NE(at, std::string::npos) << folders.out;
        const std::string id = JsonField(folders.out.substr(at), "entry_id");
        SyncIndex index = OpenReadonlyIndex();
        ASSERT_TRUE(index.Add(id, id, platform::DateTime::NowUtc()));
        ASSERT_TRUE(index.Save());
    }
};

TEST_F(GuardedCommands, EditAndDeleteInReadonlyCalendarAreRefusedWithTheGuardsMessage) {
    ASSERT_EQ(Calendar({"mkdir", "Shared"}).code, kExitOk);
    Outcome added = Calendar({"add", "--subject", "Theirs", "--start", "2030-03-04 10:00", "--folder",
                              "Calendar/Shared", "--json"});
    ASSERT_EQ(added.code, kExitOk) << added.err;
    const std::string id = JsonField(added.out, "entry_id");
    MarkReadonly("Calendar/Shared");

    Outcome edit = Calendar({"edit", id, "--subject", "Mine now"});
    EXPECT_EQ(edit.code, kExitFailed);
    EXPECT_NE(edit.err.find("Warning: Item is read-only and cannot be changed"), std::string::npos)
        << edit.err;
    EXPECT_NE(edit.err.find("refused (the folder is read-only)"), std::string::npos);
    Outcome deleted = Calendar({"delete", id});
    EXPECT_EQ(deleted.code, kExitFailed);
    Outcome moved = Calendar({"move", id, "--to", "Calendar"});
    EXPECT_EQ(moved.code, kExitFailed);
    EXPECT_NE(moved.err.find("Item cannot be removed from a read-only folder"), std::string::npos)
        << moved.err;

    Outcome created = Calendar(
        {"add", "--subject", "Sneaky", "--start", "2030-03-05 10:00", "--folder", "Calendar/Shared"});
    EXPECT_EQ(created.code, kExitFailed);
    EXPECT_NE(created.err.find("Appointment cannot be created in a read-only folder"), std::string::npos)
        << created.err;

    Outcome shown = Calendar({"show", id});
    EXPECT_NE(shown.out.find("subject: Theirs"), std::string::npos);
    // The writable default calendar is not guarded.
    EXPECT_EQ(Calendar({"add", "--subject", "Free", "--start", "2030-03-05 10:00"}).code, kExitOk);

    // A broken registration is reported and the command still runs.
    SetDefaultValue(kServerKey, "/nonexistent/addin.so");
    Outcome unguarded = Calendar({"folders"});
    EXPECT_EQ(unguarded.code, kExitOk);
    EXPECT_NE(unguarded.err.find("add-in VelsyncTest.GuardAddIn cannot be loaded"), std::string::npos)
        << unguarded.err;
}

}  // namespace
