#include "readonly/readonly_message.h"

#include "platform/message_box.h"
#include "settings/messages.h"

void ShowReadonlyMessage(unsigned message_id) {
    (void)platform::ShowMessageBox(LoadMessage(message_id), LoadMessage(IDS_WARNING),
                                   platform::MB_ICONWARNING);
}
