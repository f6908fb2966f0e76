// CommandBar: one toolbar ("Standard" is the one the add-in uses).
#pragma once

#include <string>

#include "outlook/com_ptr.h"
#include "outlook/dispatch.h"
#include "outlook/enums.h"

namespace outlook {

class CommandBarControl;
class CommandBarControls;

class CommandBar : public IDispatch {
  public:
    static constexpr Iid kIid = "{000C0304-0000-0000-C000-000000000046}";

    [[nodiscard]] virtual HRESULT get_Name(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT get_Controls(ComPtr<CommandBarControls>* out) = 0;
    // The first control of `type` and `id` whose Tag equals `tag` (an empty tag matches any). S_OK with an
    // empty *out when there is none, as Outlook answers Nothing.
    [[nodiscard]] virtual HRESULT FindControl(MsoControlType type, std::int32_t id, const std::string& tag,
                                              ComPtr<CommandBarControl>* out) = 0;

  protected:
    ~CommandBar() = default;
};

}  // namespace outlook
