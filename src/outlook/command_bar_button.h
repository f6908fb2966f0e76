// _CommandBarButton: a toolbar button.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "outlook/command_bar_button_events.h"
#include "outlook/command_bar_control.h"
#include "outlook/enums.h"

namespace outlook {

class CommandBarButton : public CommandBarControl {
  public:
    static constexpr Iid kIid = "{000C030E-0000-0000-C000-000000000046}";

    [[nodiscard]] virtual HRESULT get_Style(MsoButtonStyle* out) = 0;
    [[nodiscard]] virtual HRESULT put_Style(MsoButtonStyle value) = 0;
    // The icon, as the bytes of a bitmap file.
    [[nodiscard]] virtual HRESULT put_Picture(const std::vector<std::uint8_t>& bitmap) = 0;

    [[nodiscard]] virtual HRESULT Advise(const std::shared_ptr<CommandBarButtonEvents>& sink,
                                         EventCookie* cookie) = 0;
    [[nodiscard]] virtual HRESULT Unadvise(EventCookie cookie) = 0;

  protected:
    ~CommandBarButton() = default;
};

}  // namespace outlook
