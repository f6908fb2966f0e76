// Named and tagged properties of an item by schema name, over the owner's record.
#pragma once

#include <cstdint>
#include <string>

#include "host/internal/com_object.h"
#include "host/record_owner.h"
#include "outlook/property_accessor.h"

namespace host {

class PropertyAccessorObject : public internal::ComObject<outlook::PropertyAccessor> {
  public:
    explicit PropertyAccessorObject(RecordOwner* owner);

    // The record key and MAPI type of a schema name; false for a name of neither known form.
    static bool ParseSchemaName(const std::string& schema_name, std::string* key, std::uint16_t* type);
    // `value` converted to a MAPI property type. Fails: E_INVALIDARG for an unknown type,
    // DISP_E_TYPEMISMATCH when it does not convert.
    [[nodiscard]] static HRESULT ConvertToPropType(std::uint16_t type, const outlook::Variant& value,
                                                   outlook::Variant* out);

    [[nodiscard]] HRESULT GetProperty(const std::string& schema_name, outlook::Variant* out) override;
    [[nodiscard]] HRESULT SetProperty(const std::string& schema_name, const outlook::Variant& value) override;

  private:
    outlook::ComPtr<outlook::IUnknown> keep_;
    RecordOwner* owner_;
};

}  // namespace host
