// Module code run by a timer, a registered wait or a thread keeps its module locked until the callback
// object itself is gone, so a host that unloads on DllCanUnloadNow never unmaps code still in use.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "firing_counter.h"
#include "platform/apartment.h"
#include "platform/registered_wait.h"
#include "platform/thread.h"
#include "platform/timer_queue.h"

namespace platform {
namespace {

// Destroyed with the callback object that captures it: tells whether the module was still locked then.
struct CallbackProbe {
    CallbackProbe(ModuleLockCount* l, std::atomic<int>* destruction)
        : locks(l), locked_at_destruction(destruction) {}
    CallbackProbe(const CallbackProbe&) = delete;
    CallbackProbe& operator=(const CallbackProbe&) = delete;
    ModuleLockCount* locks;
    std::atomic<int>* locked_at_destruction;
    ~CallbackProbe() { *locked_at_destruction = locks->CanUnload() ? 0 : 1; }
};

bool UnlockedWithin(const ModuleLockCount& locks, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!locks.CanUnload() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return locks.CanUnload();
}

// Starts the callback on one kind of thread with `locks`, lets it run once, and lets go of it.
using Starter = void (*)(std::function<void()> callback, ModuleLockCount* locks);

void OnTimer(std::function<void()> callback, ModuleLockCount* locks) {
    std::unique_ptr<TimerQueue> queue;
    ASSERT_EQ(TimerQueue::Create(SystemClock(), &queue), ERROR_SUCCESS);
    TimerId timer = 0;
    FiringCounter fired;
    ASSERT_EQ(queue->CreateTimer(
                  [callback = std::move(callback), &fired](bool) {
                      callback();
                      fired.Add();
                  },
                  0, 0, &timer, locks),
              ERROR_SUCCESS);
    ASSERT_TRUE(fired.WaitFor(1));
    queue->Close(Completion::DontWait);
}

void OnWait(std::function<void()> callback, ModuleLockCount* locks) {
    auto event = std::make_shared<Event>(false, false);
    std::unique_ptr<RegisteredWait> wait;
    FiringCounter fired;
    ASSERT_EQ(RegisteredWait::Register(
                  event,
                  [callback = std::move(callback), &fired](bool) {
                      callback();
                      fired.Add();
                  },
                  INFINITE, WT_EXECUTEONLYONCE, &wait, locks),
              ERROR_SUCCESS);
    event->Set();
    ASSERT_TRUE(fired.WaitFor(1));
}

void OnThread(std::function<void()> callback, ModuleLockCount* locks) {
    std::unique_ptr<Thread> thread;
    ASSERT_EQ(Thread::Start(
                  [callback = std::move(callback)] {
                      callback();
                      return 0u;
                  },
                  &thread, locks),
              ERROR_SUCCESS);
    EXPECT_EQ(thread->Wait(5000), WAIT_OBJECT_0);
}

TEST(ModuleHold, CallbackRunsLockedAndItsObjectIsGoneBeforeTheModuleIsFree) {
    for (Starter start : {&OnTimer, &OnWait, &OnThread}) {
        ModuleLockCount locks;
        std::atomic<int> locked_while_running{0};
        std::atomic<int> locked_at_destruction{-1};
        start([&locks, &locked_while_running,
               probe = std::make_shared<CallbackProbe>(
                   &locks, &locked_at_destruction)] { locked_while_running = locks.CanUnload() ? 0 : 1; },
              &locks);
        EXPECT_TRUE(UnlockedWithin(locks, std::chrono::milliseconds(5000)));
        EXPECT_EQ(locked_while_running.load(), 1);
        EXPECT_EQ(locked_at_destruction.load(), 1);
    }
}

// A timer callback that needs the deleting thread's apartment (as a tick calls the add-in on Outlook's
// thread) is run to its end by a waiting delete from that apartment, not left blocked.
TEST(ModuleHold, WaitingDeleteInAnApartmentRunsTheCallsItsCallbackQueues) {
    const ApartmentScope scope;
    const std::shared_ptr<Apartment> apartment = Apartment::Current();
    ASSERT_TRUE(apartment);
    std::unique_ptr<TimerQueue> queue;
    ASSERT_EQ(TimerQueue::Create(SystemClock(), &queue), ERROR_SUCCESS);
    FiringCounter entered;
    std::atomic<bool> call_ran{false};
    std::atomic<bool> finished{false};
    TimerId timer = 0;
    ASSERT_EQ(queue->CreateTimer(
                  [&](bool) {
                      Event ran(true, false);
                      entered.Add();
                      (void)apartment->Post([&] { ran.Set(); });
                      call_ran = ran.Wait(5000) == WAIT_OBJECT_0;
                      finished = true;
                  },
                  0, 0, &timer),
              ERROR_SUCCESS);
    ASSERT_TRUE(entered.WaitFor(1));
    EXPECT_EQ(queue->DeleteTimer(timer, Completion::Wait), ERROR_SUCCESS);
    EXPECT_TRUE(finished);
    EXPECT_TRUE(call_ran);
}

}  // namespace
}  // namespace platform
