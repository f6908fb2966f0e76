#include "platform/apartment.h"

#include <chrono>
#include <new>

namespace platform {
namespace {

// The calling thread's apartment. A thread that ends without its last CoUninitialize still ends its
// apartment, so callers waiting on it are told instead of waiting for ever.
struct ThreadApartment {
    std::shared_ptr<Apartment> apartment;
    int initializations = 0;
    ~ThreadApartment() {
        if (apartment)
            apartment->End();
    }
};
thread_local ThreadApartment t_thread;

HRESULT InvokeCall(const std::function<HRESULT()>& call) {
    try {
        return call();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return RPC_E_SERVERFAULT;
    }
}

void RunTask(const std::function<void()>& task) {
    // A posted task has no caller to tell; one that throws is dropped so the loop survives it.
    try {
        task();
    } catch (...) {
    }
}

}  // namespace

HRESULT CoInitialize() {
    if (t_thread.initializations > 0) {
        ++t_thread.initializations;
        return S_FALSE;
    }
    try {
        t_thread.apartment = std::make_shared<Apartment>();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    t_thread.initializations = 1;
    return S_OK;
}

void CoUninitialize() {
    if (t_thread.initializations == 0 || --t_thread.initializations > 0)
        return;
    t_thread.apartment->End();
    t_thread.apartment.reset();
}

std::shared_ptr<Apartment> Apartment::Current() {
    return t_thread.apartment;
}

bool Apartment::HasEnded() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_ended;
}

bool Apartment::Enqueue(Task task) {
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_ended)
            return false;
        m_tasks.push_back(std::move(task));
    }
    m_queued->Set();
    return true;
}

bool Apartment::Post(std::function<void()> task) {
    return Enqueue(Task{std::move(task), nullptr});
}

void Apartment::Dispatch(const std::function<void()>& task) {
    if (IsCurrentThread() || !Post(task))
        RunTask(task);
}

void Apartment::Release(IUnknown* object) {
    if (object != nullptr)
        Dispatch([object] { object->Release(); });
}

HRESULT Apartment::Call(const std::function<HRESULT()>& call) {
    if (IsCurrentThread())
        return InvokeCall(call);
    struct Pending {
        Event done{true, false};
        HRESULT result = RPC_E_DISCONNECTED;
    };
    std::shared_ptr<Pending> pending;
    try {
        pending = std::make_shared<Pending>();
        // `call` outlives the task: this thread waits below until the task ran or was cancelled.
        Task task{[pending, &call] {
                      pending->result = InvokeCall(call);
                      pending->done.Set();
                  },
                  [pending] { pending->done.Set(); }};
        if (!Enqueue(std::move(task)))
            return RPC_E_DISCONNECTED;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    (void)pending->done.Wait(INFINITE);
    return pending->result;
}

bool Apartment::TakeTask(DWORD timeout_ms, bool stop_at_quit, Task* task) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    std::unique_lock<std::mutex> lock(m_lock);
    for (;;) {
        if (stop_at_quit && m_quit)
            return false;
        if (!m_tasks.empty()) {
            *task = std::move(m_tasks.front());
            m_tasks.pop_front();
            return true;
        }
        lock.unlock();
        DWORD wait_ms = INFINITE;
        if (timeout_ms != INFINITE) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return false;
            wait_ms = static_cast<DWORD>(left.count());
        }
        (void)m_queued->Wait(wait_ms);
        lock.lock();
    }
}

HRESULT Apartment::Run() {
    if (!IsCurrentThread())
        return RPC_E_WRONG_THREAD;
    // Each task is destroyed as soon as it has run: its captures may belong to code that goes away (a
    // module unloaded after its last call).
    for (;;) {
        Task task;
        if (!TakeTask(INFINITE, true, &task))
            break;
        RunTask(task.run);
    }
    std::lock_guard<std::mutex> guard(m_lock);
    m_quit = false;
    return S_OK;
}

std::size_t Apartment::RunPending(DWORD timeout_ms) {
    if (!IsCurrentThread())
        return 0;
    std::size_t count = 0;
    for (DWORD wait_ms = timeout_ms;; wait_ms = 0) {
        Task task;
        if (!TakeTask(wait_ms, false, &task))
            return count;
        RunTask(task.run);
        ++count;
    }
}

void Apartment::Quit() {
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_quit = true;
    }
    m_queued->Set();
}

void Apartment::End() {
    std::deque<Task> left;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_ended = true;
        left.swap(m_tasks);
    }
    for (Task& task : left) {
        if (task.cancel)
            task.cancel();
        else
            RunTask(task.run);
    }
}

}  // namespace platform
