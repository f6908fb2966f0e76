// Single-threaded apartments: a thread that has called CoInitialize owns an apartment, and objects
// created there are called only on that thread. Other threads reach them by queueing a call that the
// apartment's task loop runs while they wait (what a cross-apartment COM call does).
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/com_base.h"
#include "platform/event.h"

// A call whose apartment threw instead of returning a status.
inline constexpr HRESULT RPC_E_SERVERFAULT = static_cast<HRESULT>(0x80010105u);
// Run called on a thread that is not the apartment's.
inline constexpr HRESULT RPC_E_WRONG_THREAD = static_cast<HRESULT>(0x8001010Eu);

namespace platform {

// CoInitialize: makes the calling thread an apartment. S_OK the first time, S_FALSE when the thread
// already is one (each call needs its CoUninitialize).
[[nodiscard]] HRESULT CoInitialize();
// CoUninitialize: the last one ends the thread's apartment (see Apartment::End). A thread that ends
// without it ends its apartment all the same.
void CoUninitialize();

// CoInitialize for the life of a scope, with the CoUninitialize it owes when it succeeded.
class ApartmentScope {
  public:
    ApartmentScope() : m_result(CoInitialize()) {}
    ~ApartmentScope() {
        if (SUCCEEDED(m_result))
            CoUninitialize();
    }
    ApartmentScope(const ApartmentScope&) = delete;
    ApartmentScope& operator=(const ApartmentScope&) = delete;

  private:
    HRESULT m_result;
};

class Apartment {
  public:
    // The calling thread's apartment, or null before CoInitialize. Ownership: shared.
    static std::shared_ptr<Apartment> Current();

    Apartment() : m_thread(std::this_thread::get_id()) {}
    Apartment(const Apartment&) = delete;
    Apartment& operator=(const Apartment&) = delete;

    bool IsCurrentThread() const { return std::this_thread::get_id() == m_thread; }
    bool HasEnded() const;

    // Queues `task` for the task loop. False (the task not kept) once the apartment has ended.
    bool Post(std::function<void()> task);
    // Runs `task` in the apartment: at once on its own thread, queued from another thread, and at once on
    // the calling thread when the apartment has ended (no other thread can run it any more). For releases.
    void Dispatch(const std::function<void()>& task);
    // Releases `object` in the apartment, as Dispatch would run it. The queued work is the platform's own
    // code, so the module that asked may be unloaded before it runs (a task a module posts must not outlive
    // the module).
    void Release(IUnknown* object);
    // Runs `call` on the apartment's thread and waits for its status: at once on its own thread, else
    // queued behind earlier tasks while the caller blocks. RPC_E_DISCONNECTED when the apartment ends
    // before running it, RPC_E_SERVERFAULT when `call` throws, E_OUTOFMEMORY.
    [[nodiscard]] HRESULT Call(const std::function<HRESULT()>& call);

    // The task loop: runs tasks until Quit. RPC_E_WRONG_THREAD from another thread.
    [[nodiscard]] HRESULT Run();
    // Runs what is queued, waiting up to `timeout_ms` for the first task; returns how many ran. Only on
    // the apartment's thread (0 elsewhere). For modal loops and tests.
    std::size_t RunPending(DWORD timeout_ms);
    // Makes Run return once the task that runs now is done. Any thread. RunPending does not stop for it.
    void Quit();

    // Called by the last CoUninitialize, on the apartment's thread: later posts are refused, queued
    // posted tasks run now (they are releases and notifications owed to this apartment), and queued calls
    // fail with RPC_E_DISCONNECTED.
    void End();

  private:
    struct Task {
        std::function<void()> run;
        std::function<void()> cancel;  // set for calls: tells the waiting caller it will not run
    };
    bool Enqueue(Task task);
    // Takes the next task, waiting up to `timeout_ms`; false when none came (or Quit was asked, for Run).
    bool TakeTask(DWORD timeout_ms, bool stop_at_quit, Task* task);

    const std::thread::id m_thread;
    mutable std::mutex m_lock;
    std::deque<Task> m_tasks;
    std::shared_ptr<Event> m_queued = std::make_shared<Event>(false, false);
    bool m_quit = false;
    bool m_ended = false;
};

}  // namespace platform
