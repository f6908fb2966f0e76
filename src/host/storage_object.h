// A folder's hidden storage item. Saving it fires no folder event (it is not among the folder's items).
#pragma once

#include <string>

#include "host/application_object.h"
#include "host/internal/com_object.h"
#include "host/record_owner.h"
#include "outlook/storage_item.h"

namespace host {

class StorageObject : public internal::ComObject<outlook::StorageItem>, public RecordOwner {
  public:
    StorageObject(outlook::ComPtr<ApplicationObject> app, ItemRecord record);

    ItemRecord& Record() override { return record_; }
    void MarkChanged() override {}
    outlook::IUnknown* OwnerObject() override { return this; }
    ApplicationObject* App() override { return app_.get(); }
    [[nodiscard]] HRESULT SaveOwner() override { return Save(); }

    [[nodiscard]] HRESULT get_Subject(std::string* out) override;
    [[nodiscard]] HRESULT get_UserProperties(outlook::ComPtr<outlook::UserProperties>* out) override;
    [[nodiscard]] HRESULT Save() override;
    [[nodiscard]] HRESULT Delete() override;

  private:
    outlook::ComPtr<ApplicationObject> app_;
    ItemRecord record_;
};

}  // namespace host
