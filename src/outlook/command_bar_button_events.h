// _CommandBarButtonEvents {000C0351-0000-0000-C000-000000000046}: events of a toolbar button.
#pragma once

#include "outlook/events.h"

namespace outlook {

class CommandBarButton;

class CommandBarButtonEvents {
  public:
    static constexpr Iid kIid = "{000C0351-0000-0000-C000-000000000046}";
    virtual ~CommandBarButtonEvents() = default;

    // The user clicked the button. *cancel_default stops the button's built-in action.
    virtual void Click(CommandBarButton* button, bool* cancel_default) = 0;
};

}  // namespace outlook
