#include "ui/first_run_dlg.h"

#include "platform/message_box.h"
#include "ui/dialog_ids.h"

int CFirstRunDlg::DoModal() {
    return platform::RunModalDialog(IDD_FIRSTRUN, *this);
}

void CFirstRunDlg::OnInitDialog(platform::DialogWindow& window) {
    m_page.OnInitDialog(window);
}

void CFirstRunDlg::OnCommand(platform::DialogWindow& window, int control_id, int notification) {
    if (control_id == IDC_OK && notification == platform::BN_CLICKED) {
        if (m_page.Dirty())
            m_page.Apply(window);
        window.EndDialog(platform::IDOK);
    } else if (control_id == IDC_CANCEL && notification == platform::BN_CLICKED) {
        window.EndDialog(platform::IDCANCEL);
    } else {
        m_page.OnCommand(window, control_id, notification);
    }
}
