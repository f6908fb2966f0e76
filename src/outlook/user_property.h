// UserProperty: one custom property of an item.
#pragma once

#include <string>

#include "outlook/dispatch.h"
#include "outlook/enums.h"
#include "outlook/variant.h"

namespace outlook {

class UserProperty : public IDispatch {
  public:
    static constexpr Iid kIid = "{00063042-0000-0000-C000-000000000046}";

    [[nodiscard]] virtual HRESULT get_Name(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT get_Type(OlUserPropertyType* out) = 0;
    // The value in the property's type.
    [[nodiscard]] virtual HRESULT get_Value(Variant* out) = 0;
    // Converts `value` to the property's type. Fails: DISP_E_TYPEMISMATCH when it cannot be converted.
    [[nodiscard]] virtual HRESULT put_Value(const Variant& value) = 0;

  protected:
    ~UserProperty() = default;
};

}  // namespace outlook
