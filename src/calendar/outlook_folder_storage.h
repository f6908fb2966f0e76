// The flags of a folder, kept in the folder's hidden storage item "VelmarquinSyncStorage".
#pragma once

#include <string>

#include "calendar/outlook_storage.h"
#include "outlook/folder.h"
#include "outlook/storage_item.h"

class COutlookFolderStorage : public IOutlookStorage {
  public:
    // Opens (Outlook creates it on first use) the folder's storage item; a failure is logged and leaves
    // a storage without properties.
    explicit COutlookFolderStorage(outlook::MAPIFolder* folder);

    outlook::ComPtr<outlook::UserProperties> GetUserProperties() override;
    // Saves the storage item. E_POINTER when it could not be opened.
    HRESULT Save() override;

    static const std::string& StorageName();

  private:
    outlook::ComPtr<outlook::StorageItem> m_item;
};
