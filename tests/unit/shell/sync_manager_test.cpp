// The add-in object in the host: the button, the status texts, runs started by the button and by the
// timer, the one-run rule (also across processes), the result report and the options page.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "host/property_pages_object.h"
#include "outlook/application_events.h"
#include "platform/user_lock.h"
#include "shell_fixture.h"
#include "support/data_rows.h"

namespace shell_test {
namespace {

using ::testing::ElementsAre;

class SyncManagerTest : public ShellFixture {};

TEST_F(SyncManagerTest, ConnectionCreatesOneButtonASecondReusesItAndOnlyRemovalDeletesIt) {
    Connect();
    auto controls = TaggedControls();
    ASSERT_EQ(controls.size(), 1u);
    outlook::ComPtr<outlook::CommandBarButton> button;
    ASSERT_EQ(controls[0].As(&button), S_OK);
    std::string tooltip;
    EXPECT_EQ(Caption(button.get()), "Velmarquin Sync");
    EXPECT_EQ(button->get_TooltipText(&tooltip), S_OK);
    EXPECT_EQ(tooltip, "Velmarquin Sync Add-in for Outlook");
    EXPECT_TRUE(IsEnabled(button.get()));
    manager_->EnableUI(false);
    EXPECT_FALSE(IsEnabled(button.get()));
    EXPECT_EQ(Caption(button.get()), "Sync in progress\u2026");
    manager_->EnableUI(true);
    EXPECT_EQ(Caption(button.get()), "Velmarquin Sync");

    // The same session connects the add-in again (a disabled button is enabled again, not doubled).
    EXPECT_EQ(button->put_Enabled(false), S_OK);
    Disconnect(outlook::ext_dm_HostShutdown);
    ASSERT_EQ(TaggedControls().size(), 1u);
    Connect();
    EXPECT_EQ(TaggedControls().size(), 1u);
    EXPECT_TRUE(IsEnabled(Button().get()));
    // Only the user removing the add-in deletes the button.
    Disconnect(outlook::ext_dm_UserClosed);
    EXPECT_TRUE(TaggedControls().empty());
}

TEST_F(SyncManagerTest, AfterDisconnectionTheLastReleaseEndsTheAddIn) {
    Connect();
    ASSERT_TRUE(PumpUntil([this] { return !manager_->IsSyncActive(); }));
    EXPECT_EQ(manager_->OnDisconnection(outlook::ext_dm_HostShutdown, nullptr), S_OK);
    // Tasks a tick may still have queued hold their own references; let them finish.
    platform::Apartment::Current()->RunPending(50);
    EXPECT_EQ(manager_.Detach()->Release(), 0u);
}

TEST_F(SyncManagerTest, ClickWithoutServerAndCancelledFirstRunDialogStartsNothing) {
    Connect();
    SaveSettings("", kBothKinds);
    // No dialog service: the first-run dialog answers Cancel.
    ASSERT_EQ(Button()->Execute(), S_OK);
    EXPECT_FALSE(manager_->IsSyncActive());
    EXPECT_TRUE(status_.Texts().empty());
    EXPECT_TRUE(IsEnabled(Button().get()));
}

TEST_F(SyncManagerTest, OneRunAtATimeAcrossProcessesAndWithinThisOne) {
    Connect();
    // A run held by another process: the button fails with the failure text and comes back at once.
    std::unique_ptr<platform::UserLock> other;
    ASSERT_EQ(platform::UserLock::TryAcquire(kRunLockName, &other), ERROR_SUCCESS);
    EXPECT_EQ(manager_->BeginSync(3, 1), S_FALSE);
    ASSERT_EQ(Button()->Execute(), S_OK);
    EXPECT_FALSE(manager_->IsSyncActive());
    EXPECT_THAT(status_.Texts(), ElementsAre("Begin Synchronization", "Failed to begin synchronization"));
    EXPECT_TRUE(IsEnabled(Button().get()));
    other.reset();

    // No kind on: the run itself does nothing. A second BeginSync is refused while it exists.
    SaveSettings("http://127.0.0.1:9/", 0);
    EXPECT_EQ(manager_->BeginSync(3, 0), S_OK);
    EXPECT_EQ(manager_->BeginSync(3, 0), S_FALSE);
    ASSERT_TRUE(PumpUntil([this] { return !manager_->IsSyncActive(); }));
    EXPECT_EQ(manager_->BeginSync(3, 0), S_OK);
    ASSERT_TRUE(PumpUntil([this] { return !manager_->IsSyncActive(); }));
    // A timer-style run (no result wanted) that succeeded shows no box; the worker's Application entry
    // is gone again.
    EXPECT_TRUE(boxes_.Flags().empty());
    EXPECT_EQ(manager_->ApplicationThreadCount(), 1u);
}

TEST_F(SyncManagerTest, TheFifthTickStartsTheCalendarRunAndResetsOnlyItsCount) {
    Connect();  // the first tick: both counts 1
    SaveSettings("http://127.0.0.1:9/", kSyncCalendars | 0x08 | 0x200);
    for (int tick = 2; tick <= 4; ++tick) {
        EXPECT_EQ(manager_->OnTimer(), S_OK);
        EXPECT_FALSE(manager_->IsSyncActive()) << tick;
    }
    EXPECT_EQ(manager_->driver().GetCalendarCount(), 4);
    EXPECT_EQ(manager_->OnTimer(), S_OK);
    EXPECT_TRUE(manager_->IsSyncActive());
    EXPECT_FALSE(IsEnabled(Button().get()));
    EXPECT_EQ(manager_->driver().GetRequestedKinds(), kSyncCalendars);
    // A tick during the run: BeginSync refuses and the button comes back at once.
    manager_->driver().ResetCounters(kSyncCalendars, false);
    for (int tick = 1; tick <= 5; ++tick)
        EXPECT_EQ(manager_->OnTimer(), S_OK);
    EXPECT_TRUE(IsEnabled(Button().get()));
    ASSERT_TRUE(PumpUntil([this] { return !manager_->IsSyncActive(); }));
    // The run against a closed port failed: the settings question, answered No.
    EXPECT_EQ(boxes_.Flags(), std::vector<unsigned>{platform::MB_YESNO | platform::MB_ICONQUESTION});
    EXPECT_EQ(manager_->driver().GetCalendarCount(), 0);
    EXPECT_EQ(manager_->driver().GetContactCount(), 10);
    EXPECT_TRUE(IsEnabled(Button().get()));
}

TEST_F(SyncManagerTest, TheOptionsDialogGetsTheAddInsPage) {
    Connect();
    auto pages = outlook::ComPtr<host::PropertyPagesObject>(new host::PropertyPagesObject);
    for (const auto& sink : app_->events().SinksFor<outlook::ApplicationEvents>(""))
        sink->OptionsPagesAdd(pages.get());
    ASSERT_EQ(pages->pages().size(), 1u);
    EXPECT_EQ(pages->pages()[0].first, "ZelOutlookAddin.ZelPropPage");
    EXPECT_EQ(pages->pages()[0].second, "Velmarquin Sync");
}

TEST(TimerPeriod, FromTheEnvironmentWithinBoundsElseOneMinute) {
    for (const auto& row :
         testing_support::ReadDataRows(VELSYNC_TEST_DATA "/shell/timer-period-rows.txt", 2)) {
        setenv("VELSYNC_TIMER_PERIOD_MS", row[0].c_str(), 1);
        EXPECT_EQ(TimerPeriodFromEnvironment(), std::stoul(row[1])) << row[0];
    }
    unsetenv("VELSYNC_TIMER_PERIOD_MS");
    EXPECT_EQ(TimerPeriodFromEnvironment(), 60000u);
}

}  // namespace
}  // namespace shell_test
