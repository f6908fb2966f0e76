// Registered waits in the shape of the Win32 calls (RegisterWaitForSingleObject, UnregisterWait,
// UnregisterWaitEx). Each wait has a thread of its own, which also runs the callback.
#pragma once

#include <functional>
#include <memory>
#include <thread>

#include "platform/event.h"
#include "platform/module_hold.h"
#include "platform/win32_error.h"

namespace platform {

inline constexpr DWORD WT_EXECUTEDEFAULT = 0x0;
inline constexpr DWORD WT_EXECUTEONLYONCE = 0x8;

// WAITORTIMERCALLBACK: the flag is true when the time-out elapsed, false when the event was signalled.
using WaitCallback = std::function<void(bool timed_out)>;

class RegisteredWait {
  public:
    // RegisterWaitForSingleObject: calls `callback` each time `event` is signalled (an auto-reset event is
    // reset by the wait) or `timeout_ms` passes without it (INFINITE: never). With WT_EXECUTEONLYONCE the
    // wait ends after the first callback. ERROR_INVALID_PARAMETER for a null event, an empty callback or
    // an unknown flag; ERROR_NOT_ENOUGH_MEMORY when no thread can be made; `wait` untouched on failure.
    // `module` (null for none), the module whose code `callback` is, stays locked until the wait's thread
    // is done with the callback. Ownership: the caller owns the wait; the wait shares the event.
    [[nodiscard]] static LONG Register(std::shared_ptr<Event> event, WaitCallback callback, DWORD timeout_ms,
                                       DWORD flags, std::unique_ptr<RegisteredWait>* wait,
                                       ModuleLockCount* module = nullptr);

    // UnregisterWait: no further callbacks, a running one is not waited for.
    ~RegisteredWait();
    RegisteredWait(const RegisteredWait&) = delete;
    RegisteredWait& operator=(const RegisteredWait&) = delete;

    // UnregisterWaitEx: no further callbacks. With Completion::Wait also waits for a running callback,
    // except from inside that callback, where it returns ERROR_IO_PENDING instead of deadlocking.
    // Calling it again returns ERROR_SUCCESS.
    [[nodiscard]] LONG Unregister(Completion completion);

  private:
    struct Shared;
    explicit RegisteredWait(std::shared_ptr<Shared> shared) : m_shared(std::move(shared)) {}
    static void Loop(const std::shared_ptr<Shared>& shared);

    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
};

}  // namespace platform
