#include "platform/thread.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <system_error>

namespace platform {

struct Thread::State {
    explicit State(ModuleLockCount* module) : hold(module) {}
    ModuleHold hold;  // released after the procedure object is gone
    Procedure procedure;
    std::atomic<DWORD> exit_code{STILL_ACTIVE};
    Event finished{true, false};
};

namespace {

// The last thing a thread does, after its other thread_local objects are gone (an apartment the
// procedure left behind has ended by then), as a Windows thread handle is signalled only once the thread
// has fully ended. Constructed first in the thread, so destroyed last.
struct ExitSignal {
    std::function<void()> finish;
    ~ExitSignal() {
        if (finish)
            finish();
    }
};
thread_local ExitSignal t_exitSignal;

}  // namespace

DWORD GetCurrentThreadId() {
    return static_cast<DWORD>(syscall(SYS_gettid));
}

LONG Thread::Start(Procedure procedure, std::unique_ptr<Thread>* thread, ModuleLockCount* module) {
    if (!procedure)
        return ERROR_INVALID_PARAMETER;
    try {
        auto state = std::make_shared<State>(module);
        state->procedure = std::move(procedure);
        std::unique_ptr<Thread> started(new Thread(state));
        // The thread keeps its own reference: the handle may be closed while it runs.
        started->m_thread = std::thread([state] {
            auto code = std::make_shared<unsigned>(0);
            t_exitSignal.finish = [state, code] {
                state->exit_code = *code;
                state->finished.Set();
            };
            *code = state->procedure();
            state->procedure = nullptr;
        });
        *thread = std::move(started);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    } catch (const std::system_error&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    return ERROR_SUCCESS;
}

Thread::~Thread() {
    if (!m_thread.joinable())
        return;
    // A finished thread is joined so its resources go now; a running one (or the thread closing its own
    // handle) is let go.
    if (m_state->exit_code != STILL_ACTIVE && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
    else
        m_thread.detach();
}

DWORD Thread::Wait(DWORD timeout_ms) {
    return m_state->finished.Wait(timeout_ms);
}

}  // namespace platform
