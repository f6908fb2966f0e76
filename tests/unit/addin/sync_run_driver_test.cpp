#include "addin/sync_run_driver.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "platform/message_box.h"
#include "settings/log.h"
#include "settings/settings_manager.h"
#include "support/data_rows.h"
#include "support/logging_home.h"
#include "support/recorded_message_boxes.h"

namespace {

// What one kind's synchronizer does when the run calls it.
struct KindScript {
    std::function<void()> on_create;  // may throw
    SyncResultList results;           // added before `on_sync` runs
    std::function<void()> on_sync;    // may throw
};

class ScriptedSynchronizer : public ISynchronizer {
  public:
    explicit ScriptedSynchronizer(const KindScript& script) : script_(script) {}
    void Synchronize(SyncResultList* results) override {
        results->insert(results->end(), script_.results.begin(), script_.results.end());
        if (script_.on_sync)
            script_.on_sync();
    }

  private:
    KindScript script_;
};

class ScriptedHost : public ISyncHost {
  public:
    void OutputMessageToUser(unsigned message_id) override {
        events.push_back("status " + std::to_string(message_id));
    }
    void EnableUI(bool enable) override { events.push_back(enable ? "enable" : "disable"); }
    std::unique_ptr<ISynchronizer> CreateSynchronizer(SyncKind kind, const std::string& url,
                                                      const std::string& user,
                                                      const std::string& password) override {
        const char* name = kind == SyncKind::Contacts ? "contacts" : "calendars";
        events.push_back(std::string("create ") + name + " " + url + " " + user + " " + password);
        const KindScript& script = scripts[kind];
        if (script.on_create)
            script.on_create();
        return std::make_unique<ScriptedSynchronizer>(script);
    }
    std::string GetStoreId() override { return {}; }
    void RegisterReadOnlyFolder(const std::string& folder_key, bool flag) override {
        events.push_back("register " + folder_key + (flag ? " 1" : " 0"));
    }
    int ShowFirstRunDialog() override {
        events.push_back("first-run dialog");
        return first_run_answer;
    }
    void InitializeApartment() override { events.push_back("CoInitialize"); }
    void UninitializeApartment() override { events.push_back("CoUninitialize"); }
    bool SignalSyncFinished() override {
        events.push_back("signal");
        return has_event;
    }

    std::map<SyncKind, KindScript> scripts;
    std::vector<std::string> events;
    int first_run_answer = platform::IDOK;
    bool has_event = true;
};

class SyncRun : public ::testing::Test {
  protected:
    void SetUp() override { SetSyncFlag(0x123); }
    void SetSyncFlag(std::uint32_t flag) {
        CSettingsManager settings;
        settings.Create();
        settings.SetUrl("http://127.0.0.1:5232/");
        settings.SetEmail("alice");
        settings.SetLogin("ignored-login");
        settings.SetPassword("secret");
        settings.SetSyncFlag(flag);
        settings.Save();
    }
    void Run(std::uint32_t kinds, bool show_result) {
        driver_.SetRequest(kinds, show_result);
        driver_.Sync();
    }
    static std::function<void()> Throw(CAddinException error) {
        return [error] { throw error; };
    }

