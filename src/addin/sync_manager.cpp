#include "addin/sync_manager.h"

#include <cstdlib>
#include <new>

#include "addin/module_lock.h"
#include "calendar/cal_dav_synchronizer.h"
#include "contacts/card_dav_synchronizer.h"
#include "outlook/command_bar_controls.h"
#include "outlook/command_bars.h"
#include "outlook/explorer.h"
#include "outlook/namespace.h"
#include "outlook/property_pages.h"
#include "platform/apartment.h"
#include "platform/interface_table.h"
#include "platform/message_box.h"
#include "platform/status_bar.h"
#include "settings/log.h"
#include "settings/messages.h"
#include "settings/settings_manager.h"
#include "ui/first_run_dlg.h"

namespace {

// The worker has signalled the event as its last step; its end is a matter of instructions.
constexpr DWORD kThreadEndWaitMs = 60000;

// The button's icon (bitmap resource 201): a 16x16 24-bit bitmap file, a blue disc on the
// transparent grey.
std::vector<std::uint8_t> ButtonBitmap() {
    constexpr int kSide = 16;
    constexpr std::uint32_t kRowBytes = kSide * 3;
    constexpr std::uint32_t kPixelBytes = kRowBytes * kSide;
    constexpr std::uint32_t kHeaderBytes = 14 + 40;
    std::vector<std::uint8_t> bytes;
    auto put16 = [&bytes](std::uint32_t v) {
        bytes.push_back(static_cast<std::uint8_t>(v));
        bytes.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    auto put32 = [&put16](std::uint32_t v) {
        put16(v & 0xFFFF);
        put16(v >> 16);
    };
    bytes.push_back('B');
    bytes.push_back('M');
    put32(kHeaderBytes + kPixelBytes);
    put32(0);
    put32(kHeaderBytes);
    put32(40);
    put32(kSide);
    put32(kSide);
    put16(1);
    put16(24);
    for (int i = 0; i < 6; ++i)
        put32(0);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            const int dx = 2 * x - (kSide - 1);
            const int dy = 2 * y - (kSide - 1);
            const bool inside = dx * dx + dy * dy <= (kSide - 2) * (kSide - 2);
            // Blue, green, red.
            bytes.push_back(0xC0);
            bytes.push_back(inside ? 0x60 : 0xC0);
            bytes.push_back(inside ? 0x20 : 0xC0);
        }
    }
    return bytes;
}

}  // namespace

DWORD TimerPeriodFromEnvironment() {
    const char* text = std::getenv("VELSYNC_TIMER_PERIOD_MS");
    if (text == nullptr)
        return kTimerPeriodMs;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 10);
    if (end == text || *end != '\0' || value < 10 || value > kTimerPeriodMs)
        return kTimerPeriodMs;
    return static_cast<DWORD>(value);
}

// The add-in's sink for the button's and the application's events. It reaches the add-in by a plain
// pointer: the add-in disconnects the sink before it goes.
class CSyncManager::EventSink : public outlook::ApplicationEvents, public outlook::CommandBarButtonEvents {
  public:
    explicit EventSink(CSyncManager* owner) : m_owner(owner) {}
    void OptionsPagesAdd(outlook::PropertyPages* pages) override { m_owner->OnOptionsAddPages(pages); }
    void Click(outlook::CommandBarButton* /*button*/, bool* /*cancel_default*/) override {
        m_owner->OnClickButton();
    }

  private:
    CSyncManager* m_owner;
};

platform::IUnknown* CSyncManager::CreateInstance() {
    auto* manager = new CSyncManager(TimerPeriodFromEnvironment(), platform::SystemClock());
    return static_cast<outlook::IDTExtensibility2*>(manager);
}

CSyncManager::CSyncManager(DWORD timer_period_ms, std::shared_ptr<platform::Clock> clock)
    : m_timerPeriodMs(timer_period_ms), m_clock(std::move(clock)) {
    ModuleLocks().Lock();
}

