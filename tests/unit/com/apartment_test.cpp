#include "platform/apartment.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <vector>

#include "apartment_thread.h"

namespace platform {
namespace {

TEST(CoInitialize, FirstCallMakesTheApartmentLaterOnesAreCounted) {
    EXPECT_EQ(Apartment::Current(), nullptr);
    ASSERT_EQ(CoInitialize(), S_OK);
    const std::shared_ptr<Apartment> apartment = Apartment::Current();
    ASSERT_NE(apartment, nullptr);
    EXPECT_EQ(CoInitialize(), S_FALSE);
    CoUninitialize();
    EXPECT_EQ(Apartment::Current(), apartment);
    EXPECT_FALSE(apartment->HasEnded());
    CoUninitialize();
    EXPECT_EQ(Apartment::Current(), nullptr);
    EXPECT_TRUE(apartment->HasEnded());
    CoUninitialize();  // one too many does nothing
    EXPECT_EQ(Apartment::Current(), nullptr);
}

TEST(Apartment, CallsAndPostsRunInOrderOnTheApartmentThreadAndExceptionsBecomeStatuses) {
    ApartmentThread owner;
    std::vector<int> order;
    Event block(true, false);
    ASSERT_TRUE(owner.apartment()->Post([&] { (void)block.Wait(kLongEnoughMs); }));
    ASSERT_TRUE(owner.apartment()->Post([&] { order.push_back(1); }));
    ASSERT_TRUE(owner.apartment()->Post([&] { order.push_back(2); }));
    block.Set();
    DWORD ran_on = 0;
    EXPECT_EQ(owner.apartment()->Call([&] {
        order.push_back(3);
        ran_on = GetCurrentThreadId();
        return S_FALSE;
    }),
              S_FALSE);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    EXPECT_NE(ran_on, 0u);
    EXPECT_NE(ran_on, GetCurrentThreadId());

    EXPECT_EQ(owner.apartment()->Call([]() -> HRESULT { throw std::runtime_error("boom"); }),
              RPC_E_SERVERFAULT);
    EXPECT_EQ(owner.apartment()->Call([]() -> HRESULT { throw std::bad_alloc(); }), E_OUTOFMEMORY);
    EXPECT_EQ(owner.apartment()->Call([] { return S_OK; }), S_OK);  // the loop survived
}

TEST(Apartment, TaskIsDestroyedAsSoonAsItHasRun) {
    // Its captures may belong to a module that is unloaded before the next task comes.
    struct Token {
        explicit Token(Event* event) : destroyed(event) {}
        ~Token() { destroyed->Set(); }
        Event* destroyed;
    };
    Event destroyed(true, false);  // outlives `owner`, whose end destroys a task left behind
    ApartmentThread owner;
    ASSERT_TRUE(owner.apartment()->Post([token = std::make_shared<Token>(&destroyed)] {}));
    EXPECT_EQ(destroyed.Wait(kLongEnoughMs), WAIT_OBJECT_0);
}

TEST(Apartment, EndedApartmentRefusesCallsAndRunsDispatchInline) {
    ApartmentThread owner;
    const std::shared_ptr<Apartment> apartment = owner.apartment();
    owner.Stop();
    EXPECT_TRUE(apartment->HasEnded());
    EXPECT_EQ(apartment->Call([] { return S_OK; }), RPC_E_DISCONNECTED);
    EXPECT_FALSE(apartment->Post([] {}));
    DWORD ran_on = 0;
    apartment->Dispatch([&] { ran_on = GetCurrentThreadId(); });
    EXPECT_EQ(ran_on, GetCurrentThreadId());
}

TEST(Apartment, EndFailsQueuedCallsAndRunsQueuedPosts) {
    // An apartment whose thread never runs its loop: queued work is settled when it ends.
    std::shared_ptr<Apartment> apartment;
    Event initialized(true, false);
    Event end(true, false);
    std::unique_ptr<Thread> thread;
    ASSERT_EQ(Thread::Start(
                  [&] {
                      (void)CoInitialize();
                      apartment = Apartment::Current();
                      initialized.Set();
                      (void)end.Wait(kLongEnoughMs);
                      CoUninitialize();
                      return 0u;
                  },
                  &thread),
              ERROR_SUCCESS);
    ASSERT_EQ(initialized.Wait(kLongEnoughMs), WAIT_OBJECT_0);
    std::atomic<bool> posted_ran{false};
    ASSERT_TRUE(apartment->Post([&] { posted_ran = true; }));
    std::atomic<HRESULT> call_result{S_OK};
    std::unique_ptr<Thread> caller;
    ASSERT_EQ(Thread::Start(
                  [&] {
                      call_result = apartment->Call([] { return S_OK; });
                      return 0u;
                  },
                  &caller),
              ERROR_SUCCESS);
    EXPECT_EQ(caller->Wait(50), WAIT_TIMEOUT);  // blocked: nobody runs the loop
    end.Set();
    ASSERT_EQ(caller->Wait(kLongEnoughMs), WAIT_OBJECT_0);
    EXPECT_EQ(call_result.load(), RPC_E_DISCONNECTED);
    EXPECT_TRUE(posted_ran);
    EXPECT_EQ(thread->Wait(kLongEnoughMs), WAIT_OBJECT_0);
}

TEST(Apartment, OwnThreadCallsInlineAndRunsItsLoopOrPendingTasksOnlyThere) {
    ScopedCoInitialize com;
    const std::shared_ptr<Apartment> apartment = Apartment::Current();
    DWORD ran_on = 0;
    EXPECT_EQ(apartment->Call([&] {
        ran_on = GetCurrentThreadId();
        return S_OK;
    }),
              S_OK);
    EXPECT_EQ(ran_on, GetCurrentThreadId());
    ApartmentThread other;
    EXPECT_EQ(other.apartment()->Call([&] { return apartment->Run(); }), RPC_E_WRONG_THREAD);
    EXPECT_EQ(other.apartment()->Call([&] { return static_cast<HRESULT>(apartment->RunPending(0)); }), 0);
    ASSERT_TRUE(apartment->Post([&] { apartment->Quit(); }));
    EXPECT_EQ(apartment->Run(), S_OK);
    // Quit is used up: the next Run runs tasks again.
    ASSERT_TRUE(apartment->Post([&] { apartment->Quit(); }));
    EXPECT_EQ(apartment->Run(), S_OK);

    EXPECT_EQ(apartment->RunPending(10), 0u);
    int ran = 0;
    ASSERT_TRUE(apartment->Post([&] { ++ran; }));
    ASSERT_TRUE(apartment->Post([&] { ++ran; }));
    EXPECT_EQ(apartment->RunPending(0), 2u);
    EXPECT_EQ(ran, 2);
}

}  // namespace
}  // namespace platform
