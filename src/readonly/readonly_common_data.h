// What all read-only guards share: the read-only folders (kept in readonly.dat), the items the add-in
// is changing itself, and the folder guards by folder EntryID. Every member is guarded by one lock,
// because the synchronizers call in from their worker thread.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

class CReadonlyHandler;

class CReadonlyCommonData {
  public:
    // Loads the read-only folders from readonly.dat (each record's key is a folder EntryID).
    CReadonlyCommonData();

    bool IsReadonlyFolder(const std::string& folder_entry_id) const;

    // The add-in's own changes: an item ID registered before its write and cleared after it.
    void RegisterOwnChange(const std::string& item_id);
    void ClearOwnChanges();
    bool IsOwnChange(const std::string& item_id) const;

    // Adds the folder to (or removes it from) the set and readonly.dat (record key and value both the
    // EntryID, with the current time), then switches that folder's guard on or off.
    void SetFolderReadonly(const std::string& folder_entry_id, bool readonly);

    // The guard of a folder, registered by the guard itself. Ownership: the guard tree owns the guards;
    // the map holds weak references.
    void RegisterGuard(const std::string& folder_entry_id, const std::weak_ptr<CReadonlyHandler>& guard);
    std::shared_ptr<CReadonlyHandler> FindGuard(const std::string& folder_entry_id) const;

  private:
    mutable std::recursive_mutex m_lock;
    std::set<std::string> m_readonlyFolders;
    std::set<std::string> m_ownChanges;
    std::map<std::string, std::weak_ptr<CReadonlyHandler>> m_guards;
};
