#include "addin/sync_manager_proxy.h"

#include <gtest/gtest.h>

#include "platform/interface_table.h"
#include "unit/com/apartment_thread.h"

namespace {

using platform::ComPtr;

// Stands in for the add-in object: records the calls and the thread they ran on.
class RecordingSyncManager : public platform::ComObject<ISyncManager> {
  public:
    HRESULT BeginSync(std::int32_t sync_flag, std::int32_t sync_ui) override {
        last_flag = sync_flag;
        last_ui = sync_ui;
        calls_on = platform::GetCurrentThreadId();
        return begin_result;
    }
    HRESULT EndSync() override {
        calls_on = platform::GetCurrentThreadId();
        ++end_calls;
        return S_OK;
    }
    HRESULT OnTimer() override {
        calls_on = platform::GetCurrentThreadId();
        ++ticks;
        return S_OK;
    }

    HRESULT begin_result = S_OK;
    std::int32_t last_flag = 0;
    std::int32_t last_ui = 0;
    int end_calls = 0;
    int ticks = 0;
    DWORD calls_on = 0;
};

class SyncManagerProxyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(RegisterModuleProxies(), S_OK);
        ASSERT_EQ(ui_.apartment()->Call([&] {
            ui_thread_ = platform::GetCurrentThreadId();
            manager_ = platform::MakeComObject<RecordingSyncManager>();
            return platform::InterfaceTable::Global().RegisterInterfaceInGlobal(manager_.get(),
                                                                                ISyncManager::kIid, &cookie_);
        }),
                  S_OK);
    }
    void TearDown() override {
        EXPECT_EQ(platform::InterfaceTable::Global().RevokeInterfaceFromGlobal(cookie_), S_OK);
        // On the add-in's thread, or here once it has ended; Stop runs what is still queued.
        ui_.apartment()->Dispatch([&] { manager_.Reset(); });
        ui_.Stop();
        RevokeModuleProxies();
    }
    // What a timer or wait callback does: its own apartment, the proxy from the table.
    HRESULT TakeProxy(ComPtr<ISyncManager>* proxy) {
        return platform::InterfaceTable::Global().GetInterfaceFromGlobal(cookie_, ISyncManager::kIid,
                                                                         proxy->ReleaseAndGetVoidAddress());
    }

    platform::ApartmentThread ui_;
    DWORD ui_thread_ = 0;
    ComPtr<RecordingSyncManager> manager_;  // used on the user-interface thread only
    DWORD cookie_ = 0;
};

TEST_F(SyncManagerProxyTest, CallsRunOnTheAddinThreadWithTheirArgumentsAndResults) {
    platform::ScopedCoInitialize com;
    ComPtr<ISyncManager> proxy;
    ASSERT_EQ(TakeProxy(&proxy), S_OK);
    EXPECT_NE(static_cast<void*>(proxy.get()), static_cast<void*>(manager_.get()));

    EXPECT_EQ(proxy->OnTimer(), S_OK);
    EXPECT_EQ(proxy->EndSync(), S_OK);
    EXPECT_EQ(ui_.apartment()->Call(
                  [&] { return manager_->ticks == 1 && manager_->end_calls == 1 ? S_OK : E_FAIL; }),
              S_OK);
    EXPECT_EQ(ui_.apartment()->Call([&] {
        manager_->begin_result = S_FALSE;
        return S_OK;
    }),
              S_OK);
    EXPECT_EQ(proxy->BeginSync(0x2, 0), S_FALSE);
    EXPECT_EQ(ui_.apartment()->Call([&] {
        return manager_->last_flag == 0x2 && manager_->last_ui == 0 && manager_->calls_on == ui_thread_
                   ? S_OK
                   : E_FAIL;
    }),
              S_OK);
}

TEST(SyncManagerProxy, CreateRefusesMissingArguments) {
    platform::ScopedCoInitialize com;
    auto manager = platform::MakeComObject<RecordingSyncManager>();
    void* out = &out;
    EXPECT_EQ(CSyncManagerProxy::Create(nullptr, platform::Apartment::Current(), &out), E_INVALIDARG);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(CSyncManagerProxy::Create(static_cast<ISyncManager*>(manager.get()), nullptr, &out),
              E_INVALIDARG);
    EXPECT_EQ(CSyncManagerProxy::Create(static_cast<ISyncManager*>(manager.get()),
                                        platform::Apartment::Current(), nullptr),
              E_POINTER);
}

}  // namespace
