#include "host/items_object.h"

#include "host/fault_hook.h"
#include "outlook/status.h"

namespace host {

ItemsObject::ItemsObject(outlook::ComPtr<ApplicationObject> app, std::int64_t folder_id,
                         outlook::OlItemType item_type)
    : app_(std::move(app)), folder_id_(folder_id), item_type_(item_type) {}

HRESULT ItemsObject::Snapshot(const std::vector<std::int64_t>** out) {
    const std::uint64_t mark = app_->store().ChangeMark();
    if (!has_snapshot_ || mark != snapshot_mark_) {
        HRESULT hr = app_->store().ListItemIds(folder_id_, &snapshot_);
        if (FAILED(hr)) {
            has_snapshot_ = false;
            return hr;
        }
        snapshot_mark_ = mark;
        has_snapshot_ = true;
    }
    *out = &snapshot_;
    return S_OK;
}

HRESULT ItemsObject::get_Count(std::int32_t* out) {
    HRESULT hr = CheckFault("Items.get_Count");
    if (FAILED(hr)) {
        return hr;
    }
    return out == nullptr ? E_POINTER : app_->store().CountItems(folder_id_, out);
}

HRESULT ItemsObject::Item(std::int32_t index, outlook::ComPtr<outlook::IDispatch>* out) {
    HRESULT hr = CheckFault("Items.Item");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    const std::vector<std::int64_t>* ids = nullptr;
    hr = Snapshot(&ids);
    if (FAILED(hr)) {
        return hr;
    }
    if (index < 1 || static_cast<std::size_t>(index) > ids->size()) {
        return outlook::DISP_E_BADINDEX;
    }
    ItemRecord record;
    hr = app_->store().LoadItem((*ids)[static_cast<std::size_t>(index - 1)], &record);
    return FAILED(hr) ? hr : app_->MakeItem(record, out);
}

HRESULT ItemsObject::Add(outlook::ComPtr<outlook::IDispatch>* out) {
    HRESULT hr = CheckFault("Items.Add");
    if (FAILED(hr)) {
        return hr;
    }
    return app_->NewItem(item_type_, folder_id_, out);
}

HRESULT ItemsObject::Add(outlook::OlItemType type, outlook::ComPtr<outlook::IDispatch>* out) {
    HRESULT hr = CheckFault("Items.Add");
    if (FAILED(hr)) {
        return hr;
    }
    const bool fits = item_type_ == outlook::olContactItem
                          ? (type == outlook::olContactItem || type == outlook::olDistributionListItem)
                          : type == item_type_;
    return fits ? app_->NewItem(type, folder_id_, out) : E_INVALIDARG;
}

HRESULT ItemsObject::GetFirst(outlook::ComPtr<outlook::IDispatch>* out) {
    HRESULT hr = CheckFault("Items.GetFirst");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    hr = app_->store().ListItems(folder_id_, false, &walk_);
    if (FAILED(hr)) {
        return hr;
    }
    next_ = 0;
    return GetNext(out);
}

HRESULT ItemsObject::GetNext(outlook::ComPtr<outlook::IDispatch>* out) {
    HRESULT hr = CheckFault("Items.GetNext");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    if (next_ >= walk_.size()) {
        *out = nullptr;
        return S_OK;
    }
    return app_->MakeItem(walk_[next_++], out);
}

HRESULT ItemsObject::Advise(const std::shared_ptr<outlook::ItemsEvents>& sink, outlook::EventCookie* cookie) {
    return app_->events().Advise(app_->FolderKey(folder_id_), sink, cookie);
}

HRESULT ItemsObject::Unadvise(outlook::EventCookie cookie) {
    return app_->events().Unadvise<outlook::ItemsEvents>(cookie);
}

}  // namespace host
