// The dialog that hosts the settings page with OK and Cancel, shown when a synchronization starts before
// any server is configured.
#pragma once

#include "platform/dialog.h"
#include "ui/zel_prop_page.h"

class CFirstRunDlg : public platform::DialogHandler {
  public:
    CFirstRunDlg() = default;
    explicit CFirstRunDlg(ConnectionTest test_connection) : m_page(std::move(test_connection)) {}

    // Shows the dialog modally: IDOK (the page applied when dirty) or IDCANCEL (nothing saved).
    int DoModal();

    void OnInitDialog(platform::DialogWindow& window) override;
    void OnCommand(platform::DialogWindow& window, int control_id, int notification) override;

  private:
    CZelPropPage m_page;
};
