#include "readonly/readonly_common_data.h"

#include "index/index_store.h"
#include "readonly/readonly_handler.h"
#include "settings/log.h"

CReadonlyCommonData::CReadonlyCommonData() {
    SyncIndex index = OpenReadonlyIndex();
    for (const IndexRecord& record : index.Records()) {
        if (!record.ServerId.empty()) {
            m_readonlyFolders.insert(record.ServerId);
        }
    }
}

bool CReadonlyCommonData::IsReadonlyFolder(const std::string& folder_entry_id) const {
    std::lock_guard lock(m_lock);
    return m_readonlyFolders.count(folder_entry_id) != 0;
}

void CReadonlyCommonData::RegisterOwnChange(const std::string& item_id) {
    if (item_id.empty()) {
        return;
    }
    std::lock_guard lock(m_lock);
    m_ownChanges.insert(item_id);
}

void CReadonlyCommonData::ClearOwnChanges() {
    std::lock_guard lock(m_lock);
    m_ownChanges.clear();
}

bool CReadonlyCommonData::IsOwnChange(const std::string& item_id) const {
    std::lock_guard lock(m_lock);
    return !item_id.empty() && m_ownChanges.count(item_id) != 0;
}

void CReadonlyCommonData::SetFolderReadonly(const std::string& folder_entry_id, bool readonly) {
    std::shared_ptr<CReadonlyHandler> guard;
    {
        std::lock_guard lock(m_lock);
        if (readonly) {
            m_readonlyFolders.insert(folder_entry_id);
        } else {
            m_readonlyFolders.erase(folder_entry_id);
        }
        SyncIndex index = OpenReadonlyIndex();
        index.RemoveByServerId(folder_entry_id);
        if (readonly) {
            index.Add(folder_entry_id, folder_entry_id, platform::DateTime::NowUtc());
        }
        if (!index.Save()) {
            Log("CReadonlyCommonData::SetFolderReadonly: Failed to save readonly.dat.");
        }
        auto it = m_guards.find(folder_entry_id);
        if (it != m_guards.end()) {
            guard = it->second.lock();
        }
    }
    // The guard's work fires events whose handlers take the lock again; do it outside.
    if (guard) {
        guard->SetReadonly(readonly);
    }
}

void CReadonlyCommonData::RegisterGuard(const std::string& folder_entry_id,
                                        const std::weak_ptr<CReadonlyHandler>& guard) {
    std::lock_guard lock(m_lock);
    m_guards[folder_entry_id] = guard;
}

std::shared_ptr<CReadonlyHandler> CReadonlyCommonData::FindGuard(const std::string& folder_entry_id) const {
    std::lock_guard lock(m_lock);
    auto it = m_guards.find(folder_entry_id);
    return it == m_guards.end() ? nullptr : it->second.lock();
}
