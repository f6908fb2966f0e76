#include "calendar/outlook_folder_storage.h"

#include "settings/log.h"

COutlookFolderStorage::COutlookFolderStorage(outlook::MAPIFolder* folder) {
    if (folder == nullptr)
        return;
    const HRESULT hr = folder->GetStorage(StorageName(), outlook::olIdentifyBySubject, &m_item);
    if (FAILED(hr)) {
        Log("COutlookFolderStorage::COutlookFolderStorage: Unable to open the folder storage. HRESULT: %d.",
            hr);
        m_item = nullptr;
    }
}

outlook::ComPtr<outlook::UserProperties> COutlookFolderStorage::GetUserProperties() {
    outlook::ComPtr<outlook::UserProperties> properties;
    if (!m_item || FAILED(m_item->get_UserProperties(&properties)))
        return nullptr;
    return properties;
}

HRESULT COutlookFolderStorage::Save() {
    return m_item ? m_item->Save() : E_POINTER;
}

const std::string& COutlookFolderStorage::StorageName() {
    static const std::string kName = "VelmarquinSyncStorage";
    return kName;
}
