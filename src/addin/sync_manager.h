// The add-in object Outlook loads: its life in Outlook (connection, the toolbar button, the options
// page, the status bar) and the scheduling of sync runs (a worker thread per run, a registered wait that
// brings the end of the run back to Outlook's thread, a one-minute timer).
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "addin/calendar_guards.h"
#include "addin/isync_manager.h"
#include "addin/outlook_application_wrapper.h"
#include "addin/sync_host.h"
#include "addin/sync_run_driver.h"
#include "contacts/contact_readonly_guards.h"
#include "outlook/application_events.h"
#include "outlook/command_bar.h"
#include "outlook/command_bar_button.h"
#include "outlook/command_bar_button_events.h"
#include "outlook/extensibility.h"
#include "platform/clock.h"
#include "platform/com_base.h"
#include "platform/event.h"
#include "platform/registered_wait.h"
#include "platform/thread.h"
#include "platform/timer_queue.h"
#include "platform/user_lock.h"
#include "readonly/readonly_guards.h"

// The toolbar button's Tag, which finds it again.
inline constexpr const char* kButtonTag = "MarrowfellTag";
// The lock file in the velsync home that one run of the user holds, whichever process runs it.
inline constexpr const char* kRunLockName = "sync.lock";
// The timer's period in the product: one minute.
inline constexpr DWORD kTimerPeriodMs = 60000;

// The timer's period: VELSYNC_TIMER_PERIOD_MS when set to a number from 10 to 60000, else one minute.
DWORD TimerPeriodFromEnvironment();

class CSyncManager : public platform::ComObject<outlook::IDTExtensibility2, ISyncManager>, public ISyncHost {
  public:
    // A new add-in object with one reference. Ownership: the caller owns it.
    static platform::IUnknown* CreateInstance();

    // The timer ticks every `timer_period_ms` by `clock`.
    CSyncManager(DWORD timer_period_ms, std::shared_ptr<platform::Clock> clock);

    [[nodiscard]] HRESULT QueryInterface(platform::Iid iid, void** object) override;

    // IDTExtensibility2
    [[nodiscard]] HRESULT OnConnection(outlook::IDispatch* application, outlook::ext_ConnectMode connect_mode,
                                       outlook::IDispatch* add_in_inst,
                                       std::vector<outlook::Variant>* custom) override;
    [[nodiscard]] HRESULT OnDisconnection(outlook::ext_DisconnectMode remove_mode,
                                          std::vector<outlook::Variant>* custom) override;
    [[nodiscard]] HRESULT OnAddInsUpdate(std::vector<outlook::Variant>* custom) override;
    [[nodiscard]] HRESULT OnStartupComplete(std::vector<outlook::Variant>* custom) override;
    [[nodiscard]] HRESULT OnBeginShutdown(std::vector<outlook::Variant>* custom) override;

    // ISyncManager
    [[nodiscard]] HRESULT BeginSync(std::int32_t sync_flag, std::int32_t sync_ui) override;
    [[nodiscard]] HRESULT EndSync() override;
    [[nodiscard]] HRESULT OnTimer() override;

    // Event handlers.
    void OnClickButton();
    void OnOptionsAddPages(outlook::PropertyPages* pages);

    // ISyncHost
    void OutputMessageToUser(unsigned message_id) override;
    void EnableUI(bool enable) override;
    std::unique_ptr<ISynchronizer> CreateSynchronizer(SyncKind kind, const std::string& url,
                                                      const std::string& user,
                                                      const std::string& password) override;
    std::string GetStoreId() override;
    void RegisterReadOnlyFolder(const std::string& folder_key, bool flag) override;
    int ShowFirstRunDialog() override;
    void InitializeApartment() override;
    void UninitializeApartment() override;
    bool SignalSyncFinished() override;

    // The toolbar named exactly "Standard" of the active explorer, or null.
    static outlook::ComPtr<outlook::CommandBar> GetStandardCommandBar(outlook::Application* application);

    SyncRunDriver& driver() { return m_driver; }
    // True while a run exists (from BeginSync to the end of its EndSync).
    bool IsSyncActive() const;
    // Threads holding their own Application (Outlook's, plus a running worker's).
    std::size_t ApplicationThreadCount() const { return m_application.ThreadCount(); }

  protected:
    ~CSyncManager() override;

  private:
    class EventSink;

    void CreateButton(outlook::CommandBar* bar);
    void StartTimer();
    static outlook::ComPtr<outlook::CommandBarControl> FindButton(outlook::CommandBar* bar);
    // The callbacks of the timer and of the wait: they reach the add-in only through the table.
    static void TimerRoutine(DWORD cookie, bool fired);
    static void WaitOrTimerCallbackFunc(DWORD cookie, bool fired);

    const DWORD m_timerPeriodMs;
    std::shared_ptr<platform::Clock> m_clock;

    COutlookApplicationWrapper m_application;
    std::shared_ptr<EventSink> m_sink;
    outlook::EventCookie m_applicationCookie = 0;
    outlook::ComPtr<outlook::CommandBarButton> m_button;
    outlook::EventCookie m_buttonCookie = 0;
    CReadonlyGuards m_guards;
    CContactReadonlyGuards m_contactGuards{&m_guards};
    CCalendarGuards m_calendarGuards{&m_guards};

    mutable std::mutex m_lock;  // BeginSync and EndSync
    std::shared_ptr<platform::Event> m_event;
    std::unique_ptr<platform::UserLock> m_runLock;
    std::unique_ptr<platform::Thread> m_thread;
    DWORD m_workerThreadId = 0;
    std::unique_ptr<platform::RegisteredWait> m_wait;
    DWORD m_runCookie = 0;

    std::unique_ptr<platform::TimerQueue> m_timerQueue;
    platform::TimerId m_timer = 0;
    // Set by OnDisconnection (Outlook's thread, as OnTimer): a tick that arrives later starts nothing.
    bool m_disconnected = false;
    DWORD m_timerCookie = 0;

    SyncRunDriver m_driver{this};
};
