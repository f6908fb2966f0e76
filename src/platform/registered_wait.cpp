#include "platform/registered_wait.h"

#include <system_error>

namespace platform {

struct RegisteredWait::Shared {
    explicit Shared(ModuleLockCount* module) : hold(module) {}
    ModuleHold hold;  // released after the callback object is gone
    std::shared_ptr<Event> event;
    WaitCallback callback;
    DWORD timeout_ms = INFINITE;
    bool only_once = false;
    Event cancelled{true, false};
};

LONG RegisteredWait::Register(std::shared_ptr<Event> event, WaitCallback callback, DWORD timeout_ms,
                              DWORD flags, std::unique_ptr<RegisteredWait>* wait, ModuleLockCount* module) {
    if (!event || !callback || (flags & ~WT_EXECUTEONLYONCE) != 0)
        return ERROR_INVALID_PARAMETER;
    try {
        auto shared = std::make_shared<Shared>(module);
        shared->event = std::move(event);
        shared->callback = std::move(callback);
        shared->timeout_ms = timeout_ms;
        shared->only_once = (flags & WT_EXECUTEONLYONCE) != 0;
        std::unique_ptr<RegisteredWait> created(new RegisteredWait(shared));
        created->m_thread = std::thread([shared] { Loop(shared); });
        *wait = std::move(created);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    } catch (const std::system_error&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    return ERROR_SUCCESS;
}

RegisteredWait::~RegisteredWait() {
    (void)Unregister(Completion::DontWait);
}

LONG RegisteredWait::Unregister(Completion completion) {
    m_shared->cancelled.Set();
    if (!m_thread.joinable())
        return ERROR_SUCCESS;
    if (m_thread.get_id() == std::this_thread::get_id()) {
        m_thread.detach();
        return completion == Completion::Wait ? ERROR_IO_PENDING : ERROR_SUCCESS;
    }
    if (completion == Completion::Wait)
        m_thread.join();
    else
        m_thread.detach();
    return ERROR_SUCCESS;
}

void RegisteredWait::Loop(const std::shared_ptr<Shared>& shared) {
    for (;;) {
        // The cancel event comes first so that an unregistered wait never consumes a signal.
        const DWORD result = WaitForAnyEvent({&shared->cancelled, shared->event.get()}, shared->timeout_ms);
        if (result == WAIT_OBJECT_0 || result == WAIT_FAILED)
            return;
        shared->callback(result == WAIT_TIMEOUT);
        if (shared->only_once)
            return;
    }
}

}  // namespace platform
