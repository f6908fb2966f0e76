// The members every item kind shares (OutlookItem), over the item's record held in memory until Save.
// Changes become visible to other objects and sessions only at Save; events fire for every change.
#pragma once

#include <memory>
#include <string>

#include "host/application_object.h"
#include "host/fault_hook.h"
#include "host/folder_object.h"
#include "host/internal/com_object.h"
#include "host/record_owner.h"
#include "host/user_properties_object.h"
#include "outlook/folder.h"
#include "outlook/namespace.h"
#include "outlook/outlook_item.h"
#include "outlook/status.h"

namespace host {

template <class Interface>
class ItemObject : public internal::ComObject<Interface, outlook::OutlookItem>, public RecordOwner {
  public:
    ItemObject(outlook::ComPtr<ApplicationObject> app, ItemRecord record, const char* interface_name)
        : app_(std::move(app)), record_(std::move(record)), interface_name_(interface_name) {
        saved_ = record_.row_id != 0;
    }

    // RecordOwner
    ItemRecord& Record() override { return record_; }
    void MarkChanged() override { saved_ = false; }
    outlook::IUnknown* OwnerObject() override { return static_cast<Interface*>(this); }
    ApplicationObject* App() override { return app_.get(); }
    [[nodiscard]] HRESULT SaveOwner() override { return this->Save(); }

    [[nodiscard]] HRESULT get_Application(outlook::ComPtr<outlook::Application>* out) override {
        return Return("OutlookItem.get_Application", out, outlook::ComPtr<outlook::Application>(app_.get()));
    }
    [[nodiscard]] HRESULT get_Session(outlook::ComPtr<outlook::NameSpace>* out) override {
        HRESULT hr = Check("OutlookItem.get_Session", out);
        return FAILED(hr) ? hr : app_->get_Session(out);
    }
    [[nodiscard]] HRESULT get_Parent(outlook::ComPtr<outlook::MAPIFolder>* out) override {
        HRESULT hr = Check("OutlookItem.get_Parent", out);
        if (FAILED(hr)) {
            return hr;
        }
        *out = FolderObject::Make(app_, record_.folder_id);
        return S_OK;
    }
    [[nodiscard]] HRESULT get_Class(outlook::OlItemType* out) override {
        return Return("OutlookItem.get_Class", out, record_.kind);
    }
    [[nodiscard]] HRESULT get_EntryID(std::string* out) override {
        HRESULT hr = Check("OutlookItem.get_EntryID", out);
        if (FAILED(hr)) {
            return hr;
        }
        if (record_.row_id == 0) {
            return outlook::MAPI_E_NOT_FOUND;
        }
        *out = record_.entry_id;
        return S_OK;
    }
    [[nodiscard]] HRESULT get_Subject(std::string* out) override { return GetText("Subject", out); }
    [[nodiscard]] HRESULT put_Subject(const std::string& value) override {
        return PutField("Subject", value);
    }
    [[nodiscard]] HRESULT get_Body(std::string* out) override { return GetText("Body", out); }
    [[nodiscard]] HRESULT put_Body(const std::string& value) override { return PutField("Body", value); }
    [[nodiscard]] HRESULT get_CreationTime(platform::DateTime* out) override {
        return GetLocalFromUtc("OutlookItem.get_CreationTime", "CreationTimeUTC", out);
    }
    [[nodiscard]] HRESULT get_LastModificationTime(platform::DateTime* out) override {
        return GetLocalFromUtc("OutlookItem.get_LastModificationTime", "LastModificationTimeUTC", out);
    }
    [[nodiscard]] HRESULT get_Saved(bool* out) override {
        return Return("OutlookItem.get_Saved", out, saved_);
    }
    [[nodiscard]] HRESULT get_UserProperties(outlook::ComPtr<outlook::UserProperties>* out) override {
        HRESULT hr = Check("OutlookItem.get_UserProperties", out);
        if (FAILED(hr)) {
            return hr;
        }
        *out = internal::Make<UserPropertiesObject>(static_cast<RecordOwner*>(this));
        return S_OK;
    }

