// A late-bound object: what Items.Item, CreateItem and the events hand out before the caller asks for
// the kind it expects (AppointmentItem, ContactItem, DistListItem, MAPIFolder).
#pragma once

#include "outlook/unknown.h"

namespace outlook {

class IDispatch : public IUnknown {
  public:
    static constexpr Iid kIid = "{00020400-0000-0000-C000-000000000046}";

  protected:
    ~IDispatch() = default;
};

}  // namespace outlook
