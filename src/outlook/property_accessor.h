// _PropertyAccessor: an item's properties by schema name. Two forms are known:
// "http://schemas.microsoft.com/mapi/id/{GUID}/IIIITTTT" (a named property: id IIII, type TTTT) and
// "http://schemas.microsoft.com/mapi/proptag/0xIIIITTTT" (a tagged property of the MAPI message). Types:
// 0003 32-bit integer, 000B yes/no, 001F text, 0040 date (UTC). Changes are kept with the item's Save.
#pragma once

#include <string>

#include "outlook/dispatch.h"
#include "outlook/variant.h"

namespace outlook {

class PropertyAccessor : public IDispatch {
  public:
    static constexpr Iid kIid = "{0006302D-0000-0000-C000-000000000046}";

    // Fails: MAPI_E_NOT_FOUND when the property was never set; E_INVALIDARG for a name of neither form.
    [[nodiscard]] virtual HRESULT GetProperty(const std::string& schema_name, Variant* out) = 0;
    // Fails: E_INVALIDARG for a name of neither form; DISP_E_TYPEMISMATCH when the value cannot be
    // converted to the name's type.
    [[nodiscard]] virtual HRESULT SetProperty(const std::string& schema_name, const Variant& value) = 0;

  protected:
    ~PropertyAccessor() = default;
};

}  // namespace outlook
