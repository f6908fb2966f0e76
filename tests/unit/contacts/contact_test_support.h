// Small helpers shared by the contact tests.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "contacts/readonly_guards.h"
#include "platform/message_box.h"
#include "settings/addin_exception.h"
#include "support/scoped_time_zone.h"

namespace contacts_test {

using testing_support::ScopedTimeZone;

// Records what the synchronization asked of the read-only guards.
class RecordingGuards : public IReadonlyGuards {
  public:
    void SetFolderReadonly(const std::string& folder_entry_id, bool readonly) override {
        calls += "readonly(" + folder_entry_id + "," + (readonly ? "1" : "0") + ");";
    }
    void RegisterOwnChange(const std::string& item_id) override { calls += "own(" + item_id + ");"; }
    void ClearOwnChanges() override { calls += "clear;"; }
    std::string calls;
};

// The error the call throws, or none.
template <class Call>
std::optional<CAddinException> ErrorOf(Call call) {
    try {
        call();
    } catch (const CAddinException& error) {
        return error;
    }
    return std::nullopt;
}

// Answers every question with one button and keeps "caption|text|flags" of each.
class ScriptedMessageBoxes : public platform::MessageBoxService {
  public:
    explicit ScriptedMessageBoxes(int answer) : m_answer(answer) { platform::SetMessageBoxService(this); }
    ~ScriptedMessageBoxes() override { platform::SetMessageBoxService(nullptr); }
    int Show(const std::string& text, const std::string& caption, unsigned flags) override {
        shown.push_back(caption + "|" + text + "|" + std::to_string(flags));
        return m_answer;
    }
    std::vector<std::string> shown;

  private:
    int m_answer;
};

}  // namespace contacts_test