CSyncManager::~CSyncManager() {
    m_thread.reset();
    m_wait.reset();
    m_timerQueue.reset();
    if (m_timerCookie != 0)
        (void)platform::InterfaceTable::Global().RevokeInterfaceFromGlobal(m_timerCookie);
    m_button = nullptr;
    m_application.Release();
    ModuleLocks().Unlock();
}

HRESULT CSyncManager::QueryInterface(platform::Iid iid, void** object) {
    if (object != nullptr && platform::IsEqualGuid(iid, outlook::IDispatch::kIid)) {
        *object = static_cast<outlook::IDispatch*>(static_cast<outlook::IDTExtensibility2*>(this));
        AddRef();
        return S_OK;
    }
    return ComObject::QueryInterface(iid, object);
}

HRESULT CSyncManager::OnConnection(outlook::IDispatch* application, outlook::ext_ConnectMode /*connect_mode*/,
                                   outlook::IDispatch* /*add_in_inst*/,
                                   std::vector<outlook::Variant>* /*custom*/) {
    InitLog();
    outlook::ComPtr<outlook::Application> app;
    if (application != nullptr)
        (void)outlook::ComPtr<outlook::IDispatch>(application).As(&app);
    const HRESULT hr = m_application.Attach(app.get());
    if (FAILED(hr))
        Log("CSyncManager::OnConnection: Failed to keep Application. HRESULT: %d.", hr);
    if (!app)
        return S_OK;
    m_sink = std::make_shared<EventSink>(this);
    if (FAILED(app->Advise(m_sink, &m_applicationCookie))) {
        Log("OnConnection: Failed to advise Application event.");
        m_applicationCookie = 0;
    }
    if (outlook::ComPtr<outlook::CommandBar> bar = GetStandardCommandBar(app.get()))
        CreateButton(bar.get());
    m_guards.SetUp(app.get());
    StartTimer();
    return S_OK;
}

outlook::ComPtr<outlook::CommandBarControl> CSyncManager::FindButton(outlook::CommandBar* bar) {
    outlook::ComPtr<outlook::CommandBarControl> control;
    if (FAILED(bar->FindControl(outlook::msoControlButton, 1, kButtonTag, &control)))
        return {};
    return control;
}

void CSyncManager::CreateButton(outlook::CommandBar* bar) {
    outlook::ComPtr<outlook::CommandBarControl> control = FindButton(bar);
    if (control) {
        (void)control->put_Enabled(true);
    } else {
        outlook::ComPtr<outlook::CommandBarControls> controls;
        HRESULT hr = bar->get_Controls(&controls);
        if (SUCCEEDED(hr))
            hr = controls->Add(outlook::msoControlButton, 1, true, &control);
        outlook::ComPtr<outlook::CommandBarButton> button;
        if (SUCCEEDED(hr))
            hr = control.As(&button);
        if (FAILED(hr)) {
            Log("OnConnection: Failed to add CommandBarButton object. HRESULT: %d.", hr);
            return;
        }
        (void)button->put_Style(outlook::msoButtonIconAndCaption);
        (void)button->put_Visible(true);
        (void)button->put_Caption(LoadMessage(IDS_BUTTON_CAPTION));
        (void)button->put_Enabled(true);
        (void)button->put_TooltipText(LoadMessage(IDS_BUTTON_TOOLTIP));
        (void)button->put_Tag(kButtonTag);
        (void)button->put_Picture(ButtonBitmap());
    }
    if (m_button)
        return;
    if (FAILED(control.As(&m_button)))
        return;
    if (FAILED(m_button->Advise(m_sink, &m_buttonCookie))) {
        Log("OnConnection: Failed to advise button event.");
        m_buttonCookie = 0;
    }
}

