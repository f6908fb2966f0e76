// CommandBarControl: one control of a toolbar; a button answers to CommandBarButton as well.
#pragma once

#include <string>

#include "outlook/dispatch.h"

namespace outlook {

class CommandBarControl : public IDispatch {
  public:
    static constexpr Iid kIid = "{000C0308-0000-0000-C000-000000000046}";

    [[nodiscard]] virtual HRESULT get_Caption(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_Caption(const std::string& value) = 0;
    [[nodiscard]] virtual HRESULT get_Enabled(bool* out) = 0;
    [[nodiscard]] virtual HRESULT put_Enabled(bool value) = 0;
    [[nodiscard]] virtual HRESULT get_Visible(bool* out) = 0;
    [[nodiscard]] virtual HRESULT put_Visible(bool value) = 0;
    [[nodiscard]] virtual HRESULT get_Tag(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_Tag(const std::string& value) = 0;
    [[nodiscard]] virtual HRESULT get_TooltipText(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_TooltipText(const std::string& value) = 0;
    // Removes the control from its toolbar.
    [[nodiscard]] virtual HRESULT Delete() = 0;
    // Acts as a click by the user (fires the button's Click event). Fails: MAPI_E_NO_SUPPORT when the
    // control is disabled.
    [[nodiscard]] virtual HRESULT Execute() = 0;

  protected:
    ~CommandBarControl() = default;
};

}  // namespace outlook
