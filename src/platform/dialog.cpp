#include "platform/dialog.h"

#include <atomic>

#include "platform/message_box.h"

namespace platform {
namespace {
std::atomic<DialogService*> g_service{nullptr};
}

void SetDialogService(DialogService* service) {
    g_service.store(service);
}

int RunModalDialog(int template_id, DialogHandler& handler) {
    if (DialogService* service = g_service.load())
        return service->RunModal(template_id, handler);
    return IDCANCEL;
}

}  // namespace platform