    [[nodiscard]] HRESULT Save() override {
        HRESULT hr = CheckFault("OutlookItem.Save");
        if (FAILED(hr)) {
            return hr;
        }
        if (deleted_) {
            return outlook::MAPI_E_OBJECT_DELETED;
        }
        return SaveRecord();
    }

    [[nodiscard]] HRESULT Delete() override {
        HRESULT hr = CheckFault("OutlookItem.Delete");
        if (FAILED(hr)) {
            return hr;
        }
        if (deleted_) {
            return outlook::MAPI_E_OBJECT_DELETED;
        }
        return DeleteRecord();
    }

    [[nodiscard]] HRESULT Move(outlook::MAPIFolder* destination,
                               outlook::ComPtr<outlook::IDispatch>* out) override {
        HRESULT hr = Check("OutlookItem.Move", out);
        if (FAILED(hr)) {
            return hr;
        }
        auto* target = dynamic_cast<FolderObject*>(destination);
        if (target == nullptr) {
            return E_INVALIDARG;
        }
        if (deleted_) {
            return outlook::MAPI_E_OBJECT_DELETED;
        }
        FolderRecord folder;
        hr = app_->store().GetFolder(target->row_id(), &folder);
        if (FAILED(hr)) {
            return hr;
        }
        if (!CanHold(folder.item_type, record_.kind)) {
            return E_INVALIDARG;
        }
        if (record_.row_id == 0) {
            record_.folder_id = folder.row_id;
            hr = SaveRecord();
        } else if (record_.folder_id != folder.row_id) {
            hr = MoveRecord(target);
        }
        if (SUCCEEDED(hr)) {
            *out = outlook::ComPtr<outlook::IDispatch>(static_cast<Interface*>(this));
        }
        return hr;
    }

    [[nodiscard]] HRESULT Advise(const std::shared_ptr<outlook::ItemEvents>& sink,
                                 outlook::EventCookie* cookie) override {
        return app_->events().Advise(EventKey(), sink, cookie);
    }
    [[nodiscard]] HRESULT Unadvise(outlook::EventCookie cookie) override {
        return app_->events().template Unadvise<outlook::ItemEvents>(cookie);
    }

  protected:
    ~ItemObject() override = default;

    // Whether a folder of `folder_type` holds items of `kind`.
    static bool CanHold(outlook::OlItemType folder_type, outlook::OlItemType kind) {
        if (folder_type == outlook::olContactItem) {
            return kind == outlook::olContactItem || kind == outlook::olDistributionListItem;
        }
        return folder_type == kind;
    }

    // Checks, normalises or refuses the record before it is written. E_INVALIDARG refuses the Save.
    [[nodiscard]] virtual HRESULT PrepareSave() { return S_OK; }
    // The key item events are connected under.
    virtual std::string EventKey() const { return record_.entry_id; }

    // Write (cancellable), the transaction, then ItemAdd or ItemChange of the folder.
    [[nodiscard]] HRESULT SaveRecord() {
        HRESULT hr = PrepareSave();
        if (FAILED(hr)) {
            return hr;
        }
        const bool is_new = record_.row_id == 0;
        if (!is_new) {
            for (const auto& sink : app_->events().template SinksFor<outlook::ItemEvents>(EventKey())) {
                bool cancel = false;
                sink->Write(&cancel);
                if (cancel) {
                    return outlook::MAPI_E_USER_CANCEL;
                }
            }
        }
        hr = app_->store().SaveItem(&record_);
        if (FAILED(hr)) {
            return hr;
        }
        saved_ = true;
        outlook::ComPtr<outlook::IDispatch> self(static_cast<Interface*>(this));
        for (const auto& sink : app_->events().template SinksFor<outlook::ItemsEvents>(FolderKey())) {
            if (is_new) {
                sink->ItemAdd(self.get());
            } else {
                sink->ItemChange(self.get());
            }
        }
        return S_OK;
    }