    testing_support::LoggingHome home_;
    ScriptedHost host_;
    testing_support::RecordedMessageBoxes boxes_;
    SyncRunDriver driver_{&host_};
};

TEST_F(SyncRun, AKindRunsWhenSettingsAndRequestBothAskContactsFirstWithTheEmailAsUserName) {
    for (const auto& row : testing_support::ReadDataRows(VELSYNC_TEST_DATA "/addin/kind-rows.txt", 3)) {
        SCOPED_TRACE(row[0] + " " + row[1]);
        host_.events.clear();
        SetSyncFlag(static_cast<std::uint32_t>(std::stoul(row[0], nullptr, 16)));
        Run(static_cast<std::uint32_t>(std::stoul(row[1], nullptr, 16)), true);
        std::string events;
        for (const std::string& event : host_.events)
            events += (events.empty() ? "" : "; ") + event;
        EXPECT_EQ(events, row[2]);
    }
}

TEST_F(SyncRun, AFailedKindDoesNotStopTheOtherAndItsFolderListStillCounts) {
    host_.scripts[SyncKind::Contacts].results = {{"C1", true}};
    host_.scripts[SyncKind::Contacts].on_sync = Throw(CAddinException(303));
    host_.scripts[SyncKind::Calendars].results = {{"K1", false}, {"K2", true}};
    Run(0x3, true);
    EXPECT_EQ(host_.events[2], "register C1 1");
    EXPECT_EQ(host_.events[3], "status 329");
    EXPECT_EQ(host_.events[5], "register K1 0");
    EXPECT_EQ(host_.events[6], "register K2 1");
    ASSERT_NE(driver_.GetContactsFailure(), nullptr);
    EXPECT_EQ(driver_.GetContactsFailure()->GetCode(), 303u);
    EXPECT_EQ(driver_.GetCalendarsFailure(), nullptr);
}

TEST_F(SyncRun, FailuresAreKeptUntilTheNextRunAndNonAddinFailuresBecomeUnknownError) {
    host_.scripts[SyncKind::Contacts].on_create = Throw(CAddinException(std::string("broken")));
    host_.scripts[SyncKind::Calendars].on_sync = [] { throw std::runtime_error("platform fault"); };
    Run(0x3, true);
    ASSERT_NE(driver_.GetContactsFailure(), nullptr);
    EXPECT_EQ(driver_.GetContactsFailure()->GetMessage(), "broken");
    ASSERT_NE(driver_.GetCalendarsFailure(), nullptr);
    EXPECT_EQ(driver_.GetCalendarsFailure()->GetCode(), 1u);
    EXPECT_EQ(driver_.GetCalendarsFailure()->GetMessage(), "Unknown error occurred");
    // The next run starts clean, even for a kind it does not run.
    host_.scripts[SyncKind::Contacts].on_create = nullptr;
    Run(0x2, true);
    EXPECT_EQ(driver_.GetContactsFailure(), nullptr);
    EXPECT_EQ(driver_.GetCalendarsFailure(), nullptr);
}

TEST_F(SyncRun, LinesOfTheRunGoToTheRunFile) {
    std::string file_during_run;
    host_.scripts[SyncKind::Contacts].on_sync = [&] {
        file_during_run = CurrentLogFileName();
        Log("inside the run");
    };
    Run(0x2, true);
    EXPECT_NE(file_during_run, "addin.log");
    EXPECT_NE(home_.LogText(file_during_run).find("inside the run"), std::string::npos);
    EXPECT_EQ(CurrentLogFileName(), "addin.log");
}

TEST_F(SyncRun, SyncProcWritesItsStepsAndSignalsTheEventWhenThereIsOne) {
    SyncProc(&driver_, &host_);
    EXPECT_EQ(host_.events.front(), "CoInitialize");
    EXPECT_EQ(host_.events[host_.events.size() - 2], "CoUninitialize");
    EXPECT_EQ(host_.events.back(), "signal");
    std::string log = home_.LogText("addin.log");
    std::size_t at = 0;
    for (const char* step : {"SyncProc - CoInitialize", "SyncProc - SetEvent", "SyncProc - return"}) {
        SCOPED_TRACE(step);
        at = log.find(step, at);
        EXPECT_NE(at, std::string::npos);
    }
    host_.has_event = false;
    SyncProc(&driver_, &host_);
    log = home_.LogText("addin.log");
    // The second run returned too, but without setting an event.
    EXPECT_NE(log.find("SyncProc - return", log.find("SyncProc - return") + 1), std::string::npos);
    EXPECT_EQ(log.rfind("SyncProc - SetEvent"), log.find("SyncProc - SetEvent"));
}

// The result text and the report.

// A kind's failure as a row gives it: "" none, "code N" or "text T".
std::function<void()> FailureOf(const std::string& cell) {
    if (cell.empty())
        return nullptr;
    const CAddinException error =
        cell.starts_with("code ") ? CAddinException(static_cast<std::uint32_t>(std::stoul(cell.substr(5))))
                                  : CAddinException(cell.substr(5));
    return [error] { throw error; };
}

// Folders as "key name flag" and the eight counters, apart by "; ".
SyncResultList ResultsOf(const std::string& cell) {
    SyncResultList results;
    std::istringstream entries(cell);
    for (std::string entry; std::getline(entries, entry, ';');) {
        std::istringstream fields(entry);
        SyncResultEntry result;
        SyncCounters& c = result.counters;
        fields >> result.folder_key >> result.name >> result.flag >> c.created_in_outlook >>
            c.changed_in_outlook >> c.deleted_in_outlook >> c.created_on_server >> c.changed_on_server >>
            c.deleted_on_server >> c.conflicts >> c.failures;
        EXPECT_FALSE(fields.fail()) << entry;
        results.push_back(result);
    }
    return results;
}

TEST_F(SyncRun, ResultTextNamesEachKindAndItsFailureThenEachCollectionsSummary) {
    for (const auto& row :
         testing_support::ReadDataRows(VELSYNC_TEST_DATA "/addin/result-text-rows.txt", 6)) {
        SCOPED_TRACE(row[0]);
        SetSyncFlag(static_cast<std::uint32_t>(std::stoul(row[1], nullptr, 16)));
        host_.scripts[SyncKind::Contacts].on_sync = FailureOf(row[2]);
        host_.scripts[SyncKind::Calendars].on_sync = FailureOf(row[3]);
        host_.scripts[SyncKind::Calendars].results = ResultsOf(row[4]);
        Run(0x3, true);
        EXPECT_EQ(driver_.GetSuccessMessage(), row[5]);
    }
}

TEST_F(SyncRun, ReportShowsSuccessWithInformationAndATimerRunsFailureWithError) {
    Run(0x3, true);
    driver_.ReportResult();
    ASSERT_EQ(boxes_.Shown().size(), 1u);
    EXPECT_EQ(boxes_.Shown()[0].caption, "Velmarquin Sync Add-in for Outlook");
    EXPECT_EQ(boxes_.Shown()[0].flags, platform::MB_OK | platform::MB_ICONINFORMATION);
    EXPECT_EQ(host_.events[host_.events.size() - 2], "enable");
    EXPECT_EQ(host_.events.back(), "status 302");
    host_.scripts[SyncKind::Contacts].on_sync = Throw(CAddinException(std::string("No connection")));
    Run(0x3, false);
    driver_.ReportResult();  // a timer run that failed still shows its result; a text is never a code
    ASSERT_EQ(boxes_.Shown().size(), 2u);
    EXPECT_EQ(boxes_.Shown()[1].flags, platform::MB_OK | platform::MB_ICONERROR);
}

TEST_F(SyncRun, ConnectionAndLogonFailuresAskForTheSettingsContactsFirst) {
    host_.scripts[SyncKind::Contacts].on_sync = Throw(CAddinException(303));
    host_.scripts[SyncKind::Calendars].on_sync = Throw(CAddinException(400));
    Run(0x3, true);
    boxes_.answer = platform::IDNO;
    driver_.ReportResult();
    ASSERT_EQ(boxes_.Shown().size(), 1u);
    EXPECT_EQ(boxes_.Shown()[0].text,
              "No connection with the DAV server could be established. Check the settings now?");
    EXPECT_EQ(boxes_.Shown()[0].flags, platform::MB_YESNO | platform::MB_ICONQUESTION);
    EXPECT_NE(host_.events.back(), "first-run dialog");
}

TEST_F(SyncRun, LogonQuestionFromTheCalendarsWhenContactsGaveNone) {
    host_.scripts[SyncKind::Contacts].on_sync = Throw(CAddinException(202));
    host_.scripts[SyncKind::Calendars].on_sync = Throw(CAddinException(400));
    Run(0x3, true);
    boxes_.answer = platform::IDYES;
    host_.first_run_answer = platform::IDCANCEL;
    driver_.ReportResult();
    ASSERT_EQ(boxes_.Shown().size(), 1u);
    EXPECT_EQ(boxes_.Shown()[0].text, "Failed to log on DAV server. Check the settings now?");
    EXPECT_EQ(host_.events.back(), "first-run dialog");
}

TEST_F(SyncRun, AnUnattendedFailureStreakAsksOnceAndItsStatusNeverSaysComplete) {
    // Timer runs: failed, failed again, succeeded, failed. Each: the status and the flags of its box.
    const struct {
        bool fails;
        const char* status;
        unsigned box_flags;  // 0: no box
    } runs[] = {
        {true, "status 381", platform::MB_YESNO | platform::MB_ICONQUESTION},
        {true, "status 381", platform::MB_OK | platform::MB_ICONERROR},
        {false, "status 302", 0},
        {true, "status 381", platform::MB_YESNO | platform::MB_ICONQUESTION},
    };
    for (const auto& run : runs) {
        host_.scripts[SyncKind::Contacts].on_sync = run.fails ? Throw(CAddinException(303)) : nullptr;
        boxes_.Clear();
        Run(0x3, false);
        driver_.ReportResult();
        EXPECT_EQ(host_.events.back(), run.status);
        ASSERT_EQ(boxes_.Shown().size(), run.box_flags == 0 ? 0u : 1u);
        if (run.box_flags != 0) {
            EXPECT_EQ(boxes_.Shown()[0].flags, run.box_flags);
        }
    }
    EXPECT_EQ(boxes_.Shown()[0].text,
              "No connection with the DAV server could be established. Check the settings now?");
}

TEST_F(SyncRun, TicksMakeEachKindDueAtItsIntervalUntilItsRunResetsIt) {
    SetSyncFlag(0x20B);  // contacts hourly, calendars every 5 minutes
    for (int tick = 1; tick <= 4; ++tick)
        EXPECT_EQ(driver_.Proceed(), 0u) << tick;
    EXPECT_EQ(driver_.Proceed(), 0x1u);
    EXPECT_EQ(driver_.Proceed(), 0x1u);  // not reset until a run ends
    for (int tick = 7; tick < 60; ++tick)
        (void)driver_.Proceed();
    EXPECT_EQ(driver_.Proceed(), 0x3u);
    // A timer run resets only its kinds, a button run both.
    driver_.ResetCounters(0x1, false);
    EXPECT_EQ(driver_.GetCalendarCount(), 0);
    EXPECT_EQ(driver_.GetContactCount(), 60);
    driver_.ResetCounters(0x1, true);
    EXPECT_EQ(driver_.GetContactCount(), 0);
}

}  // namespace
