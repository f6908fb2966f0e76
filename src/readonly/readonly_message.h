// The guards' message box: the string-table text, caption 355 "Warning", the exclamation icon.
#pragma once

void ShowReadonlyMessage(unsigned message_id);
