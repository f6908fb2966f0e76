// The user properties of an item or storage item, over the owner's record.
#pragma once

#include <cstdint>
#include <string>

#include "host/internal/com_object.h"
#include "host/record_owner.h"
#include "outlook/user_properties.h"

namespace host {

class UserPropertiesObject : public internal::ComObject<outlook::UserProperties> {
  public:
    explicit UserPropertiesObject(RecordOwner* owner);

    [[nodiscard]] HRESULT get_Count(std::int32_t* out) override;
    [[nodiscard]] HRESULT Item(std::int32_t index, outlook::ComPtr<outlook::UserProperty>* out) override;
    [[nodiscard]] HRESULT Find(const std::string& name, bool custom,
                               outlook::ComPtr<outlook::UserProperty>* out) override;
    [[nodiscard]] HRESULT Add(const std::string& name, outlook::OlUserPropertyType type,
                              bool add_to_folder_fields, std::int32_t display_format,
                              outlook::ComPtr<outlook::UserProperty>* out) override;
    [[nodiscard]] HRESULT Remove(std::int32_t index) override;

  private:
    outlook::ComPtr<outlook::IUnknown> keep_;
    RecordOwner* owner_;
};

// The empty value of a user property type, and a value converted to the type.
outlook::Variant EmptyValueOf(outlook::OlUserPropertyType type);
[[nodiscard]] HRESULT ConvertToType(outlook::OlUserPropertyType type, const outlook::Variant& value,
                                    outlook::Variant* out);

}  // namespace host
