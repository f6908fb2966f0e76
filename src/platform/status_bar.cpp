#include "platform/status_bar.h"

#include <mutex>

namespace platform {

namespace {

std::mutex g_lock;
StatusBarService* g_service = nullptr;

}  // namespace

void SetStatusBarService(StatusBarService* service) {
    std::lock_guard<std::mutex> guard(g_lock);
    g_service = service;
}

bool SetStatusBarText(const std::string& text) {
    std::lock_guard<std::mutex> guard(g_lock);
    if (g_service == nullptr)
        return false;
    g_service->SetText(text);
    return true;
}

bool SetStatusBarProgress(const std::string& text, int done, int total) {
    std::lock_guard<std::mutex> guard(g_lock);
    if (g_service == nullptr)
        return false;
    g_service->SetProgress(text, done, total);
    return true;
}

}  // namespace platform
