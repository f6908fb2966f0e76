// Events in the shape of the Win32 calls (CreateEventW, SetEvent, ResetEvent, WaitForSingleObject,
// WaitForMultipleObjects). A handle is a shared pointer: closing it is dropping the reference, and a
// wait that still holds the event keeps it alive.
#pragma once

#include <memory>
#include <vector>

#include "platform/win32_error.h"

namespace platform {

inline constexpr DWORD INFINITE = 0xFFFFFFFFu;
inline constexpr DWORD WAIT_OBJECT_0 = 0;
inline constexpr DWORD WAIT_TIMEOUT = 258;
inline constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;
// Win32's answer to a non-blocking deletion while a callback still runs.
inline constexpr LONG ERROR_IO_PENDING = 997;

// Whether deleting a timer or a registered wait also waits for a callback that is running
// (INVALID_HANDLE_VALUE as the completion event) or returns at once (NULL).
enum class Completion { Wait, DontWait };

class Event {
  public:
    // CreateEventW without a name. ERROR_NOT_ENOUGH_MEMORY when it cannot be made; `event` untouched then.
    // Ownership: the caller shares the event.
    [[nodiscard]] static LONG Create(bool manual_reset, bool initial_state, std::shared_ptr<Event>* event);

    Event(bool manual_reset, bool initial_state) : m_manualReset(manual_reset), m_signaled(initial_state) {}
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    // SetEvent: wakes every waiter of a manual-reset event, one waiter of an auto-reset event.
    void Set();
    void Reset();
    // WaitForSingleObject: WAIT_OBJECT_0 once signalled (an auto-reset event is reset by the wait), or
    // WAIT_TIMEOUT after `timeout_ms` (INFINITE waits for ever).
    [[nodiscard]] DWORD Wait(DWORD timeout_ms);

  private:
    friend DWORD WaitForAnyEvent(const std::vector<Event*>& events, DWORD timeout_ms);

    const bool m_manualReset;
    bool m_signaled;  // guarded by the process-wide event lock
};

// WaitForMultipleObjects with wait-all false: WAIT_OBJECT_0 + the index of the first signalled event
// (earlier entries win when several are), WAIT_TIMEOUT, or WAIT_FAILED for an empty list or a null entry.
[[nodiscard]] DWORD WaitForAnyEvent(const std::vector<Event*>& events, DWORD timeout_ms);

}  // namespace platform
