// The guard of one item of a read-only folder: refuses the user's delete and change of the item.
#pragma once

#include <memory>
#include <string>

#include "outlook/item_events.h"
#include "outlook/outlook_item.h"

class CReadonlyCommonData;

class CItemReadonlyHandler : public outlook::ItemEvents,
                             public std::enable_shared_from_this<CItemReadonlyHandler> {
  public:
    CItemReadonlyHandler(outlook::ComPtr<outlook::OutlookItem> item, std::string item_id,
                         std::string folder_entry_id, std::shared_ptr<CReadonlyCommonData> common);
    ~CItemReadonlyHandler() override;
    CItemReadonlyHandler(const CItemReadonlyHandler&) = delete;
    CItemReadonlyHandler& operator=(const CItemReadonlyHandler&) = delete;

    // Connects to the item's events. False when Outlook refuses.
    bool Advise();
    void Unadvise();

    const std::string& ItemId() const { return m_itemId; }

    void Write(bool* cancel) override;
    void BeforeDelete(outlook::IDispatch* item, bool* cancel) override;

  private:
    bool IsGuarded() const;

    outlook::ComPtr<outlook::OutlookItem> m_item;
    std::string m_itemId;
    std::string m_folderEntryId;
    std::shared_ptr<CReadonlyCommonData> m_common;
    outlook::EventCookie m_cookie = 0;
};
