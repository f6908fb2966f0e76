#include "platform/timer_queue.h"

#include <condition_variable>
#include <map>
#include <mutex>
#include <system_error>

#include "platform/apartment.h"

namespace platform {

struct TimerQueue::Timer {
    explicit Timer(ModuleLockCount* module) : hold(module) {}
    ModuleHold hold;  // released after the callback object is gone
    TimerCallback callback;
    Clock::TimePoint due;
    std::chrono::milliseconds period{0};
    bool armed = true;
    int running = 0;  // callbacks in flight, guarded by Shared::lock
};

// Shared with the queue's thread and with callbacks in flight, which may outlive the queue.
struct TimerQueue::Shared {
    std::shared_ptr<Clock> clock;
    std::mutex lock;
    std::condition_variable changed;
    std::map<TimerId, std::shared_ptr<Timer>> timers;
    TimerId next_id = 1;
    bool stopping = false;
};

namespace {
// How often a waiting delete in an apartment looks at its timer's callbacks between queued calls.
constexpr DWORD kPumpSliceMs = 5;
// The timer whose callback the calling thread runs, to refuse a waiting delete from inside it.
thread_local const void* t_runningTimer = nullptr;
}  // namespace

LONG TimerQueue::Create(std::shared_ptr<Clock> clock, std::unique_ptr<TimerQueue>* queue) {
    if (!clock)
        return ERROR_INVALID_PARAMETER;
    try {
        auto shared = std::make_shared<Shared>();
        shared->clock = std::move(clock);
        std::unique_ptr<TimerQueue> created(new TimerQueue(shared));
        created->m_thread = std::thread([shared] { Loop(shared); });
        *queue = std::move(created);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    } catch (const std::system_error&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    return ERROR_SUCCESS;
}

TimerQueue::~TimerQueue() {
    Close(Completion::DontWait);
}

LONG TimerQueue::CreateTimer(TimerCallback callback, DWORD due_ms, DWORD period_ms, TimerId* timer,
                             ModuleLockCount* module) {
    if (!callback)
        return ERROR_INVALID_PARAMETER;
    try {
        auto record = std::make_shared<Timer>(module);
        record->callback = std::move(callback);
        record->period = std::chrono::milliseconds(period_ms);
        std::lock_guard<std::mutex> guard(m_shared->lock);
        if (m_shared->stopping)
            return ERROR_INVALID_HANDLE;
        record->due = m_shared->clock->Now() + std::chrono::milliseconds(due_ms);
        const TimerId id = m_shared->next_id++;
        m_shared->timers.emplace(id, std::move(record));
        *timer = id;
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    m_shared->changed.notify_all();
    return ERROR_SUCCESS;
}

LONG TimerQueue::DeleteTimer(TimerId timer, Completion completion) {
    std::unique_lock<std::mutex> lock(m_shared->lock);
    const auto found = m_shared->timers.find(timer);
    if (found == m_shared->timers.end())
        return ERROR_INVALID_HANDLE;
    const std::shared_ptr<Timer> record = found->second;
    m_shared->timers.erase(found);
    record->armed = false;
    if (completion == Completion::DontWait)
        return ERROR_SUCCESS;
    if (t_runningTimer == record.get())
        return ERROR_IO_PENDING;
    const std::shared_ptr<Apartment> apartment = Apartment::Current();
    if (!apartment) {
        m_shared->changed.wait(lock, [&] { return record->running == 0; });
        return ERROR_SUCCESS;
    }
    while (record->running != 0) {
        lock.unlock();
        (void)apartment->RunPending(kPumpSliceMs);
        lock.lock();
    }
    return ERROR_SUCCESS;
}

void TimerQueue::Close(Completion completion) {
    {
        std::lock_guard<std::mutex> guard(m_shared->lock);
        m_shared->stopping = true;
    }
    m_shared->changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    std::unique_lock<std::mutex> lock(m_shared->lock);
    while (!m_shared->timers.empty()) {
        const TimerId id = m_shared->timers.begin()->first;
        lock.unlock();
        (void)DeleteTimer(id, completion);
        lock.lock();
    }
}

void TimerQueue::Loop(const std::shared_ptr<Shared>& shared) {
    std::unique_lock<std::mutex> lock(shared->lock);
    while (!shared->stopping) {
        std::shared_ptr<Timer> next;
        for (const auto& [id, timer] : shared->timers) {
            if (timer->armed && (!next || timer->due < next->due))
                next = timer;
        }
        if (!next) {
            shared->changed.wait(lock);
            continue;
        }
        const Clock::TimePoint now = shared->clock->Now();
        if (now < next->due) {
            shared->clock->WaitUntil(shared->changed, lock, next->due);
            continue;
        }
        if (next->period.count() == 0) {
            next->armed = false;
        } else {
            // A late firing does not make up for the periods it missed.
            next->due += next->period;
            if (next->due <= now)
                next->due = now + next->period;
        }
        Fire(shared, next);
    }
}

void TimerQueue::Fire(const std::shared_ptr<Shared>& shared, const std::shared_ptr<Timer>& timer) {
    ++timer->running;
    try {
        std::thread([shared, timer] {
            t_runningTimer = timer.get();
            timer->callback(true);
            t_runningTimer = nullptr;
            {
                std::lock_guard<std::mutex> guard(shared->lock);
                --timer->running;
            }
            shared->changed.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        // No thread for this firing: it is skipped, as a pool with no free thread would delay it.
        --timer->running;
    }
}

}  // namespace platform
