// Small helpers shared by the contact unit tests.
#pragma once

#include <cstdlib>
#include <ctime>
#include <string>

#include "contacts/readonly_guards.h"
#include "platform/file_system.h"

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

inline std::string ReadData(const std::string& name) {
    std::string text;
    if (platform::ReadWholeFile(std::string(VELSYNC_CONTACTS_DATA) + "/" + name, &text) != 0)
        return "<missing " + name + ">";
    return text;
}

}  // namespace contacts_test
