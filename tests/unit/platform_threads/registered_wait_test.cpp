#include "platform/registered_wait.h"

#include <gtest/gtest.h>

#include <thread>

#include "firing_counter.h"

namespace platform {
namespace {

constexpr DWORD kLongEnoughMs = 5000;

// A wait on `event` whose callbacks count in `calls` and record their timed-out flag.
class RegisteredWaitTest : public ::testing::Test {
  protected:
    void Register(DWORD timeout, DWORD flags) {
        ASSERT_EQ(RegisteredWait::Register(
                      event_,
                      [this](bool flag) {
                          timed_out_ = flag;
                          calls_.Add();
                      },
                      timeout, flags, &wait_),
                  ERROR_SUCCESS);
    }
    // The callbacks use this fixture's members.
    void TearDown() override {
        if (wait_) {
            EXPECT_EQ(wait_->Unregister(Completion::Wait), ERROR_SUCCESS);
        }
    }

    std::shared_ptr<Event> event_ = std::make_shared<Event>(false, false);
    FiringCounter calls_;
    std::atomic<bool> timed_out_{false};
    std::unique_ptr<RegisteredWait> wait_;
};

TEST_F(RegisteredWaitTest, SignalRunsTheCallbackWithTimedOutFalseAndTheWaitStays) {
    Register(INFINITE, WT_EXECUTEDEFAULT);
    timed_out_ = true;
    event_->Set();
    ASSERT_TRUE(calls_.WaitFor(1));
    EXPECT_FALSE(timed_out_);
    // Default flags: the wait stays, and the auto-reset event was reset by it.
    event_->Set();
    EXPECT_TRUE(calls_.WaitFor(2));
}

TEST_F(RegisteredWaitTest, ExecuteOnlyOnceEndsAfterTheFirstCallback) {
    event_ = std::make_shared<Event>(true, false);
    Register(INFINITE, WT_EXECUTEONLYONCE);
    event_->Set();  // manual reset: stays signalled, yet the callback runs once
    ASSERT_TRUE(calls_.WaitFor(1));
    std::this_thread::sleep_for(kQuietPeriod);
    EXPECT_EQ(calls_.count(), 1);
}

TEST_F(RegisteredWaitTest, TimeOutRunsTheCallbackWithTimedOutTrue) {
    Register(10, WT_EXECUTEONLYONCE);
    ASSERT_TRUE(calls_.WaitFor(1));
    EXPECT_TRUE(timed_out_);
}

TEST_F(RegisteredWaitTest, UnregisteredWaitLeavesTheSignalForOthers) {
    Register(INFINITE, 0);
    EXPECT_EQ(wait_->Unregister(Completion::Wait), ERROR_SUCCESS);
    event_->Set();
    EXPECT_EQ(event_->Wait(kLongEnoughMs), WAIT_OBJECT_0);
    EXPECT_EQ(calls_.count(), 0);
}

TEST_F(RegisteredWaitTest, ClosingTheEventHandleKeepsTheWaitWorking) {
    Register(INFINITE, WT_EXECUTEONLYONCE);
    std::shared_ptr<Event> signaller = std::move(event_);
    signaller->Set();
    signaller.reset();
    EXPECT_TRUE(calls_.WaitFor(1));
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
