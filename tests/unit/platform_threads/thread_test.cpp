#include "platform/thread.h"

#include <gtest/gtest.h>

#include <atomic>

namespace platform {
namespace {

constexpr DWORD kLongEnoughMs = 5000;

TEST(Thread, ExitCodeIsStillActiveUntilTheProcedureReturns) {
    Event release(true, false);
    std::unique_ptr<Thread> thread;
    EXPECT_EQ(Thread::Start(Thread::Procedure(), &thread), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(thread, nullptr);
    ASSERT_EQ(Thread::Start(
                  [&] {
                      (void)release.Wait(kLongEnoughMs);
                      return 42u;
                  },
                  &thread),
              ERROR_SUCCESS);
    EXPECT_EQ(thread->GetExitCode(), STILL_ACTIVE);
    EXPECT_EQ(thread->Wait(10), WAIT_TIMEOUT);
    release.Set();
    EXPECT_EQ(thread->Wait(kLongEnoughMs), WAIT_OBJECT_0);
    EXPECT_EQ(thread->GetExitCode(), 42u);
}

TEST(Thread, ClosingTheHandleLetsTheThreadRunOn) {
    Event release(true, false);
    Event done(true, false);
    std::unique_ptr<Thread> thread;
    ASSERT_EQ(Thread::Start(
                  [&] {
                      (void)release.Wait(kLongEnoughMs);
                      done.Set();
                      return 0u;
                  },
                  &thread),
              ERROR_SUCCESS);
    thread.reset();
    release.Set();
    EXPECT_EQ(done.Wait(kLongEnoughMs), WAIT_OBJECT_0);
}

TEST(Thread, ProcedureMayCloseItsOwnHandle) {
    Event done(true, false);
    std::unique_ptr<Thread> thread;
    Event started(true, false);
    ASSERT_EQ(Thread::Start(
                  [&] {
                      (void)started.Wait(kLongEnoughMs);
                      thread.reset();
                      done.Set();
                      return 0u;
                  },
                  &thread),
              ERROR_SUCCESS);
    started.Set();
    EXPECT_EQ(done.Wait(kLongEnoughMs), WAIT_OBJECT_0);
}

TEST(GetCurrentThreadId, DiffersBetweenThreadsAndIsStableWithinOne) {
    const DWORD mine = GetCurrentThreadId();
    EXPECT_EQ(GetCurrentThreadId(), mine);
    std::atomic<DWORD> other{0};
    std::unique_ptr<Thread> thread;
    ASSERT_EQ(Thread::Start(
                  [&] {
                      other = GetCurrentThreadId();
                      return 0u;
                  },
                  &thread),
              ERROR_SUCCESS);
    ASSERT_EQ(thread->Wait(kLongEnoughMs), WAIT_OBJECT_0);
    EXPECT_NE(other.load(), 0u);
    EXPECT_NE(other.load(), mine);
}

}  // namespace
}  // namespace platform
