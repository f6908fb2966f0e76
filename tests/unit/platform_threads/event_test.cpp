#include "platform/event.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace platform {
namespace {

TEST(Event, AutoResetReleasesOneWaitManualResetStaysSignalledUntilReset) {
    std::shared_ptr<Event> automatic;
    ASSERT_EQ(Event::Create(false, true, &automatic), ERROR_SUCCESS);
    EXPECT_EQ(automatic->Wait(0), WAIT_OBJECT_0);
    EXPECT_EQ(automatic->Wait(0), WAIT_TIMEOUT);

    Event manual(true, false);
    EXPECT_EQ(manual.Wait(0), WAIT_TIMEOUT);
    manual.Set();
    EXPECT_EQ(manual.Wait(0), WAIT_OBJECT_0);
    EXPECT_EQ(manual.Wait(0), WAIT_OBJECT_0);
    manual.Reset();
    EXPECT_EQ(manual.Wait(10), WAIT_TIMEOUT);
}

TEST(Event, AutoResetSetFromAnotherThreadWakesExactlyOneOfTwoWaiters) {
    Event event(false, false);
    std::atomic<int> woken{0};
    auto waiter = [&] {
        if (event.Wait(300) == WAIT_OBJECT_0)
            ++woken;
    };
    std::thread first(waiter);
    std::thread second(waiter);
    std::thread setter([&] { event.Set(); });
    setter.join();
    first.join();
    second.join();
    EXPECT_EQ(woken.load(), 1);
}

TEST(WaitForAnyEvent, ReportsTheFirstSignalledIndexResetsOnlyItAndRefusesBadLists) {
    Event first(false, false);
    Event second(false, true);
    Event third(true, true);
    EXPECT_EQ(WaitForAnyEvent({&first, &second, &third}, 0), WAIT_OBJECT_0 + 1);
    EXPECT_EQ(WaitForAnyEvent({&first, &second, &third}, 0), WAIT_OBJECT_0 + 2);
    EXPECT_EQ(third.Wait(0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForAnyEvent({&first, &second}, 20), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForAnyEvent({}, 0), WAIT_FAILED);
    EXPECT_EQ(WaitForAnyEvent({&third, nullptr}, 0), WAIT_FAILED);
}

}  // namespace
}  // namespace platform
