// A thread that is an apartment running its task loop, as the host's user-interface thread is.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "platform/apartment.h"
#include "platform/thread.h"

namespace platform {

inline constexpr DWORD kLongEnoughMs = 5000;

class ApartmentThread {
  public:
    ApartmentThread() {
        Event ready(true, false);
        const LONG started = Thread::Start(
            [this, &ready] {
                (void)CoInitialize();
                m_apartment = Apartment::Current();
                ready.Set();
                (void)m_apartment->Run();
                CoUninitialize();
                return 0u;
            },
            &m_thread);
        EXPECT_EQ(started, ERROR_SUCCESS);
        EXPECT_EQ(ready.Wait(kLongEnoughMs), WAIT_OBJECT_0);
    }
    ~ApartmentThread() { Stop(); }

    // Ends the loop and the apartment (the thread's CoUninitialize), waiting for both.
    void Stop() {
        if (!m_thread)
            return;
        m_apartment->Quit();
        EXPECT_EQ(m_thread->Wait(kLongEnoughMs), WAIT_OBJECT_0);
        m_thread.reset();
    }
    const std::shared_ptr<Apartment>& apartment() const { return m_apartment; }

  private:
    std::shared_ptr<Apartment> m_apartment;
    std::unique_ptr<Thread> m_thread;
};

// CoInitialize for the test's own thread, undone at the end of the scope.
class ScopedCoInitialize {
  public:
    ScopedCoInitialize() { EXPECT_EQ(CoInitialize(), S_OK); }
    ~ScopedCoInitialize() { CoUninitialize(); }
    ScopedCoInitialize(const ScopedCoInitialize&) = delete;
    ScopedCoInitialize& operator=(const ScopedCoInitialize&) = delete;
};

}  // namespace platform
