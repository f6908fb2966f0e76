#include "platform/registered_wait.h"

#include <gtest/gtest.h>

#include <thread>

#include "firing_counter.h"

namespace platform {
namespace {

constexpr DWORD kLongEnoughMs = 5000;

TEST(RegisteredWait, SignalRunsTheCallbackWithTimedOutFalse) {
    auto event = std::make_shared<Event>(false, false);
    FiringCounter calls;
    std::atomic<bool> timed_out{true};
    std::unique_ptr<RegisteredWait> wait;
    ASSERT_EQ(RegisteredWait::Register(
                  event,
                  [&](bool flag) {
                      timed_out = flag;
                      calls.Add();
                  },
                  INFINITE, WT_EXECUTEDEFAULT, &wait),
              ERROR_SUCCESS);
    event->Set();
    ASSERT_TRUE(calls.WaitFor(1));
    EXPECT_FALSE(timed_out);
    // Default flags: the wait stays, and the auto-reset event was reset by it.
    event->Set();
    EXPECT_TRUE(calls.WaitFor(2));
    EXPECT_EQ(wait->Unregister(Completion::Wait), ERROR_SUCCESS);
}

TEST(RegisteredWait, ExecuteOnlyOnceEndsAfterTheFirstCallback) {
    auto event = std::make_shared<Event>(true, false);
    FiringCounter calls;
    std::unique_ptr<RegisteredWait> wait;
    ASSERT_EQ(RegisteredWait::Register(
                  event, [&](bool) { calls.Add(); }, INFINITE, WT_EXECUTEONLYONCE, &wait),
              ERROR_SUCCESS);
    event->Set();  // manual reset: stays signalled, yet the callback runs once
    ASSERT_TRUE(calls.WaitFor(1));
    std::this_thread::sleep_for(kQuietPeriod);
    EXPECT_EQ(calls.count(), 1);
    EXPECT_EQ(wait->Unregister(Completion::Wait), ERROR_SUCCESS);  // the callback used this test's locals
}

TEST(RegisteredWait, TimeOutRunsTheCallbackWithTimedOutTrue) {
    auto event = std::make_shared<Event>(false, false);
    FiringCounter calls;
    std::atomic<bool> timed_out{false};
    std::unique_ptr<RegisteredWait> wait;
    ASSERT_EQ(RegisteredWait::Register(
                  event,
                  [&](bool flag) {
                      timed_out = flag;
                      calls.Add();
                  },
                  10, WT_EXECUTEONLYONCE, &wait),
              ERROR_SUCCESS);
    ASSERT_TRUE(calls.WaitFor(1));
    EXPECT_TRUE(timed_out);
    EXPECT_EQ(wait->Unregister(Completion::Wait), ERROR_SUCCESS);
}

TEST(RegisteredWait, UnregisteredWaitLeavesTheSignalForOthers) {
    auto event = std::make_shared<Event>(false, false);
    FiringCounter calls;
    std::unique_ptr<RegisteredWait> wait;
    ASSERT_EQ(RegisteredWait::Register(
                  event, [&](bool) { calls.Add(); }, INFINITE, 0, &wait),
              ERROR_SUCCESS);
    EXPECT_EQ(wait->Unregister(Completion::Wait), ERROR_SUCCESS);
    EXPECT_EQ(wait->Unregister(Completion::Wait), ERROR_SUCCESS);
    event->Set();
    EXPECT_EQ(event->Wait(kLongEnoughMs), WAIT_OBJECT_0);
    EXPECT_EQ(calls.count(), 0);
}

TEST(RegisteredWait, UnregisterFromInsideTheCallbackDoesNotDeadlock) {
    auto event = std::make_shared<Event>(false, false);
    std::unique_ptr<RegisteredWait> wait;
    std::atomic<LONG> wait_result{ERROR_SUCCESS};
    Event done(true, false);
    ASSERT_EQ(RegisteredWait::Register(
                  event,
                  [&](bool) {
                      wait_result = wait->Unregister(Completion::Wait);
                      done.Set();
                  },
                  INFINITE, 0, &wait),
              ERROR_SUCCESS);
    event->Set();
    ASSERT_EQ(done.Wait(kLongEnoughMs), WAIT_OBJECT_0);
    EXPECT_EQ(wait_result.load(), ERROR_IO_PENDING);
}

TEST(RegisteredWait, ClosingTheEventHandleKeepsTheWaitWorking) {
    auto event = std::make_shared<Event>(false, false);
    FiringCounter calls;
    std::unique_ptr<RegisteredWait> wait;
    ASSERT_EQ(RegisteredWait::Register(
                  event, [&](bool) { calls.Add(); }, INFINITE, WT_EXECUTEONLYONCE, &wait),
              ERROR_SUCCESS);
    std::shared_ptr<Event> signaller = event;
    event.reset();
    signaller->Set();
    signaller.reset();
    EXPECT_TRUE(calls.WaitFor(1));
    EXPECT_EQ(wait->Unregister(Completion::Wait), ERROR_SUCCESS);
}

TEST(RegisteredWait, RefusesBadArguments) {
    auto event = std::make_shared<Event>(false, false);
    std::unique_ptr<RegisteredWait> wait;
    EXPECT_EQ(RegisteredWait::Register(
                  nullptr, [](bool) {}, INFINITE, 0, &wait),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegisteredWait::Register(event, WaitCallback(), INFINITE, 0, &wait), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegisteredWait::Register(
                  event, [](bool) {}, INFINITE, 0x4, &wait),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(wait, nullptr);
}

}  // namespace
}  // namespace platform
