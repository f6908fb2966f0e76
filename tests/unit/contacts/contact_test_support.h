// Small helpers shared by the contact tests.
#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "contacts/readonly_guards.h"
#include "platform/message_box.h"
#include "settings/addin_exception.h"

namespace contacts_test {

// The process time zone for one test, restored afterwards.
class ScopedTimeZone {
  public:
    explicit ScopedTimeZone(const char* zone) {
        const char* old = std::getenv("TZ");
        m_had = old != nullptr;
        if (m_had)
            m_old = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTimeZone() {
        if (m_had)
            setenv("TZ", m_old.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

  private:
    bool m_had = false;
    std::string m_old;
};

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
