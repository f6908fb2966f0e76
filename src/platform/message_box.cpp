#include "platform/message_box.h"

#include <atomic>

namespace platform {
namespace {
std::atomic<MessageBoxService*> g_service{nullptr};
}

void SetMessageBoxService(MessageBoxService* service) {
    g_service.store(service);
}

int ShowMessageBox(const std::string& text, const std::string& caption, unsigned flags) {
    if (MessageBoxService* service = g_service.load())
        return service->Show(text, caption, flags);
    switch (flags & 0xF) {
        case MB_YESNOCANCEL:
            return IDCANCEL;
        case MB_YESNO:
            return IDNO;
        default:
            return IDOK;
    }
}

}  // namespace platform
