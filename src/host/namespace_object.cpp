#include "host/namespace_object.h"

#include "host/fault_hook.h"
#include "host/folder_object.h"
#include "host/recipient_object.h"
#include "outlook/status.h"

namespace host {

NameSpaceObject::NameSpaceObject(outlook::ComPtr<ApplicationObject> app) : app_(std::move(app)) {}

HRESULT NameSpaceObject::get_Application(outlook::ComPtr<outlook::Application>* out) {
    HRESULT hr = CheckFault("NameSpace.get_Application");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = outlook::ComPtr<outlook::Application>(app_.get());
    return S_OK;
}

HRESULT NameSpaceObject::Logon(const std::string& /*profile*/, const std::string& /*password*/,
                               bool /*show_dialog*/, bool /*new_session*/) {
    // The store was opened with the application; a logon only reports whether it is usable.
    HRESULT hr = CheckFault("NameSpace.Logon");
    if (FAILED(hr)) {
        return hr;
    }
    return app_->store().IsOpen() ? S_OK : outlook::MAPI_E_NO_SUPPORT;
}

HRESULT NameSpaceObject::Logoff() {
    return CheckFault("NameSpace.Logoff");
}

HRESULT NameSpaceObject::GetDefaultFolder(outlook::OlDefaultFolders folder,
                                          outlook::ComPtr<outlook::MAPIFolder>* out) {
    HRESULT hr = CheckFault("NameSpace.GetDefaultFolder");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    if (folder != outlook::olFolderCalendar && folder != outlook::olFolderContacts &&
        folder != outlook::olFolderSuggestedContacts) {
        return E_INVALIDARG;
    }
    FolderRecord record;
    hr = app_->store().GetDefaultFolder(folder, &record);
    if (SUCCEEDED(hr)) {
        *out = FolderObject::Make(app_, record.row_id);
    }
    return hr;
}

HRESULT NameSpaceObject::GetFolderFromID(const std::string& entry_id,
                                         outlook::ComPtr<outlook::MAPIFolder>* out) {
    HRESULT hr = CheckFault("NameSpace.GetFolderFromID");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    FolderRecord record;
    hr = app_->store().FindFolder(entry_id, &record);
    if (SUCCEEDED(hr)) {
        *out = FolderObject::Make(app_, record.row_id);
    }
    return hr;
}

HRESULT NameSpaceObject::GetItemFromID(const std::string& entry_id,
                                       outlook::ComPtr<outlook::IDispatch>* out) {
    HRESULT hr = CheckFault("NameSpace.GetItemFromID");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    ItemRecord record;
    hr = app_->store().FindItem(entry_id, &record);
    if (FAILED(hr)) {
        return hr;
    }
    if (record.hidden) {
        return outlook::MAPI_E_NOT_FOUND;
    }
    return app_->MakeItem(record, out);
}

HRESULT NameSpaceObject::CreateRecipient(const std::string& recipient_name,
                                         outlook::ComPtr<outlook::Recipient>* out) {
    HRESULT hr = CheckFault("NameSpace.CreateRecipient");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    if (recipient_name.empty()) {
        return E_INVALIDARG;
    }
    PropertyBag values;
    values["Name"] = recipient_name;
    values["Resolved"] = false;
    *out = internal::Make<RecipientObject>(app_, std::move(values));
    return S_OK;
}

}  // namespace host
