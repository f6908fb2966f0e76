#include "contacts/contact_readonly_guards.h"

#include "readonly/readonly_guards.h"

void CContactReadonlyGuards::SetFolderReadonly(const std::string& folder_entry_id, bool readonly) {
    m_guards->SetFolderReadonly(folder_entry_id, readonly);
}

void CContactReadonlyGuards::RegisterOwnChange(const std::string& item_id) {
    m_guards->RegisterOwnChange(item_id);
}

void CContactReadonlyGuards::ClearOwnChanges() {
    m_guards->ClearOwnChanges();
}
