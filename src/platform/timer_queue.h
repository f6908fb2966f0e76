// Timer queues in the shape of the Win32 calls (CreateTimerQueue, CreateTimerQueueTimer,
// DeleteTimerQueueTimer, DeleteTimerQueueEx). One thread per queue keeps the time; each firing runs
// its callback on a thread of its own, so a callback that blocks does not hold back the next firing.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

#include "platform/clock.h"
#include "platform/event.h"
#include "platform/module_hold.h"
#include "platform/win32_error.h"

namespace platform {

// WAITORTIMERCALLBACK: the flag is true for a timer firing.
using TimerCallback = std::function<void(bool timer_fired)>;
using TimerId = std::uint64_t;

class TimerQueue {
  public:
    // CreateTimerQueue over `clock` (SystemClock() in the product). ERROR_NOT_ENOUGH_MEMORY when the
    // queue's thread cannot start; `queue` untouched then. Ownership: the caller owns the queue.
    [[nodiscard]] static LONG Create(std::shared_ptr<Clock> clock, std::unique_ptr<TimerQueue>* queue);

    // DeleteTimerQueue: deletes every timer without waiting for running callbacks.
    ~TimerQueue();
    TimerQueue(const TimerQueue&) = delete;
    TimerQueue& operator=(const TimerQueue&) = delete;

    // CreateTimerQueueTimer with default flags: first firing `due_ms` after now by the queue's clock, then
    // every `period_ms` (0: once). A firing that comes while the previous callback still runs starts
    // another callback. `module` (null for none), the module whose code `callback` is, stays locked until
    // the timer is deleted and its callbacks have returned. ERROR_INVALID_PARAMETER for an empty callback;
    // `timer` untouched on failure.
    [[nodiscard]] LONG CreateTimer(TimerCallback callback, DWORD due_ms, DWORD period_ms, TimerId* timer,
                                   ModuleLockCount* module = nullptr);
    // DeleteTimerQueueTimer: no further firings. With Completion::Wait also waits for running callbacks,
    // except from inside one of its own callbacks, where it returns ERROR_IO_PENDING instead of
    // deadlocking. A caller in an apartment runs the calls queued to it while it waits, as a callback may
    // be waiting for one of them. ERROR_INVALID_HANDLE for an unknown timer.
    [[nodiscard]] LONG DeleteTimer(TimerId timer, Completion completion);
    // DeleteTimerQueueEx: deletes every timer (as DeleteTimer) and stops the queue's thread.
    void Close(Completion completion);

  private:
    struct Shared;
    struct Timer;
    explicit TimerQueue(std::shared_ptr<Shared> shared) : m_shared(std::move(shared)) {}
    static void Loop(const std::shared_ptr<Shared>& shared);
    static void Fire(const std::shared_ptr<Shared>& shared, const std::shared_ptr<Timer>& timer);

    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
};

}  // namespace platform
