// What calendar synchronization asks of the read-only guards: mark a paired calendar folder read-only
// or writable, and let its own writes to appointments pass. The add-in hands in the guards; without
// them (null) nothing is guarded.
#pragma once

#include <string>

class ICalendarReadonlyGuards {
  public:
    virtual ~ICalendarReadonlyGuards() = default;

    // Adds the folder to (or removes it from) the read-only set and readonly.dat.
    virtual void SetFolderReadonly(const std::string& folder_entry_id, bool readonly) = 0;
    // Wraps the synchronizer's own change of an appointment: register before the write, clear after it.
    virtual void RegisterOwnChange(const std::string& item_id) = 0;
    virtual void ClearOwnChanges() = 0;
};
