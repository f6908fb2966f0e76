// The time a timer queue runs by. The system clock for the product; a manual clock lets tests move
// time by minutes without sleeping.
#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace platform {

class Clock {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;

    virtual ~Clock() = default;
    virtual TimePoint Now() const = 0;
    // Sleeps on `changed` (with `lock` held, as condition_variable::wait_until does) until about
    // `deadline` by this clock or until notified. May return early; the caller looks at Now() again.
    virtual void WaitUntil(std::condition_variable& changed, std::unique_lock<std::mutex>& lock,
                           TimePoint deadline) const = 0;
};

// The monotonic system clock. Ownership: the caller shares it.
std::shared_ptr<Clock> SystemClock();

// A clock that stands still until Advance. Timer threads waiting on it look again every few
// milliseconds of real time.
class ManualClock : public Clock {
  public:
    TimePoint Now() const override;
    void WaitUntil(std::condition_variable& changed, std::unique_lock<std::mutex>& lock,
                   TimePoint deadline) const override;
    void Advance(std::chrono::milliseconds step);

  private:
    mutable std::mutex m_lock;
    TimePoint m_now = std::chrono::steady_clock::now();
};

}  // namespace platform
