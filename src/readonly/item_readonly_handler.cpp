#include "readonly/item_readonly_handler.h"

#include "readonly/readonly_common_data.h"
#include "readonly/readonly_message.h"
#include "settings/messages.h"

CItemReadonlyHandler::CItemReadonlyHandler(outlook::ComPtr<outlook::OutlookItem> item, std::string item_id,
                                           std::string folder_entry_id,
                                           std::shared_ptr<CReadonlyCommonData> common)
    : m_item(std::move(item)),
      m_itemId(std::move(item_id)),
      m_folderEntryId(std::move(folder_entry_id)),
      m_common(std::move(common)) {}

CItemReadonlyHandler::~CItemReadonlyHandler() {
    Unadvise();
}

bool CItemReadonlyHandler::Advise() {
    return m_cookie != 0 || SUCCEEDED(m_item->Advise(shared_from_this(), &m_cookie));
}

void CItemReadonlyHandler::Unadvise() {
    if (m_cookie != 0) {
        (void)m_item->Unadvise(m_cookie);
        m_cookie = 0;
    }
}

bool CItemReadonlyHandler::IsGuarded() const {
    return m_common->IsReadonlyFolder(m_folderEntryId) && !m_common->IsOwnChange(m_itemId);
}

void CItemReadonlyHandler::Write(bool* cancel) {
    // The store can refuse a write cleanly, so a user's change of a read-only item is refused, not
    // merely warned about: it would be lost at the next synchronization anyway.
    if (IsGuarded()) {
        *cancel = true;
        ShowReadonlyMessage(IDS_ITEM_READ_ONLY);
    }
}

void CItemReadonlyHandler::BeforeDelete(outlook::IDispatch* /*item*/, bool* cancel) {
    if (IsGuarded()) {
        *cancel = true;
        ShowReadonlyMessage(IDS_ITEM_READ_ONLY);
    }
}
