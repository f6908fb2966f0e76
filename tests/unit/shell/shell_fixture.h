// The add-in object connected to the host's Application over a temporary store, on this thread as
// Outlook's user-interface thread, with the status bar and message boxes recorded.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "addin/sync_manager.h"
#include "addin/sync_manager_proxy.h"
#include "host/application_object.h"
#include "outlook/command_bar_control.h"
#include "outlook/command_bar_controls.h"
#include "platform/apartment.h"
#include "platform/message_box.h"
#include "platform/status_bar.h"
#include "settings/settings_manager.h"
#include "support/recorded_message_boxes.h"
#include "support/temp_home.h"

namespace shell_test {

class RecordingStatusBar : public platform::StatusBarService {
  public:
    void SetText(const std::string& text) override {
        std::lock_guard<std::mutex> guard(lock);
        texts.push_back(text);
    }
    std::vector<std::string> Texts() {
        std::lock_guard<std::mutex> guard(lock);
        return texts;
    }
    std::mutex lock;
    std::vector<std::string> texts;
};

class ShellFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(platform::CoInitialize(), S_OK);
        // What loading the module does: the timer and the wait reach the add-in through this proxy.
        ASSERT_EQ(RegisterModuleProxies(), S_OK);
        platform::SetStatusBarService(&status_);
        std::string error;
        ASSERT_EQ(host::ApplicationObject::Create(home_.root() + "/outlook.db", 3000, &app_, &error), S_OK)
            << error;
    }
    void TearDown() override {
        if (manager_)
            Disconnect(outlook::ext_dm_HostShutdown);
        app_ = nullptr;
        platform::SetStatusBarService(nullptr);
        RevokeModuleProxies();
        platform::CoUninitialize();
    }

    static void SaveSettings(const std::string& url, std::uint32_t flag) {
        CSettingsManager settings;
        settings.Create();
        settings.SetUrl(url);
        settings.SetEmail("alice");
        settings.SetPassword("secret");
        settings.SetSyncFlag(flag);
        settings.Save();
    }

    // Both kinds on, calendars every 5 minutes, contacts every hour, server `url`.
    static constexpr std::uint32_t kBothKinds = kSyncCalendars | kSyncContacts | 0x08 | 0x200;

    // A connected add-in whose timer never moves on after its first tick (settings with both intervals
    // on, so that the tick shows in the counts).
    void Connect() {
        SaveSettings("http://127.0.0.1:9/", kBothKinds);
        manager_.Attach(new CSyncManager(kTimerPeriodMs, clock_));
        ASSERT_EQ(manager_->OnConnection(app_.get(), outlook::ext_cm_Startup, nullptr, nullptr), S_OK);
        // The first tick comes at once; let it reach the add-in.
        ASSERT_TRUE(PumpUntil([this] {
            return manager_->driver().GetCalendarCount() > 0 || manager_->driver().GetContactCount() > 0;
        }));
    }
    void Disconnect(outlook::ext_DisconnectMode mode) {
        // A run still going must end before the add-in goes.
        (void)PumpUntil([this] { return !manager_->IsSyncActive(); });
        EXPECT_EQ(manager_->OnDisconnection(mode, nullptr), S_OK);
        manager_.Reset();
    }

    // Runs this thread's tasks until `done` (at most 20 s).
    static bool PumpUntil(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            platform::Apartment::Current()->RunPending(20);
        }
        return true;
    }

    // The controls of the "Standard" bar with the add-in's tag.
    std::vector<outlook::ComPtr<outlook::CommandBarControl>> TaggedControls() {
        std::vector<outlook::ComPtr<outlook::CommandBarControl>> found;
        outlook::ComPtr<outlook::CommandBar> bar = CSyncManager::GetStandardCommandBar(app_.get());
        outlook::ComPtr<outlook::CommandBarControls> controls;
        std::int32_t count = 0;
        if (!bar || FAILED(bar->get_Controls(&controls)) || FAILED(controls->get_Count(&count)))
            return found;
        for (std::int32_t i = 1; i <= count; ++i) {
            outlook::ComPtr<outlook::CommandBarControl> control;
            std::string tag;
            if (SUCCEEDED(controls->Item(i, &control)) && SUCCEEDED(control->get_Tag(&tag)) &&
                tag == kButtonTag)
                found.push_back(control);
        }
        return found;
    }
    outlook::ComPtr<outlook::CommandBarControl> Button() {
        auto controls = TaggedControls();
        return controls.empty() ? outlook::ComPtr<outlook::CommandBarControl>() : controls.front();
    }
    static bool IsEnabled(outlook::CommandBarControl* control) {
        bool enabled = false;
        return SUCCEEDED(control->get_Enabled(&enabled)) && enabled;
    }
    static std::string Caption(outlook::CommandBarControl* control) {
        std::string caption;
        EXPECT_EQ(control->get_Caption(&caption), S_OK);
        return caption;
    }

    testing_support::TempHome home_;
    std::shared_ptr<platform::ManualClock> clock_ = std::make_shared<platform::ManualClock>();
    RecordingStatusBar status_;
    testing_support::RecordedMessageBoxes boxes_;
    outlook::ComPtr<host::ApplicationObject> app_;
    platform::ComPtr<CSyncManager> manager_;
};

}  // namespace shell_test
