// A folder of the store. Every read goes to the store, so changes made through other objects or
// sessions show at once.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "host/application_object.h"
#include "host/internal/com_object.h"
#include "outlook/folder.h"

namespace host {

class FolderObject : public internal::ComObject<outlook::MAPIFolder> {
  public:
    FolderObject(outlook::ComPtr<ApplicationObject> app, std::int64_t row_id);
    static outlook::ComPtr<FolderObject> Make(const outlook::ComPtr<ApplicationObject>& app,
                                              std::int64_t row_id);

    std::int64_t row_id() const { return row_id_; }

    [[nodiscard]] HRESULT get_Application(outlook::ComPtr<outlook::Application>* out) override;
    [[nodiscard]] HRESULT get_EntryID(std::string* out) override;
    [[nodiscard]] HRESULT get_StoreID(std::string* out) override;
    [[nodiscard]] HRESULT get_Name(std::string* out) override;
    [[nodiscard]] HRESULT put_Name(const std::string& value) override;
    [[nodiscard]] HRESULT get_Description(std::string* out) override;
    [[nodiscard]] HRESULT put_Description(const std::string& value) override;
    [[nodiscard]] HRESULT get_DefaultItemType(outlook::OlItemType* out) override;
    [[nodiscard]] HRESULT get_ShowAsOutlookAB(bool* out) override;
    [[nodiscard]] HRESULT put_ShowAsOutlookAB(bool value) override;
    [[nodiscard]] HRESULT get_Parent(outlook::ComPtr<outlook::MAPIFolder>* out) override;
    [[nodiscard]] HRESULT get_Items(outlook::ComPtr<outlook::Items>* out) override;
    [[nodiscard]] HRESULT get_Folders(outlook::ComPtr<outlook::Folders>* out) override;
    [[nodiscard]] HRESULT Delete() override;
    [[nodiscard]] HRESULT MoveTo(outlook::MAPIFolder* destination) override;
    [[nodiscard]] HRESULT GetStorage(const std::string& storage_id, outlook::OlStorageIdentifierType type,
                                     outlook::ComPtr<outlook::StorageItem>* out) override;
    [[nodiscard]] HRESULT Advise(const std::shared_ptr<outlook::FolderEvents>& sink,
                                 outlook::EventCookie* cookie) override;
    [[nodiscard]] HRESULT Unadvise(outlook::EventCookie cookie) override;

  private:
    HRESULT Load(const char* member, FolderRecord* out);
    HRESULT Update(const char* member, const FolderRecord& folder);
    void FireFolderChange(const FolderRecord& folder);

    outlook::ComPtr<ApplicationObject> app_;
    std::int64_t row_id_;
};

}  // namespace host
