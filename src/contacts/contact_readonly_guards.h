// The add-in's read-only guards as contact synchronization sees them.
#pragma once

#include <string>

#include "contacts/readonly_guards.h"

class CReadonlyGuards;

class CContactReadonlyGuards : public IReadonlyGuards {
  public:
    // `guards` is not owned and must outlive this object.
    explicit CContactReadonlyGuards(CReadonlyGuards* guards) : m_guards(guards) {}

    void SetFolderReadonly(const std::string& folder_entry_id, bool readonly) override;
    void RegisterOwnChange(const std::string& item_id) override;
    void ClearOwnChanges() override;

  private:
    CReadonlyGuards* m_guards;
};
