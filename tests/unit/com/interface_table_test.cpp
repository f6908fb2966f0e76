#include "platform/interface_table.h"

#include <gtest/gtest.h>

#include "apartment_thread.h"
#include "test_interfaces.h"

namespace platform {
namespace {

// The table of these tests; the proxy for ICounter is registered as a module registers its own.
class InterfaceTableTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(table_.RegisterProxy(ICounter::kIid, &CounterProxy::Create), S_OK); }

    // Makes a Counter in `owner`'s apartment and registers it there.
    DWORD RegisterCounterIn(ApartmentThread& owner) {
        DWORD cookie = 0;
        EXPECT_EQ(owner.apartment()->Call([&] {
            ComPtr<ICounter> counter = MakeComObject<Counter>(&log_);
            return table_.RegisterInterfaceInGlobal(counter.get(), ICounter::kIid, &cookie);
        }),
                  S_OK);
        EXPECT_NE(cookie, 0u);
        return cookie;
    }
    // The owner's thread id, as its apartment sees it.
    static DWORD ThreadOf(ApartmentThread& owner) {
        DWORD id = 0;
        EXPECT_EQ(owner.apartment()->Call([&] {
            id = GetCurrentThreadId();
            return S_OK;
        }),
                  S_OK);
        return id;
    }

    InterfaceTable table_;
    CounterLog log_;
};

TEST_F(InterfaceTableTest, OwningApartmentGetsTheObjectItselfAndCookiesAreNotReused) {
    ScopedCoInitialize com;
    ComPtr<ICounter> counter = MakeComObject<Counter>(&log_);
    DWORD cookie = 0;
    ASSERT_EQ(table_.RegisterInterfaceInGlobal(counter.get(), ICounter::kIid, &cookie), S_OK);
    ComPtr<ICounter> again;
    ASSERT_EQ(table_.GetInterfaceFromGlobal(cookie, ICounter::kIid, again.ReleaseAndGetVoidAddress()), S_OK);
    EXPECT_EQ(again.get(), counter.get());
    EXPECT_EQ(table_.RevokeInterfaceFromGlobal(cookie), S_OK);
    DWORD second = 0;
    ASSERT_EQ(table_.RegisterInterfaceInGlobal(counter.get(), ICounter::kIid, &second), S_OK);
    EXPECT_NE(second, cookie);
    EXPECT_EQ(table_.RevokeInterfaceFromGlobal(second), S_OK);
}

TEST_F(InterfaceTableTest, OtherApartmentGetsAProxyThatCallsOnTheOwnerThread) {
    ApartmentThread owner;
    const DWORD cookie = RegisterCounterIn(owner);
    ScopedCoInitialize com;
    ComPtr<ICounter> proxy;
    ASSERT_EQ(table_.GetInterfaceFromGlobal(cookie, ICounter::kIid, proxy.ReleaseAndGetVoidAddress()), S_OK);
    DWORD ran_on = 0;
    ASSERT_EQ(proxy->Increment(&ran_on), S_OK);
    EXPECT_EQ(ran_on, ThreadOf(owner));
    EXPECT_EQ(log_.increments.load(), 1);
    EXPECT_EQ(table_.RevokeInterfaceFromGlobal(cookie), S_OK);
    // The proxy still holds the object: revoking only drops the table's reference.
    EXPECT_FALSE(log_.destroyed);
    proxy.Reset();
    ASSERT_EQ(owner.apartment()->Call([] { return S_OK; }), S_OK);  // the queued release has run
    EXPECT_TRUE(log_.destroyed);
    EXPECT_EQ(log_.destroyed_on.load(), ThreadOf(owner));
}