void CSyncManager::StartTimer() {
    if (m_timerQueue)
        return;
    const LONG error = platform::TimerQueue::Create(m_clock, &m_timerQueue);
    if (error != ERROR_SUCCESS) {
        Log("CSyncManager - CreateTimerQueue failed (%d)", static_cast<int>(error));
        return;
    }
    Log("Use GIT pointer in CSyncManager::CSyncManager()");
    const HRESULT hr = platform::InterfaceTable::Global().RegisterInterfaceInGlobal(
        static_cast<ISyncManager*>(this), ISyncManager::kIid, &m_timerCookie);
    if (FAILED(hr)) {
        // Without the table the ticks cannot reach the add-in: only button runs in this session.
        Log("CSyncManager::StartTimer: Failed to register ISyncManager. HRESULT: %d.", hr);
        m_timerQueue.reset();
        return;
    }
    Log("Create CreateTimerQueueTimer");
    const DWORD cookie = m_timerCookie;
    const LONG timer_error = m_timerQueue->CreateTimer([cookie](bool fired) { TimerRoutine(cookie, fired); },
                                                       0, m_timerPeriodMs, &m_timer, &ModuleLocks());
    if (timer_error != ERROR_SUCCESS)
        Log("CSyncManager - CreateTimerQueueTimer failed (%d)", static_cast<int>(timer_error));
}

HRESULT CSyncManager::OnDisconnection(outlook::ext_DisconnectMode remove_mode,
                                      std::vector<outlook::Variant>* /*custom*/) {
    Log("OnDisconnection");
    // No tick may reach an add-in that Outlook is letting go. A tick under way is waited for (its
    // OnTimer call runs here meanwhile and does nothing), so no timer thread is left inside the module.
    m_disconnected = true;
    if (m_timerQueue)
        m_timerQueue->Close(platform::Completion::Wait);
    // The table's entry holds the add-in: with the timer gone it goes too, so the add-in can end.
    if (m_timerCookie != 0) {
        (void)platform::InterfaceTable::Global().RevokeInterfaceFromGlobal(m_timerCookie);
        m_timerCookie = 0;
    }
    outlook::ComPtr<outlook::Application> app = m_application.Get();
    if (remove_mode == outlook::ext_dm_UserClosed && app) {
        outlook::ComPtr<outlook::CommandBarControl> control;
        if (outlook::ComPtr<outlook::CommandBar> bar = GetStandardCommandBar(app.get()))
            control = FindButton(bar.get());
        if (control) {
            if (m_button) {
                const HRESULT hr = m_button->Unadvise(m_buttonCookie);
                if (FAILED(hr))
                    Log("OnDisconnection: Failed to unadvise event. HRESULT: %d.", hr);
                m_button = nullptr;
            }
            const HRESULT hr = control->Delete();
            if (FAILED(hr))
                Log("OnDisconnection: Failed to delete CommandBarButton object. HRESULT: %d.", hr);
        } else {
            Log("OnDisconnection: Unable to find CommandBarButton object.");
        }
    }
    if (m_button) {
        const HRESULT hr = m_button->Unadvise(m_buttonCookie);
        if (FAILED(hr))
            Log("OnBeginShutdown: Failed to unadvise button event. HRESULT: %d.", hr);
        m_button = nullptr;
    }
    if (app) {
        if (m_applicationCookie != 0) {
            const HRESULT hr = app->Unadvise(m_applicationCookie);
            if (FAILED(hr))
                Log("OnDisconnection: Failed to unadvise application event. HRESULT: %d.", hr);
            m_applicationCookie = 0;
        }
        m_guards.Shutdown();
        app = nullptr;
        m_application.Release();
    }
    m_thread.reset();
    return S_OK;
}

HRESULT CSyncManager::OnAddInsUpdate(std::vector<outlook::Variant>* /*custom*/) {
    Log("OnAddInsUpdate");
    return S_OK;
}

HRESULT CSyncManager::OnStartupComplete(std::vector<outlook::Variant>* /*custom*/) {
    Log("OnStartupComplete");
    return S_OK;
}

HRESULT CSyncManager::OnBeginShutdown(std::vector<outlook::Variant>* /*custom*/) {
    Log("OnBeginShutdown");
    return S_OK;
}

