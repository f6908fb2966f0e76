// Exceptions: the deleted and changed occurrences of a series.
#pragma once

#include <cstdint>

#include "outlook/com_ptr.h"
#include "outlook/dispatch.h"

namespace outlook {

class Exception;

class Exceptions : public IDispatch {
  public:
    static constexpr Iid kIid = "{0006304C-0000-0000-C000-000000000046}";

    [[nodiscard]] virtual HRESULT get_Count(std::int32_t* out) = 0;
    // Fails: DISP_E_BADINDEX outside 1..Count.
    [[nodiscard]] virtual HRESULT Item(std::int32_t index, ComPtr<Exception>* out) = 0;

  protected:
    ~Exceptions() = default;
};

}  // namespace outlook
