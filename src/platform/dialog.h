// Modal dialogs as presenters over an abstract window of controls addressed by id. The host's front end
// implements the window and the service (on the terminal); tests drive presenters with a scripted window.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// Notification codes of WM_COMMAND that presenters react to.
inline constexpr int BN_CLICKED = 0;
inline constexpr int CBN_SELCHANGE = 1;
inline constexpr int EN_CHANGE = 0x0300;

class DialogWindow {
  public:
    virtual ~DialogWindow() = default;
    virtual std::string GetControlText(int id) const = 0;
    virtual void SetControlText(int id, const std::string& text) = 0;
    virtual bool IsChecked(int id) const = 0;
    virtual void SetChecked(int id, bool checked) = 0;
    virtual bool IsEnabled(int id) const = 0;
    virtual void SetEnabled(int id, bool enabled) = 0;
    // Drop-down lists: items with text and item data, at most one selected.
    virtual void ResetComboItems(int id) = 0;
    virtual void AddComboItem(int id, const std::string& text, std::uint32_t data) = 0;
    // The selected item's data; nullopt when nothing is selected.
    virtual std::optional<std::uint32_t> GetComboSelectionData(int id) const = 0;
    // Selects the first item with this data; selects nothing when no item has it.
    virtual void SelectComboItemByData(int id, std::uint32_t data) = 0;
    // Ends a modal dialog with the result.
    virtual void EndDialog(int result) = 0;
};

// The presenter of one dialog.
class DialogHandler {
  public:
    virtual ~DialogHandler() = default;
    virtual void OnInitDialog(DialogWindow& window) = 0;
    // A user action on a control (WM_COMMAND with its notification code).
    virtual void OnCommand(DialogWindow& window, int control_id, int notification) = 0;
    // The default push button: Enter clicks it.
    virtual int DefaultButtonId() const { return 1; }
};

class DialogService {
  public:
    virtual ~DialogService() = default;
    // Shows the dialog of `template_id` modally and returns the result passed to EndDialog.
    virtual int RunModal(int template_id, DialogHandler& handler) = 0;
};

// The process-wide service. Ownership: not owned; the host keeps it alive while the module runs.
void SetDialogService(DialogService* service);

// Runs through the service; without one the dialog is not shown and the answer is IDCANCEL (2).
int RunModalDialog(int template_id, DialogHandler& handler);

}  // namespace platform
