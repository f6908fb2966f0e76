// The items of one folder. Count and Item read the store each time; GetFirst takes a snapshot that
// GetNext walks. Add makes an item of the folder's kind, which never changes, without reading the
// folder; saving it fails with MAPI_E_OBJECT_DELETED when the folder is gone by then.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "host/application_object.h"
#include "host/internal/com_object.h"
#include "outlook/items.h"

namespace host {

class ItemsObject : public internal::ComObject<outlook::Items> {
  public:
    ItemsObject(outlook::ComPtr<ApplicationObject> app, std::int64_t folder_id,
                outlook::OlItemType item_type);

    [[nodiscard]] HRESULT get_Count(std::int32_t* out) override;
    [[nodiscard]] HRESULT Item(std::int32_t index, outlook::ComPtr<outlook::IDispatch>* out) override;
    [[nodiscard]] HRESULT Add(outlook::ComPtr<outlook::IDispatch>* out) override;
    [[nodiscard]] HRESULT Add(outlook::OlItemType type, outlook::ComPtr<outlook::IDispatch>* out) override;
    [[nodiscard]] HRESULT GetFirst(outlook::ComPtr<outlook::IDispatch>* out) override;
    [[nodiscard]] HRESULT GetNext(outlook::ComPtr<outlook::IDispatch>* out) override;
    [[nodiscard]] HRESULT Advise(const std::shared_ptr<outlook::ItemsEvents>& sink,
                                 outlook::EventCookie* cookie) override;
    [[nodiscard]] HRESULT Unadvise(outlook::EventCookie cookie) override;

  private:
    // The row ids of the folder's saved items, re-listed only when the store changed since the last
    // listing. Only ids: a folder of thousands of items is read one item at a time.
    HRESULT Snapshot(const std::vector<std::int64_t>** out);

    outlook::ComPtr<ApplicationObject> app_;
    std::int64_t folder_id_;
    outlook::OlItemType item_type_;
    std::vector<std::int64_t> snapshot_;
    std::uint64_t snapshot_mark_ = 0;
    bool has_snapshot_ = false;
    std::vector<ItemRecord> walk_;
    std::size_t next_ = 0;
};

}  // namespace host
