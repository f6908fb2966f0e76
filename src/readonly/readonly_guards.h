// The read-only guards of one add-in instance: set up over the Application when the add-in connects,
// told by the synchronizers which folders are read-only and which changes are their own.
#pragma once

#include <memory>
#include <string>

#include "outlook/application.h"

class CReadonlyCommonData;
class CReadonlyHandler;

class CReadonlyGuards {
  public:
    CReadonlyGuards();
    ~CReadonlyGuards();
    CReadonlyGuards(const CReadonlyGuards&) = delete;
    CReadonlyGuards& operator=(const CReadonlyGuards&) = delete;

    // Loads readonly.dat and watches the trees below the default Contacts (10), Suggested Contacts (30)
    // and Calendar (9) folders; a missing default folder is skipped.
    void SetUp(outlook::Application* application);
    // Stops watching (the add-in disconnects). The read-only set stays in readonly.dat.
    void Shutdown();

    void RegisterOwnChange(const std::string& item_id);
    void ClearOwnChanges();
    void SetFolderReadonly(const std::string& folder_entry_id, bool readonly);
    // Remakes the item guards of that folder; an unknown folder is ignored.
    void RefreshFolderGuards(const std::string& folder_entry_id);
    bool IsReadonlyFolder(const std::string& folder_entry_id) const;

  private:
    std::shared_ptr<CReadonlyCommonData> m_common;
    std::shared_ptr<CReadonlyHandler> m_contacts;
    std::shared_ptr<CReadonlyHandler> m_suggested;
    std::shared_ptr<CReadonlyHandler> m_calendar;
};
