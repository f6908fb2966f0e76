// UserProperties: the custom properties of an item (kept with the item's Save).
#pragma once

#include <cstdint>
#include <string>

#include "outlook/com_ptr.h"
#include "outlook/dispatch.h"
#include "outlook/enums.h"

namespace outlook {

class UserProperty;

class UserProperties : public IDispatch {
  public:
    static constexpr Iid kIid = "{0006303D-0000-0000-C000-000000000046}";

    [[nodiscard]] virtual HRESULT get_Count(std::int32_t* out) = 0;
    [[nodiscard]] virtual HRESULT Item(std::int32_t index, ComPtr<UserProperty>* out) = 0;
    // The property of that name (compared without regard to ASCII case); S_OK with an empty *out when
    // there is none, as Outlook answers Nothing. `custom` is accepted for the caller's form only.
    [[nodiscard]] virtual HRESULT Find(const std::string& name, bool custom, ComPtr<UserProperty>* out) = 0;
    // A new property of `type` (olText, olNumber, olDateTime, olYesNo, olInteger) with the type's empty
    // value (0, false, "", a null date). Fails: E_INVALIDARG for an empty name or another type;
    // MAPI_E_COLLISION when the name exists with another type (the same type gives the existing one).
    [[nodiscard]] virtual HRESULT Add(const std::string& name, OlUserPropertyType type,
                                      bool add_to_folder_fields, std::int32_t display_format,
                                      ComPtr<UserProperty>* out) = 0;
    // Fails: DISP_E_BADINDEX.
    [[nodiscard]] virtual HRESULT Remove(std::int32_t index) = 0;

  protected:
    ~UserProperties() = default;
};

}  // namespace outlook
