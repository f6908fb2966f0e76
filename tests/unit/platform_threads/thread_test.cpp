#include "platform/thread.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

constexpr DWORD kLongEnoughMs = 5000;

TEST(Thread, WaitTimesOutWhileTheProcedureRunsAndAnEmptyProcedureIsRefused) {
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
    EXPECT_EQ(thread->Wait(10), WAIT_TIMEOUT);
    release.Set();
    EXPECT_EQ(thread->Wait(kLongEnoughMs), WAIT_OBJECT_0);
}

TEST(Thread, HandleClosedByTheOwnerOrByTheProcedureItselfLetsTheThreadRunOn) {
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

    Event started(true, false);
    Event closed(true, false);
    ASSERT_EQ(Thread::Start(
                  [&] {
                      (void)started.Wait(kLongEnoughMs);
                      thread.reset();
                      closed.Set();
                      return 0u;
                  },
                  &thread),
              ERROR_SUCCESS);
    started.Set();
    EXPECT_EQ(closed.Wait(kLongEnoughMs), WAIT_OBJECT_0);
}

}  // namespace
}  // namespace platform
