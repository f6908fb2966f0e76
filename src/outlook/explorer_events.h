// ExplorerEvents_10 {0006300F-0000-0000-C000-000000000046}: events of the main window.
#pragma once

#include "outlook/events.h"

namespace outlook {

class ExplorerEvents {
  public:
    static constexpr Iid kIid = "{0006300F-0000-0000-C000-000000000046}";
    virtual ~ExplorerEvents() = default;

    // After the user selected other items.
    virtual void SelectionChange() = 0;
};

}  // namespace outlook
