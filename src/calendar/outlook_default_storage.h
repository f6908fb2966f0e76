// The flags of an item kept in the item's own user properties; they are saved with the item.
#pragma once

#include <utility>

#include "calendar/outlook_storage.h"

template <typename Item>
class COutlookDefaultStorage : public IOutlookStorage {
  public:
    explicit COutlookDefaultStorage(outlook::ComPtr<Item> item) : m_item(std::move(item)) {}

    outlook::ComPtr<outlook::UserProperties> GetUserProperties() override {
        outlook::ComPtr<outlook::UserProperties> properties;
        if (!m_item || FAILED(m_item->get_UserProperties(&properties)))
            return nullptr;
        return properties;
    }
    // The item is saved by its owner.
    HRESULT Save() override { return S_OK; }

  private:
    outlook::ComPtr<Item> m_item;
};
