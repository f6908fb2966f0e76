#include "platform/event.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace platform {
namespace {

constexpr DWORD kLongEnoughMs = 5000;

TEST(Event, AutoResetReleasesOneWaitThenResets) {
    std::shared_ptr<Event> event;
    ASSERT_EQ(Event::Create(false, true, &event), ERROR_SUCCESS);
    EXPECT_EQ(event->Wait(0), WAIT_OBJECT_0);
    EXPECT_EQ(event->Wait(0), WAIT_TIMEOUT);
}

TEST(Event, ManualResetStaysSignalledUntilReset) {
    std::shared_ptr<Event> event;
    ASSERT_EQ(Event::Create(true, false, &event), ERROR_SUCCESS);
    EXPECT_EQ(event->Wait(0), WAIT_TIMEOUT);
    event->Set();
    EXPECT_EQ(event->Wait(0), WAIT_OBJECT_0);
    EXPECT_EQ(event->Wait(0), WAIT_OBJECT_0);
    event->Reset();
    EXPECT_EQ(event->Wait(10), WAIT_TIMEOUT);
}

TEST(Event, SetFromAnotherThreadWakesTheWaiter) {
    Event event(false, false);
    std::thread setter([&] { event.Set(); });
    EXPECT_EQ(event.Wait(kLongEnoughMs), WAIT_OBJECT_0);
    setter.join();
}

TEST(Event, AutoResetWakesExactlyOneOfTwoWaiters) {
    Event event(false, false);
    std::atomic<int> woken{0};
    auto waiter = [&] {
        if (event.Wait(300) == WAIT_OBJECT_0)
            ++woken;
    };
    std::thread first(waiter);
    std::thread second(waiter);
    event.Set();
    first.join();
    second.join();
    EXPECT_EQ(woken.load(), 1);
}

TEST(WaitForAnyEvent, ReportsTheFirstSignalledIndexAndResetsOnlyIt) {
    Event first(false, false);
    Event second(false, true);
    Event third(true, true);
    EXPECT_EQ(WaitForAnyEvent({&first, &second, &third}, 0), WAIT_OBJECT_0 + 1);
    EXPECT_EQ(WaitForAnyEvent({&first, &second, &third}, 0), WAIT_OBJECT_0 + 2);
    EXPECT_EQ(third.Wait(0), WAIT_OBJECT_0);
}

TEST(WaitForAnyEvent, RefusesEmptyListsAndNullEntries) {
    Event event(true, true);
    EXPECT_EQ(WaitForAnyEvent({}, 0), WAIT_FAILED);
    EXPECT_EQ(WaitForAnyEvent({&event, nullptr}, 0), WAIT_FAILED);
}

TEST(WaitForAnyEvent, TimesOutWhenNothingIsSignalled) {
    Event first(true, false);
    Event second(false, false);
    EXPECT_EQ(WaitForAnyEvent({&first, &second}, 20), WAIT_TIMEOUT);
}

}  // namespace
}  // namespace platform
