#include "host/folders_object.h"

#include "host/fault_hook.h"
#include "host/folder_object.h"
#include "outlook/status.h"

namespace host {

FoldersObject::FoldersObject(outlook::ComPtr<ApplicationObject> app, std::int64_t parent_id)
    : app_(std::move(app)), parent_id_(parent_id) {}

HRESULT FoldersObject::get_Count(std::int32_t* out) {
    HRESULT hr = CheckFault("Folders.get_Count");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    std::vector<FolderRecord> folders;
    hr = app_->store().ListFolders(parent_id_, &folders);
    if (SUCCEEDED(hr)) {
        *out = static_cast<std::int32_t>(folders.size());
    }
    return hr;
}

HRESULT FoldersObject::Item(std::int32_t index, outlook::ComPtr<outlook::MAPIFolder>* out) {
    HRESULT hr = CheckFault("Folders.Item");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    std::vector<FolderRecord> folders;
    hr = app_->store().ListFolders(parent_id_, &folders);
    if (FAILED(hr)) {
        return hr;
    }
    if (index < 1 || static_cast<std::size_t>(index) > folders.size()) {
        return outlook::DISP_E_BADINDEX;
    }
    *out = FolderObject::Make(app_, folders[static_cast<std::size_t>(index - 1)].row_id);
    return S_OK;
}

HRESULT FoldersObject::Add(const std::string& name, outlook::ComPtr<outlook::MAPIFolder>* out) {
    HRESULT hr = CheckFault("Folders.Add");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    FolderRecord folder;
    hr = app_->store().CreateFolder(parent_id_, name, &folder);
    if (FAILED(hr)) {
        return hr;
    }
    auto created = FolderObject::Make(app_, folder.row_id);
    *out = created;
    for (const auto& sink : app_->events().SinksFor<outlook::FoldersEvents>(app_->FolderKey(parent_id_))) {
        sink->FolderAdd(created.get());
    }
    return S_OK;
}

HRESULT FoldersObject::GetFirst(outlook::ComPtr<outlook::MAPIFolder>* out) {
    HRESULT hr = CheckFault("Folders.GetFirst");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    hr = app_->store().ListFolders(parent_id_, &walk_);
    if (FAILED(hr)) {
        return hr;
    }
    next_ = 0;
    return GetNext(out);
}

HRESULT FoldersObject::GetNext(outlook::ComPtr<outlook::MAPIFolder>* out) {
    HRESULT hr = CheckFault("Folders.GetNext");
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
    *out = FolderObject::Make(app_, walk_[next_++].row_id);
    return S_OK;
}

HRESULT FoldersObject::Advise(const std::shared_ptr<outlook::FoldersEvents>& sink,
                              outlook::EventCookie* cookie) {
    return app_->events().Advise(app_->FolderKey(parent_id_), sink, cookie);
}

HRESULT FoldersObject::Unadvise(outlook::EventCookie cookie) {
    return app_->events().Unadvise<outlook::FoldersEvents>(cookie);
}

}  // namespace host
