// A dialog window in memory: controls by id, so tests drive dialog presenters as a user would.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/dialog.h"

namespace testing_support {

class ScriptedDialogWindow : public platform::DialogWindow {
  public:
    struct Control {
        std::string text;
        bool checked = false;
        bool enabled = true;
        std::vector<std::pair<std::string, std::uint32_t>> items;
        std::optional<std::size_t> selected;
    };

    std::string GetControlText(int id) const override { return Find(id).text; }
    void SetControlText(int id, const std::string& text) override { controls[id].text = text; }
    bool IsChecked(int id) const override { return Find(id).checked; }
    void SetChecked(int id, bool checked) override { controls[id].checked = checked; }
    bool IsEnabled(int id) const override { return Find(id).enabled; }
    void SetEnabled(int id, bool enabled) override { controls[id].enabled = enabled; }
    void ResetComboItems(int id) override {
        controls[id].items.clear();
        controls[id].selected.reset();
    }
    void AddComboItem(int id, const std::string& text, std::uint32_t data) override {
        controls[id].items.emplace_back(text, data);
    }
    std::optional<std::uint32_t> GetComboSelectionData(int id) const override {
        const Control& control = Find(id);
        if (!control.selected)
            return std::nullopt;
        return control.items[*control.selected].second;
    }
    void SelectComboItemByData(int id, std::uint32_t data) override {
        Control& control = controls[id];
        control.selected.reset();
        for (std::size_t i = 0; i < control.items.size(); ++i) {
            if (control.items[i].second == data) {
                control.selected = i;
                return;
            }
        }
    }
    void EndDialog(int result) override { end_result = result; }

    // The text of the selected item, or "" when nothing is selected.
    std::string SelectedText(int id) const {
        const Control& control = Find(id);
        return control.selected ? control.items[*control.selected].first : std::string();
    }

    std::map<int, Control> controls;
    std::optional<int> end_result;

  private:
    const Control& Find(int id) const {
        static const Control kEmpty;
        const auto found = controls.find(id);
        return found == controls.end() ? kEmpty : found->second;
    }
};

// Runs a presenter as a modal dialog would: init, then the scripted user actions, until EndDialog.
class ScriptedDialogService : public platform::DialogService {
  public:
    using Action = std::function<void(platform::DialogHandler&, ScriptedDialogWindow&)>;

    int RunModal(int template_id, platform::DialogHandler& handler) override {
        shown_templates.push_back(template_id);
        window = ScriptedDialogWindow();
        handler.OnInitDialog(window);
        for (const Action& action : actions) {
            if (window.end_result)
                break;
            action(handler, window);
        }
        return window.end_result.value_or(-1);
    }

    std::vector<Action> actions;
    std::vector<int> shown_templates;
    ScriptedDialogWindow window;
};

}  // namespace testing_support
