// ApplicationEvents {0006304E-0000-0000-C000-000000000046}: events of the application.
#pragma once

#include "outlook/events.h"

namespace outlook {

class PropertyPages;

class ApplicationEvents {
  public:
    static constexpr Iid kIid = "{0006304E-0000-0000-C000-000000000046}";
    virtual ~ApplicationEvents() = default;

    // While the Options dialog is being built: listeners add their pages to `pages`.
    // Ownership: `pages` is valid for the call only.
    virtual void OptionsPagesAdd(PropertyPages* pages) = 0;
};

}  // namespace outlook
