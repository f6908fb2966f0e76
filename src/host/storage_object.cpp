#include "host/storage_object.h"

#include "host/fault_hook.h"
#include "host/user_properties_object.h"

namespace host {

StorageObject::StorageObject(outlook::ComPtr<ApplicationObject> app, ItemRecord record)
    : app_(std::move(app)), record_(std::move(record)) {}

HRESULT StorageObject::get_Subject(std::string* out) {
    HRESULT hr = CheckFault("StorageItem.get_Subject");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = BagText(record_.fields, "Subject");
    return S_OK;
}

HRESULT StorageObject::get_UserProperties(outlook::ComPtr<outlook::UserProperties>* out) {
    HRESULT hr = CheckFault("StorageItem.get_UserProperties");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = internal::Make<UserPropertiesObject>(static_cast<RecordOwner*>(this));
    return S_OK;
}

HRESULT StorageObject::Save() {
    HRESULT hr = CheckFault("StorageItem.Save");
    return FAILED(hr) ? hr : app_->store().SaveItem(&record_);
}

HRESULT StorageObject::Delete() {
    HRESULT hr = CheckFault("StorageItem.Delete");
    if (FAILED(hr)) {
        return hr;
    }
    if (record_.row_id == 0) {
        return S_OK;
    }
    hr = app_->store().DeleteItem(record_.row_id);
    if (SUCCEEDED(hr)) {
        record_.row_id = 0;
    }
    return hr;
}

}  // namespace host
