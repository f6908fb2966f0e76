#include "platform/clock.h"

namespace platform {
namespace {

// How often a waiter on a manual clock looks at it again, in real time.
constexpr std::chrono::milliseconds kManualClockPoll{2};

class SteadyClock : public Clock {
  public:
    TimePoint Now() const override { return std::chrono::steady_clock::now(); }
    void WaitUntil(std::condition_variable& changed, std::unique_lock<std::mutex>& lock,
                   TimePoint deadline) const override {
        changed.wait_until(lock, deadline);
    }
};

}  // namespace

std::shared_ptr<Clock> SystemClock() {
    static const auto kClock = std::make_shared<SteadyClock>();
    return kClock;
}

Clock::TimePoint ManualClock::Now() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_now;
}

void ManualClock::WaitUntil(std::condition_variable& changed, std::unique_lock<std::mutex>& lock,
                            TimePoint) const {
    changed.wait_for(lock, kManualClockPoll);
}

void ManualClock::Advance(std::chrono::milliseconds step) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_now += step;
}

}  // namespace platform
