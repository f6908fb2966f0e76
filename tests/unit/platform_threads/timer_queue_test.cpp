#include "platform/timer_queue.h"

#include <gtest/gtest.h>

#include <thread>

#include "firing_counter.h"

namespace platform {
namespace {

using std::chrono::milliseconds;
constexpr DWORD kMinute = 60000;
constexpr DWORD kLongEnoughMs = 5000;

class TimerQueueTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(TimerQueue::Create(clock_, &queue_), ERROR_SUCCESS); }

    std::shared_ptr<ManualClock> clock_ = std::make_shared<ManualClock>();
    std::unique_ptr<TimerQueue> queue_;
};

TEST_F(TimerQueueTest, DueTimeZeroFiresAtOnceThenEveryPeriodWithoutMakingUpMissedOnes) {
    FiringCounter firings;
    std::atomic<bool> all_fired{true};
    TimerId timer = 0;
    ASSERT_EQ(queue_->CreateTimer(
                  [&](bool fired) {
                      all_fired = all_fired && fired;
                      firings.Add();
                  },
                  0, kMinute, &timer),
              ERROR_SUCCESS);
    EXPECT_NE(timer, 0u);
    ASSERT_TRUE(firings.WaitFor(1));
    clock_->Advance(milliseconds(kMinute - 1));
    std::this_thread::sleep_for(kQuietPeriod);
    EXPECT_EQ(firings.count(), 1);
    clock_->Advance(milliseconds(1));
    EXPECT_TRUE(firings.WaitFor(2));
    clock_->Advance(milliseconds(kMinute));
    EXPECT_TRUE(firings.WaitFor(3));
    // A late firing does not make up the missed periods.
    clock_->Advance(milliseconds(5 * kMinute));
    ASSERT_TRUE(firings.WaitFor(4));
    std::this_thread::sleep_for(kQuietPeriod);
    EXPECT_EQ(firings.count(), 4);
    clock_->Advance(milliseconds(kMinute));
    EXPECT_TRUE(firings.WaitFor(5));
    EXPECT_TRUE(all_fired);
    queue_->Close(Completion::Wait);  // callbacks use this test's locals
}

TEST_F(TimerQueueTest, PeriodZeroFiresOnce) {
    FiringCounter firings;
    TimerId timer = 0;
    ASSERT_EQ(queue_->CreateTimer([&](bool) { firings.Add(); }, 1000, 0, &timer), ERROR_SUCCESS);
    std::this_thread::sleep_for(kQuietPeriod);
    EXPECT_EQ(firings.count(), 0);
    clock_->Advance(milliseconds(1000));
    ASSERT_TRUE(firings.WaitFor(1));
    clock_->Advance(milliseconds(10 * kMinute));
    std::this_thread::sleep_for(kQuietPeriod);
    EXPECT_EQ(firings.count(), 1);
    EXPECT_EQ(queue_->DeleteTimer(timer, Completion::Wait), ERROR_SUCCESS);
}

TEST_F(TimerQueueTest, DeletedTimerFiresNoMoreAndIsUnknownAfterwards) {
    FiringCounter firings;
    TimerId timer = 0;
    ASSERT_EQ(queue_->CreateTimer([&](bool) { firings.Add(); }, 0, kMinute, &timer), ERROR_SUCCESS);
    ASSERT_TRUE(firings.WaitFor(1));
    EXPECT_EQ(queue_->DeleteTimer(timer, Completion::Wait), ERROR_SUCCESS);
    clock_->Advance(milliseconds(3 * kMinute));
    std::this_thread::sleep_for(kQuietPeriod);
    EXPECT_EQ(firings.count(), 1);
    EXPECT_EQ(queue_->DeleteTimer(timer, Completion::DontWait), ERROR_INVALID_HANDLE);
    EXPECT_EQ(queue_->DeleteTimer(timer + 1000, Completion::Wait), ERROR_INVALID_HANDLE);
}

TEST_F(TimerQueueTest, BlockedCallbackDoesNotHoldBackTheNextFiringAndAWaitingDeleteWaitsForBoth) {
    Event release(true, false);
    FiringCounter entered;
    std::atomic<int> finished{0};
    TimerId timer = 0;
    ASSERT_EQ(queue_->CreateTimer(
                  [&](bool) {
                      entered.Add();
                      (void)release.Wait(kLongEnoughMs);
                      ++finished;
                  },
                  0, kMinute, &timer),
              ERROR_SUCCESS);
    ASSERT_TRUE(entered.WaitFor(1));
    clock_->Advance(milliseconds(kMinute));
    ASSERT_TRUE(entered.WaitFor(2));
    std::thread releaser([&] {
        std::this_thread::sleep_for(kQuietPeriod);
        release.Set();
    });
    EXPECT_EQ(queue_->DeleteTimer(timer, Completion::Wait), ERROR_SUCCESS);
    EXPECT_EQ(finished.load(), 2);
    releaser.join();
}

TEST_F(TimerQueueTest, WaitingDeleteFromItsOwnCallbackDoesNotDeadlock) {
    Event done(true, false);
    std::atomic<LONG> result{ERROR_SUCCESS};
    TimerId timer = 0;
    Event created(true, false);
    ASSERT_EQ(queue_->CreateTimer(
                  [&](bool) {
                      (void)created.Wait(kLongEnoughMs);
                      result = queue_->DeleteTimer(timer, Completion::Wait);
                      done.Set();
                  },
                  0, 0, &timer),
              ERROR_SUCCESS);
    created.Set();
    ASSERT_EQ(done.Wait(kLongEnoughMs), WAIT_OBJECT_0);
    EXPECT_EQ(result.load(), ERROR_IO_PENDING);
}

TEST_F(TimerQueueTest, RefusesEmptyCallbackMissingClockAndTimersOnAClosedQueue) {
    TimerId timer = 77;
    EXPECT_EQ(queue_->CreateTimer(TimerCallback(), 0, 0, &timer), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(timer, 77u);
    std::unique_ptr<TimerQueue> other;
    EXPECT_EQ(TimerQueue::Create(nullptr, &other), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(other, nullptr);
    queue_->Close(Completion::Wait);
    EXPECT_EQ(queue_->CreateTimer([](bool) {}, 0, 0, &timer), ERROR_INVALID_HANDLE);
}

TEST(TimerQueueSystemClock, ShortRealPeriodKeepsFiring) {
    std::unique_ptr<TimerQueue> queue;
    ASSERT_EQ(TimerQueue::Create(SystemClock(), &queue), ERROR_SUCCESS);
    FiringCounter firings;
    TimerId timer = 0;
    ASSERT_EQ(queue->CreateTimer([&](bool) { firings.Add(); }, 0, 10, &timer), ERROR_SUCCESS);
    EXPECT_TRUE(firings.WaitFor(3));
    queue->Close(Completion::Wait);
    EXPECT_EQ(queue->DeleteTimer(timer, Completion::Wait), ERROR_INVALID_HANDLE);
}

}  // namespace
}  // namespace platform
