// Counts callback runs and lets a test wait, bounded, for a given count.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace platform {

class FiringCounter {
  public:
    // Notifies under the lock: a waiter that saw the count may destroy the counter at once.
    void Add() {
        std::lock_guard<std::mutex> guard(m_lock);
        ++m_count;
        m_changed.notify_all();
    }
    // True once the count reaches `count` within `timeout`.
    bool WaitFor(int count, std::chrono::milliseconds timeout = std::chrono::milliseconds(5000)) {
        std::unique_lock<std::mutex> lock(m_lock);
        return m_changed.wait_for(lock, timeout, [&] { return m_count >= count; });
    }
    int count() {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_count;
    }

  private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    int m_count = 0;
};

// A short real-time pause for checks that something does not happen.
inline constexpr std::chrono::milliseconds kQuietPeriod{60};

}  // namespace platform
