// Recipients: the attendees of an appointment; changes are kept with the item's Save.
#pragma once

#include <cstdint>
#include <string>

#include "outlook/com_ptr.h"
#include "outlook/dispatch.h"

namespace outlook {

class Recipient;

class Recipients : public IDispatch {
  public:
    static constexpr Iid kIid = "{0006303B-0000-0000-C000-000000000046}";

    [[nodiscard]] virtual HRESULT get_Count(std::int32_t* out) = 0;
    // Fails: DISP_E_BADINDEX outside 1..Count.
    [[nodiscard]] virtual HRESULT Item(std::int32_t index, ComPtr<Recipient>* out) = 0;
    // Appends an unresolved recipient for a name or address. Fails: E_INVALIDARG for an empty text.
    [[nodiscard]] virtual HRESULT Add(const std::string& name, ComPtr<Recipient>* out) = 0;
    // Fails: DISP_E_BADINDEX outside 1..Count.
    [[nodiscard]] virtual HRESULT Remove(std::int32_t index) = 0;
    // Resolves every recipient; *out true when all resolved.
    [[nodiscard]] virtual HRESULT ResolveAll(bool* out) = 0;

  protected:
    ~Recipients() = default;
};

}  // namespace outlook
