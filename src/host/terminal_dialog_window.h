// A dialog's controls as the terminal shows them: texts, check boxes, drop-down lists and buttons by id,
// with the labels of the dialog's template.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/dialog.h"
#include "platform/message_box.h"

class TerminalDialogWindow : public platform::DialogWindow {
  public:
    std::string GetControlText(int id) const override;
    void SetControlText(int id, const std::string& text) override;
    bool IsChecked(int id) const override;
    void SetChecked(int id, bool checked) override;
    bool IsEnabled(int id) const override;
    void SetEnabled(int id, bool enabled) override;
    void ResetComboItems(int id) override;
    void AddComboItem(int id, const std::string& text, std::uint32_t data) override;
    std::optional<std::uint32_t> GetComboSelectionData(int id) const override;
    void SelectComboItemByData(int id, std::uint32_t data) override;
    void EndDialog(int result) override;

    // The combo item whose text is `text` (ignoring case): true when one was selected.
    bool SelectComboItemByText(int id, const std::string& text);
    std::vector<std::string> ComboTexts(int id) const;
    std::string ComboSelectionText(int id) const;

    bool ended() const { return result_.has_value(); }
    int result() const { return result_.value_or(platform::IDCANCEL); }

  private:
    struct Control {
        std::string text;
        bool checked = false;
        bool enabled = true;
        std::vector<std::pair<std::string, std::uint32_t>> items;
        int selected = -1;
    };
    std::map<int, Control> controls_;
    std::optional<int> result_;
};
