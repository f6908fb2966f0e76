// The add-in's settings page: account, what to synchronize and how often, and a connection test.
// Outlook shows it as a tab of its Options dialog; the first-run dialog hosts the same page.
#pragma once

#include <functional>
#include <string>

#include "platform/dialog.h"

// Runs the principal discovery against a server. Throws CAddinException on failure.
using ConnectionTest =
    std::function<void(const std::string& url, const std::string& user, const std::string& password)>;

// The real test: the current-user-principal request of the account.
void TestDavConnection(const std::string& url, const std::string& user, const std::string& password);

class CZelPropPage : public platform::DialogHandler {
  public:
    CZelPropPage() : CZelPropPage(TestDavConnection) {}
    explicit CZelPropPage(ConnectionTest test_connection) : m_testConnection(std::move(test_connection)) {}

    // Fills the controls from the stored settings (WM_INITDIALOG).
    void OnInitDialog(platform::DialogWindow& window) override;
    void OnCommand(platform::DialogWindow& window, int control_id, int notification) override;

    // PropertyPage::Dirty: true after any user change until Apply.
    bool Dirty() const { return m_dirty; }
    // PropertyPage::Apply: saves the page into the settings.
    void Apply(platform::DialogWindow& window);

    // Called after each user change (the page site's OnStatusChange, which enables Outlook's Apply).
    void SetStatusChangeListener(std::function<void()> listener) { m_onStatusChange = std::move(listener); }

  private:
    void MarkDirty();
    void RunConnectionTest(platform::DialogWindow& window);
    static std::string TakeTrimmed(platform::DialogWindow& window, int id);

    ConnectionTest m_testConnection;
    std::function<void()> m_onStatusChange;
    bool m_dirty = false;
    bool m_loading = false;
};
