// Threads in the shape of the C runtime's thread start and the Win32 calls on a thread handle
// (WaitForSingleObject, CloseHandle, GetCurrentThreadId).
#pragma once

#include <functional>
#include <memory>
#include <thread>

#include "platform/event.h"
#include "platform/module_hold.h"
#include "platform/win32_error.h"

namespace platform {

inline constexpr DWORD STILL_ACTIVE = 259;

// The calling thread's id (the kernel's thread id), stable for the thread's life.
DWORD GetCurrentThreadId();

// A running thread. Ownership: the caller owns the handle; destroying it closes the handle without
// waiting (the thread runs on).
class Thread {
  public:
    using Procedure = std::function<unsigned()>;

    // _beginthreadex with default security and stack, running at once. ERROR_INVALID_PARAMETER for an
    // empty procedure, ERROR_NOT_ENOUGH_MEMORY when the system cannot make a thread; `thread` untouched on
    // failure. `module` (null for none), the module whose code `procedure` is, stays locked until the
    // thread has ended.
    [[nodiscard]] static LONG Start(Procedure procedure, std::unique_ptr<Thread>* thread,
                                    ModuleLockCount* module = nullptr);

    ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // WaitForSingleObject on the thread: WAIT_OBJECT_0 once the thread has ended, or WAIT_TIMEOUT.
    [[nodiscard]] DWORD Wait(DWORD timeout_ms);

  private:
    struct State;
    explicit Thread(std::shared_ptr<State> state) : m_state(std::move(state)) {}

    std::shared_ptr<State> m_state;
    std::thread m_thread;
};

}  // namespace platform
