// StorageItem: the hidden item of a folder in which an add-in keeps its own data.
#pragma once

#include <string>

#include "outlook/com_ptr.h"
#include "outlook/dispatch.h"

namespace outlook {

class UserProperties;

class StorageItem : public IDispatch {
  public:
    static constexpr Iid kIid = "{000630A7-0000-0000-C000-000000000046}";

    [[nodiscard]] virtual HRESULT get_Subject(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT get_UserProperties(ComPtr<UserProperties>* out) = 0;
    // Stores the item (created by the first Save) in one transaction. Fires no folder event.
    [[nodiscard]] virtual HRESULT Save() = 0;
    [[nodiscard]] virtual HRESULT Delete() = 0;

  protected:
    ~StorageItem() = default;
};

}  // namespace outlook
