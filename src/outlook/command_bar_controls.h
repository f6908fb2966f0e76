// CommandBarControls: the controls of one toolbar.
#pragma once

#include <cstdint>

#include "outlook/com_ptr.h"
#include "outlook/dispatch.h"
#include "outlook/enums.h"

namespace outlook {

class CommandBarControl;

class CommandBarControls : public IDispatch {
  public:
    static constexpr Iid kIid = "{000C0306-0000-0000-C000-000000000046}";

    [[nodiscard]] virtual HRESULT get_Count(std::int32_t* out) = 0;
    [[nodiscard]] virtual HRESULT Item(std::int32_t index, ComPtr<CommandBarControl>* out) = 0;
    // Appends a control. A temporary control is gone when the session ends. Fails: E_INVALIDARG for a
    // type other than msoControlButton.
    [[nodiscard]] virtual HRESULT Add(MsoControlType type, std::int32_t id, bool temporary,
                                      ComPtr<CommandBarControl>* out) = 0;

  protected:
    ~CommandBarControls() = default;
};

}  // namespace outlook