TEST_F(InterfaceTableTest, CallThroughTheProxyWaitsWhileTheOwnerIsBusy) {
    ApartmentThread owner;
    const DWORD cookie = RegisterCounterIn(owner);
    Event busy(true, false);
    Event release(true, false);
    ASSERT_TRUE(owner.apartment()->Post([&] {
        busy.Set();
        (void)release.Wait(kLongEnoughMs);  // a message box on the user-interface thread
    }));
    ASSERT_EQ(busy.Wait(kLongEnoughMs), WAIT_OBJECT_0);
    std::atomic<HRESULT> result{E_FAIL};
    std::unique_ptr<Thread> timer_thread;
    ASSERT_EQ(Thread::Start(
                  [&] {
                      ScopedCoInitialize com;
                      ComPtr<ICounter> proxy;
                      HRESULT hr = table_.GetInterfaceFromGlobal(cookie, ICounter::kIid,
                                                                 proxy.ReleaseAndGetVoidAddress());
                      DWORD ran_on = 0;
                      if (SUCCEEDED(hr))
                          hr = proxy->Increment(&ran_on);
                      result = hr;
                      return 0u;
                  },
                  &timer_thread),
              ERROR_SUCCESS);
    EXPECT_EQ(timer_thread->Wait(50), WAIT_TIMEOUT);
    EXPECT_EQ(log_.increments.load(), 0);
    release.Set();
    ASSERT_EQ(timer_thread->Wait(kLongEnoughMs), WAIT_OBJECT_0);
    EXPECT_EQ(result.load(), S_OK);
    EXPECT_EQ(log_.increments.load(), 1);
    EXPECT_EQ(table_.RevokeInterfaceFromGlobal(cookie), S_OK);
}

TEST_F(InterfaceTableTest, RevokeReleasesInTheOwningApartment) {
    ApartmentThread owner;
    const DWORD cookie = RegisterCounterIn(owner);
    EXPECT_FALSE(log_.destroyed);
    ASSERT_EQ(table_.RevokeInterfaceFromGlobal(cookie), S_OK);
    ASSERT_EQ(owner.apartment()->Call([] { return S_OK; }), S_OK);
    EXPECT_TRUE(log_.destroyed);
    EXPECT_EQ(log_.destroyed_on.load(), ThreadOf(owner));
    EXPECT_EQ(table_.RevokeInterfaceFromGlobal(cookie), E_INVALIDARG);
    ScopedCoInitialize com;
    void* out = &log_;
    EXPECT_EQ(table_.GetInterfaceFromGlobal(cookie, ICounter::kIid, &out), E_INVALIDARG);
    EXPECT_EQ(out, nullptr);
}

TEST_F(InterfaceTableTest, EachInterfaceNeedsItsProxyKeyedByGuidNotByText) {
    EXPECT_EQ(table_.RegisterProxy(INamed::kIid, nullptr), E_INVALIDARG);
    ApartmentThread owner;
    const DWORD cookie = RegisterCounterIn(owner);
    ScopedCoInitialize com;
    void* out = &log_;
    EXPECT_EQ(table_.GetInterfaceFromGlobal(cookie, INamed::kIid, &out), REGDB_E_IIDNOTREG);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(table_.GetInterfaceFromGlobal(cookie, IAgileObject::kIid, &out), REGDB_E_IIDNOTREG);
    table_.RevokeProxy("{1111111a-2222-3333-4444-55555555555b}");
    EXPECT_EQ(table_.GetInterfaceFromGlobal(cookie, ICounter::kIid, &out), REGDB_E_IIDNOTREG);
    ASSERT_EQ(table_.RegisterProxy("{1111111a-2222-3333-4444-55555555555b}", &CounterProxy::Create), S_OK);
    ASSERT_EQ(table_.GetInterfaceFromGlobal(cookie, ICounter::kIid, &out), S_OK);
    static_cast<ICounter*>(out)->Release();
    EXPECT_EQ(table_.RevokeInterfaceFromGlobal(cookie), S_OK);
}

TEST_F(InterfaceTableTest, AgileObjectsCrossApartmentsAsThemselves) {
    ApartmentThread owner;
    DWORD cookie = 0;
    ICounter* registered = nullptr;
    ASSERT_EQ(owner.apartment()->Call([&] {
        ComPtr<ICounter> counter = MakeComObject<AgileCounter>();
        registered = counter.get();
        return table_.RegisterInterfaceInGlobal(counter.get(), ICounter::kIid, &cookie);
    }),
              S_OK);
    table_.RevokeProxy(ICounter::kIid);  // no proxy needed
    ScopedCoInitialize com;
    ComPtr<ICounter> direct;
    ASSERT_EQ(table_.GetInterfaceFromGlobal(cookie, ICounter::kIid, direct.ReleaseAndGetVoidAddress()), S_OK);
    EXPECT_EQ(direct.get(), registered);
    DWORD ran_on = 0;
    ASSERT_EQ(direct->Increment(&ran_on), S_OK);
    EXPECT_EQ(ran_on, GetCurrentThreadId());
    EXPECT_EQ(table_.RevokeInterfaceFromGlobal(cookie), S_OK);
}

