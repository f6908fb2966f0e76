#include "host/terminal_dialog_window.h"

#include "platform/text.h"

std::string TerminalDialogWindow::GetControlText(int id) const {
    const auto found = controls_.find(id);
    return found == controls_.end() ? std::string() : found->second.text;
}

void TerminalDialogWindow::SetControlText(int id, const std::string& text) {
    controls_[id].text = text;
}

bool TerminalDialogWindow::IsChecked(int id) const {
    const auto found = controls_.find(id);
    return found != controls_.end() && found->second.checked;
}

void TerminalDialogWindow::SetChecked(int id, bool checked) {
    controls_[id].checked = checked;
}

bool TerminalDialogWindow::IsEnabled(int id) const {
    const auto found = controls_.find(id);
    return found == controls_.end() || found->second.enabled;
}

void TerminalDialogWindow::SetEnabled(int id, bool enabled) {
    controls_[id].enabled = enabled;
}

void TerminalDialogWindow::ResetComboItems(int id) {
    controls_[id].items.clear();
    controls_[id].selected = -1;
}

void TerminalDialogWindow::AddComboItem(int id, const std::string& text, std::uint32_t data) {
    controls_[id].items.emplace_back(text, data);
}

std::optional<std::uint32_t> TerminalDialogWindow::GetComboSelectionData(int id) const {
    const auto found = controls_.find(id);
    if (found == controls_.end() || found->second.selected < 0)
        return std::nullopt;
    return found->second.items[static_cast<std::size_t>(found->second.selected)].second;
}

void TerminalDialogWindow::SelectComboItemByData(int id, std::uint32_t data) {
    Control& control = controls_[id];
    control.selected = -1;
    for (std::size_t i = 0; i < control.items.size(); ++i) {
        if (control.items[i].second == data) {
            control.selected = static_cast<int>(i);
            return;
        }
    }
}

bool TerminalDialogWindow::SelectComboItemByText(int id, const std::string& text) {
    Control& control = controls_[id];
    for (std::size_t i = 0; i < control.items.size(); ++i) {
        if (platform::EqualsIgnoreAsciiCase(control.items[i].first, text)) {
            control.selected = static_cast<int>(i);
            return true;
        }
    }
    return false;
}

std::vector<std::string> TerminalDialogWindow::ComboTexts(int id) const {
    std::vector<std::string> texts;
    const auto found = controls_.find(id);
    if (found != controls_.end()) {
        for (const auto& item : found->second.items)
            texts.push_back(item.first);
    }
    return texts;
}

std::string TerminalDialogWindow::ComboSelectionText(int id) const {
    const auto found = controls_.find(id);
    if (found == controls_.end() || found->second.selected < 0)
        return {};
    return found->second.items[static_cast<std::size_t>(found->second.selected)].first;
}

void TerminalDialogWindow::EndDialog(int result) {
    result_ = result;
}
