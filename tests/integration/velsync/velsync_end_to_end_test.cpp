// velsync register, options, calendar, sync and run as separate processes against a local Radicale:
// both sides of the calendar afterwards, the log files, the exit statuses, one run per user at a time,
// a timer run in a session that SIGTERM ends cleanly, and a run that SIGTERM cancels.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>
#include <chrono>
#include <cstdio>
#include <functional>
#include <iterator>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "platform/user_lock.h"
#include "settings/log.h"
#include "settings/settings_manager.h"
#include "support/dav_servers.h"
#include "support/temp_home.h"

namespace {

using testing_support::DavServerKind;

struct Result {
    int status = -1;
    std::string output;  // stdout and stderr together
};

std::string Quote(const std::string& word) {
    std::string quoted = "'";
    for (char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs velsync with `args`, `input` on its standard input (no terminal).
Result Velsync(const std::vector<std::string>& args, const std::string& input = "") {
    std::string command = "printf '%s' " + Quote(input) + " | " + Quote(VELSYNC_PROGRAM);
    for (const std::string& arg : args)
        command += " " + Quote(arg);
    command += " 2>&1";
    Result result;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return result;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.output.append(buffer, got);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// Radicale's storage of alice's calendar.
std::string CalendarFolder(const testing_support::DavServerProcess& server) {
    return server.state_dir() + "/radicale/collections/collection-root/alice/calendar";
}

std::string ServerCalendarText(const testing_support::DavServerProcess& server) {
    std::string text;
    const std::string folder = CalendarFolder(server);
    for (const std::string& name : platform::ListFiles(folder)) {
        if (name.size() > 4 && name.substr(name.size() - 4) == ".ics")
            text += testing_support::ReadFileOrEmpty(folder + "/" + name);
    }
    return text;
}

std::string AllLogText() {
    std::string text;
    for (const std::string& name : platform::ListFiles(LogFolder()))
        text += testing_support::ReadFileOrEmpty(LogFolder() + "/" + name);
    return text;
}

class VelsyncEndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        if (!server_.Start(&error)) {
            if (testing_support::AreServersRequired())
                FAIL() << error;
            GTEST_SKIP() << "Radicale did not start: " << error;
        }
        // Logging on, so that the run's log files can be checked.
        CSettingsManager settings;
        settings.Create();
        settings.SetEnableLog(true);
        settings.Save();
        Result registered = Velsync({"register", "--user"});
        ASSERT_EQ(registered.status, 0) << registered.output;
    }

    Result Configure(const std::string& url, const std::string& password, bool test,
                     const std::vector<std::string>& more = {}) {
        std::vector<std::string> args = {"options", "--url", url, "--email", "alice", "--password-stdin"};
        for (const char* arg : {"--calendars", "on", "--contacts", "off", "--calendar-interval", "5"})
            args.push_back(arg);
        if (test)
            args.push_back("--test");
        args.insert(args.end(), more.begin(), more.end());
        return Velsync(args, password + "\n");
    }

    testing_support::TempHome home_;
    testing_support::DavServerProcess server_{DavServerKind::kRadicale};
};

TEST_F(VelsyncEndToEnd, RegisterConfigureAndSyncBothWays) {
    std::unique_ptr<platform::RegistryKey> key;
    EXPECT_EQ(platform::RegistryKey::Open(platform::RootKey::CurrentUser,
                                          "Software\\Classes\\ZelOutlookAddin.SyncManager", &key),
              ERROR_SUCCESS);

    Result configured = Configure(server_.url(), "secret", true);
    ASSERT_EQ(configured.status, 0) << configured.output;
    EXPECT_NE(configured.output.find("Connection successful"), std::string::npos) << configured.output;
    EXPECT_NE(configured.output.find("Settings saved."), std::string::npos) << configured.output;

    Result added = Velsync(
        {"calendar", "add", "--subject", "Dentist", "--start", "2030-03-04 09:00", "--duration", "45"});
    ASSERT_EQ(added.status, 0) << added.output;
    added = Velsync({"calendar", "add", "--subject", "Team meeting", "--start", "2030-03-04 10:00",
                     "--duration", "30", "--repeat", "weekly", "--days", "MO", "--count", "5"});
    ASSERT_EQ(added.status, 0) << added.output;

    // The server gets an event of its own, stored as another client's upload leaves it.
    const std::string event =
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\nBEGIN:VEVENT\r\nUID:from-server-1\r\n"
        "DTSTAMP:20300101T000000Z\r\nDTSTART:20300305T120000Z\r\nDTEND:20300305T130000Z\r\n"
        "SUMMARY:Lunch from the server\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    ASSERT_EQ(platform::WriteFileAtomically(CalendarFolder(server_) + "/from-server-1.ics", event), 0);

    Result synced = Velsync({"sync"});
    ASSERT_EQ(synced.status, 0) << synced.output;
    EXPECT_NE(synced.output.find("status: Synchronization Complete"), std::string::npos) << synced.output;
    // Without a terminal: a line as the calendar starts, and what was done to it at the end.
    EXPECT_NE(synced.output.find("status: Calendar \"Calendar\": 3 item(s)"), std::string::npos)
        << synced.output;
    EXPECT_NE(
        synced.output.find("Calendar \"Calendar\": Outlook 1 new, 0 changed, 0 deleted; server 2 new, 0 "
                           "changed, 0 deleted; 0 conflict(s); 0 failed"),
        std::string::npos)
        << synced.output;

    const std::string server_side = ServerCalendarText(server_);
    EXPECT_NE(server_side.find("SUMMARY:Dentist"), std::string::npos) << server_side;
    EXPECT_NE(server_side.find("SUMMARY:Team meeting"), std::string::npos) << server_side;
    EXPECT_NE(server_side.find("RRULE:FREQ=WEEKLY"), std::string::npos) << server_side;
    Result listed = Velsync({"calendar", "list", "--from", "2030-03-01", "--to", "2030-04-30"});
    ASSERT_EQ(listed.status, 0) << listed.output;
    EXPECT_NE(listed.output.find("Lunch from the server"), std::string::npos) << listed.output;

    // The run's lines went to the log folder.
    EXPECT_NE(AllLogText().find("OnClickButton - Begin Sync"), std::string::npos) << LogFolder();

    // Emptied on the server: without a terminal the question says what was answered and how to answer.
    for (const std::string& name : platform::ListFiles(CalendarFolder(server_))) {
        if (name.size() > 4 && name.substr(name.size() - 4) == ".ics") {
            ASSERT_EQ(std::remove((CalendarFolder(server_) + "/" + name).c_str()), 0);
        }
    }
    synced = Velsync({"sync"});
    EXPECT_EQ(synced.status, 1) << synced.output;
    EXPECT_NE(synced.output.find("No terminal to ask \"Calendar calendar is empty on the server"),
              std::string::npos)
        << synced.output;
    EXPECT_NE(synced.output.find("answering Cancel, the safe answer (--answer yes|no|cancel answers it)"),
              std::string::npos)
        << synced.output;
    synced = Velsync({"sync", "--answer", "no"});
    EXPECT_EQ(synced.status, 0) << synced.output;
    EXPECT_NE(ServerCalendarText(server_).find("SUMMARY:Dentist"), std::string::npos);
}

TEST_F(VelsyncEndToEnd, CommandsKeepFindingTheDefaultCalendarAfterASyncWithNamedCalendars) {
    // alice's calendars as other clients leave them: the default one with a name of its own, and a second.
    const std::string home = server_.state_dir() + "/radicale/collections/collection-root/alice";
    ASSERT_EQ(platform::WriteFileAtomically(home + "/calendar/.Radicale.props",
                                            R"({"D:displayname": "Personal", "tag": "VCALENDAR"})"),
              0);
    ASSERT_EQ(platform::CreateOneDirectory(home + "/home"), 0);
    ASSERT_EQ(platform::WriteFileAtomically(home + "/home/.Radicale.props",
                                            R"({"D:displayname": "Home", "tag": "VCALENDAR"})"),
              0);
    ASSERT_EQ(Configure(server_.url(), "secret", false).status, 0);
    Result synced = Velsync({"sync"});
    ASSERT_EQ(synced.status, 0) << synced.output;

    struct Row {
        std::vector<std::string> args;
        int status;
        const char* expected;
    };
    const Row rows[] = {
        {{"calendar", "add", "--subject", "Team", "--start", "2030-01-07 09:00"}, 0, "Team"},
        {{"calendar", "list", "--from", "2030-01-07", "--to", "2030-01-07"}, 0, "Team  single  Calendar  "},
        {{"calendar", "folders"}, 0, "Calendar  /alice/calendar/  1  "},
        {{"calendar", "folders"}, 0, "\nCalendar/Home  /alice/home/  0  "},
        {{"calendar", "rename", "Calendar", "Personal"}, 1, "a default folder keeps its name"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.expected);
        Result run = Velsync(row.args);
        EXPECT_EQ(run.status, row.status) << run.output;
        EXPECT_NE(run.output.find(row.expected), std::string::npos) << run.output;
    }
    // The refused rename is logged and the next run goes on.
    EXPECT_NE(AllLogText().find("Unable to rename the folder to 'Personal'"), std::string::npos);
    synced = Velsync({"sync"});
    EXPECT_EQ(synced.status, 0) << synced.output;
    EXPECT_NE(ServerCalendarText(server_).find("SUMMARY:Team"), std::string::npos);
}

TEST_F(VelsyncEndToEnd, ServerUrlsAsUsersTypeThem) {
    for (const char* path : {"alice/calendar/", "alice/", ""}) {
        SCOPED_TRACE(path);
        Result configured = Configure(server_.url() + path, "secret", true);
        EXPECT_EQ(configured.status, 0) << configured.output;
        EXPECT_NE(configured.output.find("Connection successful"), std::string::npos) << configured.output;
        Result synced = Velsync({"sync"});
        EXPECT_EQ(synced.status, 0) << synced.output;
        EXPECT_NE(synced.output.find("status: Synchronization Complete"), std::string::npos) << synced.output;
    }
}

TEST_F(VelsyncEndToEnd, CommandLineConventionsAndPrivateFiles) {
    struct Row {
        std::vector<std::string> args;
        int status;
        const char* expected;
    };
    const Row rows[] = {
        {{"--version"}, 0, "velsync 1."},
        {{"-h"}, 0, "Usage: velsync [-v] COMMAND"},
        {{"sync", "-h"}, 0, "velsync sync [--answer"},
        {{"calendar", "add", "-h"}, 0, "velsync calendar add --subject TEXT"},
        {{"--frobnicate"}, 2, "unknown option --frobnicate"},
        {{"options", "--log", "maybe"}, 2, "--log takes on or off"},
        {{"options", "--log", "off"}, 0, "Logging off."},
        {{"options", "--url", "http://127.0.0.1/\x1b[A"}, 2, "the server URL holds control characters"},
        {{"-v", "calendar", "folders"}, 0, "] - "},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.expected);
        Result run = Velsync(row.args);
        EXPECT_EQ(run.status, row.status) << run.output;
        EXPECT_NE(run.output.find(row.expected), std::string::npos) << run.output;
    }
    struct stat info = {};
    ASSERT_EQ(stat((platform::VelsyncHome() + "/outlook.db").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    ASSERT_EQ(stat(LogFolder().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST_F(VelsyncEndToEnd, AFailedKindExitsNonZeroAndARunElsewhereIsRefusedClearly) {
    const std::string closed = "http://127.0.0.1:" + std::to_string(testing_support::UnusedLocalPort()) + "/";
    // A failed test saves nothing; the user may keep the settings anyway.
    Result configured = Configure(closed, "secret", true);
    EXPECT_EQ(configured.status, 1) << configured.output;
    EXPECT_NE(configured.output.find("settings not saved"), std::string::npos) << configured.output;
    CSettingsManager settings;
    settings.Create();
    EXPECT_EQ(settings.GetUrl(), "");
    configured = Configure(closed, "secret", true, {"--save-anyway"});
    EXPECT_EQ(configured.status, 1) << configured.output;
    settings.Create();
    EXPECT_EQ(settings.GetUrl(), closed);

    Result synced = Velsync({"sync", "--answer", "no"});
    EXPECT_EQ(synced.status, 1) << synced.output;
    EXPECT_NE(synced.output.find("Answered no from the command line."), std::string::npos) << synced.output;
    EXPECT_NE(synced.output.find("Log: " + LogFolder()), std::string::npos) << synced.output;

    ASSERT_EQ(Configure(server_.url(), "secret", false).status, 0);
    std::unique_ptr<platform::UserLock> other;
    ASSERT_EQ(platform::UserLock::TryAcquire("sync.lock", &other), ERROR_SUCCESS);
    synced = Velsync({"sync"});
    EXPECT_EQ(synced.status, 1) << synced.output;
    EXPECT_NE(
        synced.output.find("another velsync (process " + std::to_string(getpid()) + ") is synchronizing"),
        std::string::npos)
        << synced.output;
    other.reset();
    synced = Velsync({"sync"});
    EXPECT_EQ(synced.status, 0) << synced.output;
}

// Starts `velsync run` with ticks of 100 ms, its output (no terminal) going to `output_path`.
pid_t StartSession(const std::string& output_path) {
    const pid_t child = fork();
    if (child == 0) {
        const int out = open(output_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int in = open("/dev/null", O_RDONLY);
        if (out < 0 || in < 0)
            _exit(126);
        dup2(out, STDOUT_FILENO);
        dup2(out, STDERR_FILENO);
        dup2(in, STDIN_FILENO);
        // Five ticks of 100 ms make the calendars due.
        execl(VELSYNC_PROGRAM, VELSYNC_PROGRAM, "run", "--timer-period-ms", "100",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    return child;
}

// Waits (30 s at most) until `done` holds for the session's output.
bool WaitForOutput(const std::string& output_path, const std::function<bool(const std::string&)>& done) {
    for (int i = 0; i < 300; ++i) {
        if (done(testing_support::ReadFileOrEmpty(output_path)))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

// Ends the session with SIGTERM; its exit status, or -1 when it did not end within 30 s.
int StopSession(pid_t child) {
    kill(child, SIGTERM);
    int status = -1;
    for (int i = 0; i < 300; ++i) {
        if (waitpid(child, &status, WNOHANG) == child)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    return -1;
}

TEST_F(VelsyncEndToEnd, ASessionRunsOnItsTimerAndEndsCleanlyOnSigterm) {
    ASSERT_EQ(Configure(server_.url(), "secret", false).status, 0);
    ASSERT_EQ(Velsync({"calendar", "add", "--subject", "Timer made", "--start", "2030-05-06 08:00"}).status,
              0);
    const std::string output_path = home_.root() + "/run.out";
    const pid_t child = StartSession(output_path);
    ASSERT_GE(child, 0);
    EXPECT_TRUE(WaitForOutput(output_path, [](const std::string& output) {
        return output.find("status: Synchronization Complete") != std::string::npos;
    })) << testing_support::ReadFileOrEmpty(output_path);
    EXPECT_EQ(StopSession(child), 0);
    const std::string output = testing_support::ReadFileOrEmpty(output_path);
    EXPECT_NE(output.find("velsync run: session ended."), std::string::npos) << output;
    EXPECT_NE(ServerCalendarText(server_).find("SUMMARY:Timer made"), std::string::npos);
}

// How many of the events named "Bulk ..." the store holds.
int BulkEventsInStore() {
    const Result listed = Velsync({"calendar", "list", "--from", "2030-06-01", "--to", "2030-12-31"});
    int count = 0;
    for (std::size_t at = listed.output.find("Bulk "); at != std::string::npos;
         at = listed.output.find("Bulk ", at + 1))
        ++count;
    return listed.status == 0 ? count : -1;
}

// SIGTERM during a long first download: the run is cancelled and ends (its report is made) before the
// add-in is unloaded, the session ends cleanly, and the next sync fetches everything.
TEST_F(VelsyncEndToEnd, SigtermCancelsARunningSynchronizationAndTheNextOneResumes) {
    constexpr int kEvents = 800;
    for (int i = 0; i < kEvents; ++i) {
        char start[32];
        std::snprintf(start, sizeof start, "203006%02dT%02d0000Z", 1 + i / 24 % 28, i % 24);
        const std::string event =
            "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\nBEGIN:VEVENT\r\nUID:bulk-" +
            std::to_string(i) + "\r\nDTSTAMP:20300101T000000Z\r\nDTSTART:" + start +
            "\r\nDURATION:PT30M\r\nSUMMARY:Bulk " + std::to_string(i) + "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
        ASSERT_EQ(platform::WriteFileAtomically(
                      CalendarFolder(server_) + "/bulk-" + std::to_string(i) + ".ics", event),
                  0);
    }
    ASSERT_EQ(Configure(server_.url(), "secret", false).status, 0);
    const std::string output_path = home_.root() + "/run.out";
    const pid_t child = StartSession(output_path);
    ASSERT_GE(child, 0);
    EXPECT_TRUE(WaitForOutput(output_path, [](const std::string& output) {
        return output.find("status: Synchronizing Calendars") != std::string::npos;
    })) << testing_support::ReadFileOrEmpty(output_path);
    EXPECT_EQ(StopSession(child), 0);
    const std::string output = testing_support::ReadFileOrEmpty(output_path);
    EXPECT_NE(output.find("Cancelling the running synchronization"), std::string::npos) << output;
    // The end of the run was reported, and its question not asked, before the add-in was unloaded.
    EXPECT_NE(output.find("Check the settings now? (the session is ending: No)"), std::string::npos)
        << output;
    EXPECT_NE(output.find("session ended (the running synchronization was cancelled)"), std::string::npos)
        << output;
    EXPECT_LT(BulkEventsInStore(), kEvents);

    const Result synced = Velsync({"sync"});
    EXPECT_EQ(synced.status, 0) << synced.output;
    EXPECT_EQ(BulkEventsInStore(), kEvents);
}

// Unattended with the server gone: one dated line per failed run, the settings question only at the
// start of the failure streak, never a completion.
TEST_F(VelsyncEndToEnd, AnUnattendedSessionLogsEachFailedRunOnOneDatedLine) {
    const std::string closed = "http://127.0.0.1:" + std::to_string(testing_support::UnusedLocalPort()) + "/";
    (void)Configure(closed, "secret", false);
    const std::string output_path = home_.root() + "/run.out";
    const std::regex failure_line(
        "(^|\\n)\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d Velmarquin Sync Add-in for Outlook: [^\\n]+");
    auto failure_lines = [&](const std::string& output) {
        return std::distance(std::sregex_iterator(output.begin(), output.end(), failure_line),
                             std::sregex_iterator());
    };
    const pid_t child = StartSession(output_path);
    ASSERT_GE(child, 0);
    EXPECT_TRUE(
        WaitForOutput(output_path, [&](const std::string& output) { return failure_lines(output) >= 3; }));
    EXPECT_EQ(StopSession(child), 0);
    const std::string output = testing_support::ReadFileOrEmpty(output_path);
    EXPECT_EQ(output.find("Synchronization Complete"), std::string::npos) << output;
    EXPECT_NE(output.find("status: Synchronization failed"), std::string::npos) << output;
    std::size_t questions = 0;
    for (std::size_t at = output.find("Check the settings now? (no terminal to ask: No)");
         at != std::string::npos; at = output.find("Check the settings now?", at + 1))
        ++questions;
    EXPECT_EQ(questions, 1u) << output;
    EXPECT_NE(output.find("synchronization failed: "), std::string::npos) << output;
}

}  // namespace