TEST_F(InterfaceTableTest, EndedOwnerDisconnectsLaterGets) {
    ApartmentThread owner;
    const DWORD cookie = RegisterCounterIn(owner);
    ScopedCoInitialize com;
    ComPtr<ICounter> proxy;
    ASSERT_EQ(table_.GetInterfaceFromGlobal(cookie, ICounter::kIid, proxy.ReleaseAndGetVoidAddress()), S_OK);
    owner.Stop();
    DWORD ran_on = 0;
    EXPECT_EQ(proxy->Increment(&ran_on), RPC_E_DISCONNECTED);
    void* out = nullptr;
    EXPECT_EQ(table_.GetInterfaceFromGlobal(cookie, ICounter::kIid, &out), RPC_E_DISCONNECTED);
    proxy.Reset();
    EXPECT_EQ(table_.RevokeInterfaceFromGlobal(cookie), S_OK);
    EXPECT_TRUE(log_.destroyed);
}

TEST_F(InterfaceTableTest, OwnerThreadEndingWithoutCoUninitializeDisconnects) {
    DWORD cookie = 0;
    std::unique_ptr<Thread> owner;
    ASSERT_EQ(Thread::Start(
                  [&] {
                      (void)CoInitialize();
                      ComPtr<ICounter> counter = MakeComObject<Counter>(&log_);
                      (void)table_.RegisterInterfaceInGlobal(counter.get(), ICounter::kIid, &cookie);
                      return 0u;  // no CoUninitialize
                  },
                  &owner),
              ERROR_SUCCESS);
    ASSERT_EQ(owner->Wait(kLongEnoughMs), WAIT_OBJECT_0);
    ASSERT_NE(cookie, 0u);
    std::atomic<HRESULT> got{S_OK};
    std::unique_ptr<Thread> caller;
    ASSERT_EQ(Thread::Start(
                  [&] {
                      ScopedCoInitialize com;
                      void* out = nullptr;
                      got = table_.GetInterfaceFromGlobal(cookie, ICounter::kIid, &out);
                      return 0u;
                  },
                  &caller),
              ERROR_SUCCESS);
    ASSERT_EQ(caller->Wait(kLongEnoughMs), WAIT_OBJECT_0);
    EXPECT_EQ(got.load(), RPC_E_DISCONNECTED);
    EXPECT_EQ(table_.RevokeInterfaceFromGlobal(cookie), S_OK);
    EXPECT_TRUE(log_.destroyed);
}

TEST_F(InterfaceTableTest, RefusesBadArguments) {
    CounterLog log;
    ComPtr<ICounter> counter = MakeComObject<Counter>(&log);
    DWORD cookie = 99;
    void* out = nullptr;
    EXPECT_EQ(table_.RegisterInterfaceInGlobal(counter.get(), ICounter::kIid, &cookie), CO_E_NOTINITIALIZED);
    EXPECT_EQ(table_.GetInterfaceFromGlobal(1, ICounter::kIid, &out), CO_E_NOTINITIALIZED);
    ScopedCoInitialize com;
    EXPECT_EQ(table_.RegisterInterfaceInGlobal(nullptr, ICounter::kIid, &cookie), E_INVALIDARG);
    EXPECT_EQ(table_.RegisterInterfaceInGlobal(counter.get(), ICounter::kIid, nullptr), E_POINTER);
    EXPECT_EQ(table_.RegisterInterfaceInGlobal(counter.get(), IAgileObject::kIid, &cookie), E_NOINTERFACE);
    EXPECT_EQ(cookie, 99u);
    EXPECT_EQ(table_.GetInterfaceFromGlobal(1, ICounter::kIid, nullptr), E_POINTER);
    EXPECT_EQ(table_.RevokeInterfaceFromGlobal(0), E_INVALIDARG);
}

}  // namespace
}  // namespace platform
