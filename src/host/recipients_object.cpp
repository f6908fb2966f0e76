#include "host/recipients_object.h"

#include <algorithm>

#include "host/application_object.h"
#include "host/fault_hook.h"
#include "host/recipient_object.h"
#include "outlook/status.h"

namespace host {

RecipientsObject::RecipientsObject(RecordOwner* owner) : keep_(owner->OwnerObject()), owner_(owner) {}

HRESULT RecipientsObject::get_Count(std::int32_t* out) {
    HRESULT hr = CheckFault("Recipients.get_Count");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = static_cast<std::int32_t>(owner_->Record().recipients.size());
    return S_OK;
}

HRESULT RecipientsObject::Item(std::int32_t index, outlook::ComPtr<outlook::Recipient>* out) {
    HRESULT hr = CheckFault("Recipients.Item");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    const auto& list = owner_->Record().recipients;
    if (index < 1 || static_cast<std::size_t>(index) > list.size()) {
        return outlook::DISP_E_BADINDEX;
    }
    *out =
        internal::Make<RecipientObject>(owner_, BagLong(list[static_cast<std::size_t>(index - 1)], "RowId"));
    return S_OK;
}

HRESULT RecipientsObject::Add(const std::string& name, outlook::ComPtr<outlook::Recipient>* out) {
    HRESULT hr = CheckFault("Recipients.Add");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    if (name.empty()) {
        return E_INVALIDARG;
    }
    auto& list = owner_->Record().recipients;
    std::int32_t row_id = 1;
    for (const PropertyBag& recipient : list) {
        row_id = std::max(row_id, BagLong(recipient, "RowId") + 1);
    }
    PropertyBag recipient;
    recipient["RowId"] = row_id;
    recipient["Name"] = name;
    recipient["Resolved"] = false;
    recipient["Type"] = static_cast<std::int32_t>(outlook::olRequired);
    recipient["TrackStatus"] = static_cast<std::int32_t>(outlook::olResponseNone);
    recipient["Flags"] = std::int32_t{1};
    list.push_back(std::move(recipient));
    owner_->MarkChanged();
    *out = internal::Make<RecipientObject>(owner_, row_id);
    return S_OK;
}

HRESULT RecipientsObject::Remove(std::int32_t index) {
    HRESULT hr = CheckFault("Recipients.Remove");
    if (FAILED(hr)) {
        return hr;
    }
    auto& list = owner_->Record().recipients;
    if (index < 1 || static_cast<std::size_t>(index) > list.size()) {
        return outlook::DISP_E_BADINDEX;
    }
    list.erase(list.begin() + (index - 1));
    owner_->MarkChanged();
    return S_OK;
}

HRESULT RecipientsObject::ResolveAll(bool* out) {
    HRESULT hr = CheckFault("Recipients.ResolveAll");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    bool all = true;
    for (PropertyBag& recipient : owner_->Record().recipients) {
        if (!BagBool(recipient, "Resolved") && !RecipientObject::ResolveValues(owner_->App(), &recipient)) {
            all = false;
        }
    }
    owner_->MarkChanged();
    *out = all;
    return S_OK;
}

}  // namespace host
