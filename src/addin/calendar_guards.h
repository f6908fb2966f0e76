// The add-in's read-only guards as calendar synchronization sees them.
#pragma once

#include <string>

#include "calendar/calendar_readonly_guards.h"
#include "readonly/readonly_guards.h"

class CCalendarGuards : public ICalendarReadonlyGuards {
  public:
    // `guards` is not owned and must outlive this object.
    explicit CCalendarGuards(CReadonlyGuards* guards) : m_guards(guards) {}

    void SetFolderReadonly(const std::string& folder_entry_id, bool readonly) override {
        m_guards->SetFolderReadonly(folder_entry_id, readonly);
    }
    void RegisterOwnChange(const std::string& item_id) override { m_guards->RegisterOwnChange(item_id); }
    void ClearOwnChanges() override { m_guards->ClearOwnChanges(); }

  private:
    CReadonlyGuards* m_guards;
};