void CSyncManager::OnClickButton() {
    Log("OnClickButton");
    CSettingsManager settings;
    settings.Create();
    Log("OnClickButton - Settings manager created");
    if (settings.GetUrl().empty()) {
        Log("OnClickButton - Before first run dialog");
        if (ShowFirstRunDialog() == platform::IDCANCEL) {
            Log("OnClickButton - First run dialog cancelled.");
            return;
        }
        Log("OnClickButton - First run dialog closed.");
    }
    Log("OnClickButton - Before output message to user.");
    OutputMessageToUser(IDS_BEGIN_SYNC);
    Log("OnClickButton - Begin Sync");
    if (BeginSync(static_cast<std::int32_t>(kSyncCalendars | kSyncContacts), 1) != S_OK) {
        Log("OnClickButton - Failed begin Sync");
        OutputMessageToUser(IDS_SYNC_BEGIN_FAILED);
        return;
    }
    Log("OnClickButton - EnableUI");
    EnableUI(false);
}

void CSyncManager::OnOptionsAddPages(outlook::PropertyPages* pages) {
    Log("OnOptionsAddPages");
    if (pages != nullptr) {
        const HRESULT hr = pages->Add("ZelOutlookAddin.ZelPropPage", LoadMessage(IDS_BUTTON_CAPTION));
        if (FAILED(hr))
            Log("CSyncManager::OnOptionsAddPages: Failed to add property page. HRESULT: %d.", hr);
    }
    Log("/OnOptionsAddPages");
}

void CSyncManager::EnableUI(bool enable) {
    Log("EnableUI");
    outlook::ComPtr<outlook::Application> app = m_application.Get();
    if (app) {
        Log("EnableUI: spApp != NULL");
        if (outlook::ComPtr<outlook::CommandBar> bar = GetStandardCommandBar(app.get())) {
            Log("EnableUI: spCmdBar != NULL");
            if (outlook::ComPtr<outlook::CommandBarControl> control = FindButton(bar.get())) {
                Log("EnableUI: zelCmdButtonCtrl != NULL");
                (void)control->put_Enabled(enable);
                (void)control->put_Caption(LoadMessage(enable ? IDS_BUTTON_CAPTION : IDS_SYNC_IN_PROGRESS));
            }
        }
    }
    Log("/EnableUI");
}

void CSyncManager::OutputMessageToUser(unsigned message_id) {
    Log("OutputMessageToUser");
    const std::string text = LoadMessage(message_id);
    if (platform::SetStatusBarText(text))
        Log("Status bar != NULL");
    else
        Log("Status bar == NULL");
    Log("/OutputMessageToUser");
}

outlook::ComPtr<outlook::CommandBar> CSyncManager::GetStandardCommandBar(outlook::Application* application) {
    Log("GetStandardCommandBar");
    outlook::ComPtr<outlook::Explorer> explorer;
    HRESULT hr = application->ActiveExplorer(&explorer);
    if (FAILED(hr)) {
        Log("GetStandardCommandBar: Failed to get ActiveExplorer object. HRESULT: %d.", hr);
        return {};
    }
    outlook::ComPtr<outlook::CommandBars> bars;
    hr = explorer->get_CommandBars(&bars);
    if (FAILED(hr)) {
        Log("GetStandardCommandBar: Failed to get CommandBars object. HRESULT: %d.", hr);
        return {};
    }
    std::int32_t count = 0;
    (void)bars->get_Count(&count);
    outlook::ComPtr<outlook::CommandBar> result;
    for (std::int32_t index = 1; index <= count && !result; ++index) {
        outlook::ComPtr<outlook::CommandBar> bar;
        hr = bars->Item(index, &bar);
        if (FAILED(hr)) {
            Log("GetStandardCommandBar: Failed to get CommandBar object. HRESULT: %d.", hr);
            continue;
        }
        std::string name;
        if (SUCCEEDED(bar->get_Name(&name)) && name == "Standard")
            result = bar;
    }
    Log("/GetStandardCommandBar");
    return result;
}

bool CSyncManager::IsSyncActive() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_event != nullptr;
}

