#include "platform/write_order.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace platform {

namespace {

std::mutex g_lock;
std::vector<EarlierWrites*> g_writes;

}  // namespace

void AddEarlierWrites(EarlierWrites* writes) {
    std::lock_guard<std::mutex> guard(g_lock);
    g_writes.push_back(writes);
}

void RemoveEarlierWrites(EarlierWrites* writes) {
    std::lock_guard<std::mutex> guard(g_lock);
    g_writes.erase(std::remove(g_writes.begin(), g_writes.end(), writes), g_writes.end());
}

bool FlushEarlierWrites() {
    std::lock_guard<std::mutex> guard(g_lock);
    bool all = true;
    for (EarlierWrites* writes : g_writes)
        all = writes->Flush() && all;
    return all;
}

}  // namespace platform
