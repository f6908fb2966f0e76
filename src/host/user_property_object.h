// One user property, found by name in the owner's record at each call.
#pragma once

#include <string>

#include "host/internal/com_object.h"
#include "host/record_owner.h"
#include "outlook/user_property.h"

namespace host {

class UserPropertyObject : public internal::ComObject<outlook::UserProperty> {
  public:
    UserPropertyObject(RecordOwner* owner, std::string name);

    [[nodiscard]] HRESULT get_Name(std::string* out) override;
    [[nodiscard]] HRESULT get_Type(outlook::OlUserPropertyType* out) override;
    [[nodiscard]] HRESULT get_Value(outlook::Variant* out) override;
    [[nodiscard]] HRESULT put_Value(const outlook::Variant& value) override;

  private:
    PropertyBag* Find();

    outlook::ComPtr<outlook::IUnknown> keep_;
    RecordOwner* owner_;
    std::string name_;
};

}  // namespace host