HRESULT CSyncManager::BeginSync(std::int32_t sync_flag, std::int32_t sync_ui) {
    Log("BeginSync");
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_event)
        return S_FALSE;
    const LONG lock_error = platform::UserLock::TryAcquire(kRunLockName, &m_runLock);
    if (lock_error != ERROR_SUCCESS) {
        // One run at a time per user, also across processes.
        Log("CSyncManager::BeginSync: Another synchronization of this user is running (process %ld). Result: "
            "%d",
            platform::UserLock::HolderPid(kRunLockName), static_cast<int>(lock_error));
        return S_FALSE;
    }
    Log("BeginSync S_OK");
    m_driver.SetRequest(static_cast<std::uint32_t>(sync_flag), sync_ui != 0);
    Log("Create Event");
    const LONG event_error = platform::Event::Create(false, false, &m_event);
    Log("Create Event check");
    if (event_error != ERROR_SUCCESS) {
        Log("CSyncManager::BeginSync: Failed to create event. GetLastError: %d",
            static_cast<int>(event_error));
        m_runLock.reset();
        return S_FALSE;
    }
    if (outlook::ComPtr<outlook::Application> app = m_application.Get()) {
        outlook::ComPtr<outlook::NameSpace> session;
        if (SUCCEEDED(app->get_Session(&session)) && session)
            (void)session->Logon("", "", false, false);
    }
    Log("Use GIT pointer");
    HRESULT hr = platform::InterfaceTable::Global().RegisterInterfaceInGlobal(
        static_cast<ISyncManager*>(this), ISyncManager::kIid, &m_runCookie);
    if (FAILED(hr)) {
        // Without the entry the end of the run could never come back: no run.
        Log("CSyncManager::BeginSync: Failed to register ISyncManager. HRESULT: %d.", hr);
        m_event.reset();
        m_runLock.reset();
        return S_FALSE;
    }
    Log("Create Thread");
    // The worker keeps the add-in alive until it is done with it.
    platform::ComPtr<ISyncManager> keep(static_cast<ISyncManager*>(this));
    const LONG thread_error = platform::Thread::Start(
        [this, keep]() -> unsigned { return SyncProc(&m_driver, this); }, &m_thread, &ModuleLocks());
    if (thread_error != ERROR_SUCCESS) {
        Log("CSyncManager::BeginSync: Failed to create thread. GetLastError: %d",
            static_cast<int>(thread_error));
        // The event would block every later run.
        m_event.reset();
        m_runLock.reset();
        (void)platform::InterfaceTable::Global().RevokeInterfaceFromGlobal(m_runCookie);
        m_runCookie = 0;
        return S_FALSE;
    }
    Log("RegisterWaitForSingleObject");
    const DWORD cookie = m_runCookie;
    const LONG wait_error = platform::RegisteredWait::Register(
        m_event, [cookie](bool fired) { WaitOrTimerCallbackFunc(cookie, fired); }, platform::INFINITE,
        platform::WT_EXECUTEDEFAULT, &m_wait, &ModuleLocks());
    if (wait_error != ERROR_SUCCESS)
        Log("CSyncManager::BeginSync: Failed to register wait. Result: %d", static_cast<int>(wait_error));
    Log("/BeginSync");
    return S_OK;
}

HRESULT CSyncManager::EndSync() {
    Log("EndSync");
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_wait) {
        Log("EndSync - UnregisterWait");
        (void)m_wait->Unregister(platform::Completion::DontWait);
        m_wait.reset();
    }
    if (m_thread) {
        Log("EndSync: m_hThread != NULL");
        if (m_thread->Wait(kThreadEndWaitMs) != platform::WAIT_OBJECT_0)
            Log("CSyncManager::EndSync: The worker thread did not end.");
        Log("CSyncManager::EndSync: Cleanup Thread.");
        m_thread.reset();
        m_driver.ReportResult();
    }
    if (m_workerThreadId != 0) {
        m_application.ForgetThread(m_workerThreadId);
        m_workerThreadId = 0;
    }
    if (m_runCookie != 0) {
        (void)platform::InterfaceTable::Global().RevokeInterfaceFromGlobal(m_runCookie);
        m_runCookie = 0;
    }
    if (outlook::ComPtr<outlook::Application> app = m_application.Get()) {
        outlook::ComPtr<outlook::NameSpace> session;
        if (SUCCEEDED(app->get_Session(&session)) && session)
            (void)session->Logoff();
    }
    m_driver.ResetCounters(m_driver.GetRequestedKinds(), m_driver.GetShowResult());
    m_driver.SetRequest(0, m_driver.GetShowResult());
    Log("EndSync Event check");
    if (m_event) {
        Log("EndSync - CloseHandle");
        m_event.reset();
    }
    m_runLock.reset();
    Log("/EndSync");
    return S_OK;
}

