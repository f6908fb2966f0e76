#include "platform/event.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>

namespace platform {
namespace {

// One lock and one condition for every event: waiting on several events at once then needs no
// bookkeeping, and the process has only a handful of events. Never destroyed: detached callback threads
// may still set an event while the process exits.
std::mutex& EventLock() {
    static auto* lock = new std::mutex;
    return *lock;
}
std::condition_variable& EventChanged() {
    static auto* changed = new std::condition_variable;
    return *changed;
}

}  // namespace

LONG Event::Create(bool manual_reset, bool initial_state, std::shared_ptr<Event>* event) {
    try {
        *event = std::make_shared<Event>(manual_reset, initial_state);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    return ERROR_SUCCESS;
}

void Event::Set() {
    {
        std::lock_guard<std::mutex> lock(EventLock());
        m_signaled = true;
    }
    EventChanged().notify_all();
}

void Event::Reset() {
    std::lock_guard<std::mutex> lock(EventLock());
    m_signaled = false;
}

DWORD Event::Wait(DWORD timeout_ms) {
    return WaitForAnyEvent({this}, timeout_ms);
}

DWORD WaitForAnyEvent(const std::vector<Event*>& events, DWORD timeout_ms) {
    if (events.empty())
        return WAIT_FAILED;
    for (const Event* event : events) {
        if (event == nullptr)
            return WAIT_FAILED;
    }
    std::unique_lock<std::mutex> lock(EventLock());
    std::size_t index = 0;
    const auto any_signaled = [&] {
        for (index = 0; index < events.size(); ++index) {
            if (events[index]->m_signaled)
                return true;
        }
        return false;
    };
    if (timeout_ms == INFINITE) {
        EventChanged().wait(lock, any_signaled);
    } else {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
        if (!EventChanged().wait_until(lock, deadline, any_signaled))
            return WAIT_TIMEOUT;
    }
    if (!events[index]->m_manualReset)
        events[index]->m_signaled = false;
    return WAIT_OBJECT_0 + static_cast<DWORD>(index);
}

}  // namespace platform
