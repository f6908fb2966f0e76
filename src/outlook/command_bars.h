// _CommandBars: the toolbars of a window.
#pragma once

#include <cstdint>

#include "outlook/com_ptr.h"
#include "outlook/dispatch.h"

namespace outlook {

class CommandBar;

class CommandBars : public IDispatch {
  public:
    static constexpr Iid kIid = "{55F88893-7708-11D1-ACEB-006008961DA5}";

    [[nodiscard]] virtual HRESULT get_Count(std::int32_t* out) = 0;
    // Fails: DISP_E_BADINDEX outside 1..Count.
    [[nodiscard]] virtual HRESULT Item(std::int32_t index, ComPtr<CommandBar>* out) = 0;

  protected:
    ~CommandBars() = default;
};

}  // namespace outlook