HRESULT CSyncManager::OnTimer() {
    if (m_disconnected)
        return S_OK;
    const std::uint32_t mask = m_driver.Proceed();
    if (mask == 0)
        return S_OK;
    EnableUI(false);
    if (BeginSync(static_cast<std::int32_t>(mask), 0) != S_OK)
        EnableUI(true);
    return S_OK;
}

void CSyncManager::TimerRoutine(DWORD cookie, bool fired) {
    if (!fired)
        return;
    const platform::ApartmentScope apartment;
    Log("TimerRoutine - Get cookie");
    void* raw = nullptr;
    if (SUCCEEDED(
            platform::InterfaceTable::Global().GetInterfaceFromGlobal(cookie, ISyncManager::kIid, &raw))) {
        platform::ComPtr<ISyncManager> manager;
        manager.Attach(static_cast<ISyncManager*>(raw));
        Log("TimerRoutine - OnTimer");
        (void)manager->OnTimer();
        Log("TimerRoutine - Release - Detach");
    }
    Log("TimerRoutine - CoUninitialize");
}

void CSyncManager::WaitOrTimerCallbackFunc(DWORD cookie, bool /*fired*/) {
    Log("WaitOrTimerCallbackFunc - CoInitialize");
    const platform::ApartmentScope apartment;
    Log("WaitOrTimerCallbackFunc - Get cookie");
    void* raw = nullptr;
    if (SUCCEEDED(
            platform::InterfaceTable::Global().GetInterfaceFromGlobal(cookie, ISyncManager::kIid, &raw))) {
        platform::ComPtr<ISyncManager> manager;
        manager.Attach(static_cast<ISyncManager*>(raw));
        Log("WaitOrTimerCallbackFunc - End sync");
        (void)manager->EndSync();
        Log("WaitOrTimerCallbackFunc - Release - Detach");
    }
    Log("WaitOrTimerCallbackFunc - CoUninitialize");
}

std::unique_ptr<ISynchronizer> CSyncManager::CreateSynchronizer(SyncKind kind, const std::string& url,
                                                                const std::string& user,
                                                                const std::string& password) {
    outlook::ComPtr<outlook::Application> app = m_application.Get();
    if (kind == SyncKind::Contacts)
        return std::make_unique<CCardDavSynchronizer>(url, user, password, app, &m_contactGuards);
    return std::make_unique<CCalDavSynchronizer>(url, user, password, app, &m_calendarGuards);
}

std::string CSyncManager::GetStoreId() {
    outlook::ComPtr<outlook::Application> app = m_application.Get();
    outlook::ComPtr<outlook::NameSpace> session;
    outlook::ComPtr<outlook::MAPIFolder> folder;
    std::string store_id;
    if (!app || FAILED(app->get_Session(&session)) || !session ||
        FAILED(session->GetDefaultFolder(outlook::olFolderCalendar, &folder)) || !folder ||
        FAILED(folder->get_StoreID(&store_id))) {
        Log("CSyncManager::GetStoreId: The store cannot tell its StoreID.");
        return {};
    }
    return store_id;
}

void CSyncManager::RegisterReadOnlyFolder(const std::string& folder_key, bool /*flag*/) {
    m_guards.RefreshFolderGuards(folder_key);
}

int CSyncManager::ShowFirstRunDialog() {
    CFirstRunDlg dialog;
    return dialog.DoModal();
}

void CSyncManager::InitializeApartment() {
    (void)platform::CoInitialize();
    std::lock_guard<std::mutex> guard(m_lock);
    m_workerThreadId = platform::GetCurrentThreadId();
}

void CSyncManager::UninitializeApartment() {
    platform::CoUninitialize();
}

bool CSyncManager::SignalSyncFinished() {
    std::shared_ptr<platform::Event> event;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        event = m_event;
    }
    if (!event)
        return false;
    event->Set();
    return true;
}
