#include "host/folder_object.h"

#include "host/fault_hook.h"
#include "host/folders_object.h"
#include "host/items_object.h"
#include "host/storage_object.h"
#include "outlook/status.h"

namespace host {

FolderObject::FolderObject(outlook::ComPtr<ApplicationObject> app, std::int64_t row_id)
    : app_(std::move(app)), row_id_(row_id) {}

outlook::ComPtr<FolderObject> FolderObject::Make(const outlook::ComPtr<ApplicationObject>& app,
                                                 std::int64_t row_id) {
    return internal::Make<FolderObject>(app, row_id);
}

HRESULT FolderObject::Load(const char* member, FolderRecord* out) {
    HRESULT hr = CheckFault(member);
    return FAILED(hr) ? hr : app_->store().GetFolder(row_id_, out);
}

HRESULT FolderObject::Update(const char* member, const FolderRecord& folder) {
    HRESULT hr = CheckFault(member);
    return FAILED(hr) ? hr : app_->store().UpdateFolder(folder);
}

void FolderObject::FireFolderChange(const FolderRecord& folder) {
    if (folder.parent_id == 0) {
        return;
    }
    for (const auto& sink :
         app_->events().SinksFor<outlook::FoldersEvents>(app_->FolderKey(folder.parent_id))) {
        sink->FolderChange(this);
    }
}

HRESULT FolderObject::get_Application(outlook::ComPtr<outlook::Application>* out) {
    HRESULT hr = CheckFault("MAPIFolder.get_Application");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = outlook::ComPtr<outlook::Application>(app_.get());
    return S_OK;
}

HRESULT FolderObject::get_EntryID(std::string* out) {
    FolderRecord folder;
    HRESULT hr = out == nullptr ? E_POINTER : Load("MAPIFolder.get_EntryID", &folder);
    if (SUCCEEDED(hr)) {
        *out = folder.entry_id;
    }
    return hr;
}

HRESULT FolderObject::get_StoreID(std::string* out) {
    HRESULT hr = out == nullptr ? E_POINTER : CheckFault("MAPIFolder.get_StoreID");
    if (SUCCEEDED(hr)) {
        *out = app_->store().StoreId();
    }
    return hr;
}

HRESULT FolderObject::get_Name(std::string* out) {
    FolderRecord folder;
    HRESULT hr = out == nullptr ? E_POINTER : Load("MAPIFolder.get_Name", &folder);
    if (SUCCEEDED(hr)) {
        *out = folder.name;
    }
    return hr;
}

HRESULT FolderObject::put_Name(const std::string& value) {
    FolderRecord folder;
    HRESULT hr = Load("MAPIFolder.put_Name", &folder);
    if (FAILED(hr)) {
        return hr;
    }
    folder.name = value;
    hr = Update("MAPIFolder.put_Name", folder);
    if (SUCCEEDED(hr)) {
        FireFolderChange(folder);
    }
    return hr;
}

HRESULT FolderObject::get_Description(std::string* out) {
    FolderRecord folder;
    HRESULT hr = out == nullptr ? E_POINTER : Load("MAPIFolder.get_Description", &folder);
    if (SUCCEEDED(hr)) {
        *out = folder.description;
    }
    return hr;
}

HRESULT FolderObject::put_Description(const std::string& value) {
    FolderRecord folder;
    HRESULT hr = Load("MAPIFolder.put_Description", &folder);
    if (FAILED(hr)) {
        return hr;
    }
    folder.description = value;
    hr = Update("MAPIFolder.put_Description", folder);
    if (SUCCEEDED(hr)) {
        FireFolderChange(folder);
    }
    return hr;
}

HRESULT FolderObject::get_DefaultItemType(outlook::OlItemType* out) {
    FolderRecord folder;
    HRESULT hr = out == nullptr ? E_POINTER : Load("MAPIFolder.get_DefaultItemType", &folder);
    if (SUCCEEDED(hr)) {
        *out = folder.item_type;
    }
    return hr;
}

HRESULT FolderObject::get_ShowAsOutlookAB(bool* out) {
    FolderRecord folder;
    HRESULT hr = out == nullptr ? E_POINTER : Load("MAPIFolder.get_ShowAsOutlookAB", &folder);
    if (SUCCEEDED(hr)) {
        *out = folder.show_as_address_book;
    }
    return hr;
}

HRESULT FolderObject::put_ShowAsOutlookAB(bool value) {
    FolderRecord folder;
    HRESULT hr = Load("MAPIFolder.put_ShowAsOutlookAB", &folder);
    if (FAILED(hr)) {
        return hr;
    }
    folder.show_as_address_book = value;
    return Update("MAPIFolder.put_ShowAsOutlookAB", folder);
}

HRESULT FolderObject::get_Parent(outlook::ComPtr<outlook::MAPIFolder>* out) {
    FolderRecord folder;
    HRESULT hr = out == nullptr ? E_POINTER : Load("MAPIFolder.get_Parent", &folder);
    if (SUCCEEDED(hr)) {
        *out = folder.parent_id == 0 ? outlook::ComPtr<outlook::MAPIFolder>()
                                     : outlook::ComPtr<outlook::MAPIFolder>(Make(app_, folder.parent_id));
    }
    return hr;
}

HRESULT FolderObject::get_Items(outlook::ComPtr<outlook::Items>* out) {
    FolderRecord folder;
    HRESULT hr = out == nullptr ? E_POINTER : Load("MAPIFolder.get_Items", &folder);
    if (SUCCEEDED(hr)) {
        *out = internal::Make<ItemsObject>(app_, folder.row_id, folder.item_type);
    }
    return hr;
}

HRESULT FolderObject::get_Folders(outlook::ComPtr<outlook::Folders>* out) {
    FolderRecord folder;
    HRESULT hr = out == nullptr ? E_POINTER : Load("MAPIFolder.get_Folders", &folder);
    if (SUCCEEDED(hr)) {
        *out = internal::Make<FoldersObject>(app_, folder.row_id);
    }
    return hr;
}

HRESULT FolderObject::Delete() {
    FolderRecord folder;
    HRESULT hr = Load("MAPIFolder.Delete", &folder);
    if (FAILED(hr)) {
        return hr;
    }
    if (folder.default_folder != 0) {
        return outlook::MAPI_E_NO_SUPPORT;
    }
    outlook::ComPtr<FolderObject> keep(this);
    for (const auto& sink : app_->events().SinksFor<outlook::FolderEvents>(folder.entry_id)) {
        bool cancel = false;
        sink->BeforeFolderMove(nullptr, &cancel);
        if (cancel) {
            return outlook::MAPI_E_USER_CANCEL;
        }
    }
    hr = app_->store().DeleteFolder(row_id_);
    if (FAILED(hr)) {
        return hr;
    }
    for (const auto& sink :
         app_->events().SinksFor<outlook::FoldersEvents>(app_->FolderKey(folder.parent_id))) {
        sink->FolderRemove();
    }
    return S_OK;
}

HRESULT FolderObject::MoveTo(outlook::MAPIFolder* destination) {
    FolderRecord folder;
    HRESULT hr = Load("MAPIFolder.MoveTo", &folder);
    if (FAILED(hr)) {
        return hr;
    }
    auto* target = dynamic_cast<FolderObject*>(destination);
    if (target == nullptr) {
        return E_INVALIDARG;
    }
    FolderRecord target_folder;
    hr = app_->store().GetFolder(target->row_id(), &target_folder);
    if (FAILED(hr)) {
        return hr;
    }
    if (target_folder.item_type != folder.item_type &&
        !(target_folder.item_type == outlook::olContactItem && folder.item_type == outlook::olContactItem)) {
        return E_INVALIDARG;
    }
    outlook::ComPtr<FolderObject> keep(this);
    for (const auto& sink : app_->events().SinksFor<outlook::FolderEvents>(folder.entry_id)) {
        bool cancel = false;
        sink->BeforeFolderMove(target, &cancel);
        if (cancel) {
            return outlook::MAPI_E_USER_CANCEL;
        }
    }
    hr = app_->store().MoveFolder(row_id_, target_folder.row_id);
    if (FAILED(hr)) {
        return hr;
    }
    for (const auto& sink :
         app_->events().SinksFor<outlook::FoldersEvents>(app_->FolderKey(folder.parent_id))) {
        sink->FolderRemove();
    }
    for (const auto& sink : app_->events().SinksFor<outlook::FoldersEvents>(target_folder.entry_id)) {
        sink->FolderAdd(this);
    }
    return S_OK;
}

HRESULT FolderObject::GetStorage(const std::string& storage_id, outlook::OlStorageIdentifierType type,
                                 outlook::ComPtr<outlook::StorageItem>* out) {
    FolderRecord folder;
    HRESULT hr = out == nullptr ? E_POINTER : Load("MAPIFolder.GetStorage", &folder);
    if (FAILED(hr)) {
        return hr;
    }
    if (storage_id.empty() || type != outlook::olIdentifyBySubject) {
        return E_INVALIDARG;
    }
    ItemRecord record;
    hr = app_->store().FindStorage(folder.row_id, storage_id, &record);
    if (hr == outlook::MAPI_E_NOT_FOUND) {
        record = ItemRecord();
        record.entry_id = app_->store().NewEntryId();
        record.folder_id = folder.row_id;
        record.kind = outlook::olMailItem;
        record.hidden = true;
        record.fields["Subject"] = storage_id;
        hr = S_OK;
    }
    if (SUCCEEDED(hr)) {
        *out = internal::Make<StorageObject>(app_, std::move(record));
    }
    return hr;
}

HRESULT FolderObject::Advise(const std::shared_ptr<outlook::FolderEvents>& sink,
                             outlook::EventCookie* cookie) {
    FolderRecord folder;
    HRESULT hr = Load("MAPIFolder.Advise", &folder);
    return FAILED(hr) ? hr : app_->events().Advise(folder.entry_id, sink, cookie);
}

HRESULT FolderObject::Unadvise(outlook::EventCookie cookie) {
    return app_->events().Unadvise<outlook::FolderEvents>(cookie);
}

}  // namespace host
