#include "ui/sync_exists_warning_dialog.h"

#include "platform/message_box.h"
#include "settings/messages.h"
#include "ui/dialog_ids.h"

int CSyncExistsWarningDialog::DoModal() {
    return platform::RunModalDialog(IDD_SYNC_EXISTS_WARNING, *this);
}

void CSyncExistsWarningDialog::OnInitDialog(platform::DialogWindow& window) {
    window.SetControlText(IDC_WARNING_TEXT, m_text);
    window.SetControlText(IDC_WARNING_FIRST, LoadMessage(m_firstCaptionId));
    window.SetControlText(IDC_WARNING_SECOND, LoadMessage(m_secondCaptionId));
    window.SetControlText(IDC_WARNING_THIRD, LoadMessage(m_thirdCaptionId));
}

void CSyncExistsWarningDialog::OnCommand(platform::DialogWindow& window, int control_id, int notification) {
    if (notification != platform::BN_CLICKED)
        return;
    switch (control_id) {
        case IDC_WARNING_FIRST:
            window.EndDialog(platform::IDYES);
            break;
        case IDC_WARNING_SECOND:
            window.EndDialog(platform::IDNO);
            break;
        case IDC_WARNING_THIRD:
            window.EndDialog(platform::IDCANCEL);
            break;
        default:
            break;
    }
}

int CSyncExistsWarningDialog::DefaultButtonId() const {
    return IDC_WARNING_SECOND;
}
