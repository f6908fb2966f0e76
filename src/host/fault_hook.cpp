#include "host/fault_hook.h"

#include <atomic>
#include <map>
#include <mutex>

namespace host {
namespace {

struct Fault {
    HRESULT hr = S_OK;
    int remaining = -1;
};

std::mutex g_mutex;
std::map<std::string, Fault>& Faults() {
    static std::map<std::string, Fault> faults;
    return faults;
}
// Most runs set no fault; this keeps the common path free of the lock.
std::atomic<bool> g_any{false};

}  // namespace

void SetFault(const std::string& member, HRESULT hr, int count) {
    std::lock_guard lock(g_mutex);
    Faults()[member] = Fault{hr, count};
    g_any = true;
}

void ClearFaults() {
    std::lock_guard lock(g_mutex);
    Faults().clear();
    g_any = false;
}

HRESULT CheckFault(const char* member) {
    if (!g_any) {
        return S_OK;
    }
    std::lock_guard lock(g_mutex);
    auto it = Faults().find(member);
    if (it == Faults().end()) {
        return S_OK;
    }
    const HRESULT hr = it->second.hr;
    if (it->second.remaining > 0 && --it->second.remaining == 0) {
        Faults().erase(it);
    }
    return hr;
}

}  // namespace host