    // BeforeDelete of the item and BeforeItemMove (no target) of its folder, both cancellable, then the
    // transaction and ItemRemove.
    [[nodiscard]] HRESULT DeleteRecord() {
        if (record_.row_id == 0) {
            deleted_ = true;
            return S_OK;
        }
        outlook::ComPtr<outlook::IDispatch> self(static_cast<Interface*>(this));
        for (const auto& sink : app_->events().template SinksFor<outlook::ItemEvents>(EventKey())) {
            bool cancel = false;
            sink->BeforeDelete(self.get(), &cancel);
            if (cancel) {
                return outlook::MAPI_E_USER_CANCEL;
            }
        }
        const std::string folder_key = FolderKey();
        for (const auto& sink : app_->events().template SinksFor<outlook::FolderEvents>(folder_key)) {
            bool cancel = false;
            sink->BeforeItemMove(self.get(), nullptr, &cancel);
            if (cancel) {
                return outlook::MAPI_E_USER_CANCEL;
            }
        }
        HRESULT hr = app_->store().DeleteItem(record_.row_id);
        if (FAILED(hr)) {
            return hr;
        }
        deleted_ = true;
        for (const auto& sink : app_->events().template SinksFor<outlook::ItemsEvents>(folder_key)) {
            sink->ItemRemove();
        }
        return S_OK;
    }

    [[nodiscard]] HRESULT MoveRecord(FolderObject* target) {
        outlook::ComPtr<outlook::IDispatch> self(static_cast<Interface*>(this));
        const std::string source_key = FolderKey();
        for (const auto& sink : app_->events().template SinksFor<outlook::FolderEvents>(source_key)) {
            bool cancel = false;
            sink->BeforeItemMove(self.get(), target, &cancel);
            if (cancel) {
                return outlook::MAPI_E_USER_CANCEL;
            }
        }
        HRESULT hr = app_->store().MoveItem(record_.row_id, target->row_id());
        if (FAILED(hr)) {
            return hr;
        }
        record_.folder_id = target->row_id();
        for (const auto& sink : app_->events().template SinksFor<outlook::ItemsEvents>(source_key)) {
            sink->ItemRemove();
        }
        for (const auto& sink : app_->events().template SinksFor<outlook::ItemsEvents>(FolderKey())) {
            sink->ItemAdd(self.get());
        }
        return S_OK;
    }

    std::string FolderKey() const { return app_->FolderKey(record_.folder_id); }

    // A fault for "<Interface>.<member>" or a null out-parameter.
    template <class T>
    HRESULT Check(const char* member, T* out) const {
        HRESULT hr = CheckFault(member);
        if (FAILED(hr)) {
            return hr;
        }
        return out == nullptr ? E_POINTER : S_OK;
    }
    template <class T, class V>
    HRESULT Return(const char* member, T* out, V value) const {
        HRESULT hr = Check(member, out);
        if (SUCCEEDED(hr)) {
            *out = std::move(value);
        }
        return hr;
    }
    std::string Member(const char* verb, const std::string& key) const {
        return std::string(interface_name_) + "." + verb + key;
    }
    HRESULT GetText(const std::string& key, std::string* out) const {
        return Return(Member("get_", key).c_str(), out, BagText(record_.fields, key));
    }
    HRESULT GetLong(const std::string& key, std::int32_t fallback, std::int32_t* out) const {
        return Return(Member("get_", key).c_str(), out, BagLong(record_.fields, key, fallback));
    }
    HRESULT GetBool(const std::string& key, bool* out) const {
        return Return(Member("get_", key).c_str(), out, BagBool(record_.fields, key));
    }
    HRESULT PutField(const std::string& key, outlook::Variant value) {
        HRESULT hr = CheckFault(Member("put_", key).c_str());
        if (FAILED(hr)) {
            return hr;
        }
        record_.fields[key] = std::move(value);
        saved_ = false;
        return S_OK;
    }
    HRESULT GetLocalFromUtc(const char* member, const char* key, platform::DateTime* out) const {
        HRESULT hr = Check(member, out);
        if (FAILED(hr)) {
            return hr;
        }
        const platform::DateTime utc = BagDate(record_.fields, key);
        *out = utc.IsValid() ? utc.UtcToLocal() : platform::DateTime::NowLocal();
        return S_OK;
    }

    outlook::ComPtr<ApplicationObject> app_;
    ItemRecord record_;
    const char* interface_name_;
    bool saved_ = false;
    bool deleted_ = false;
};

}  // namespace host
