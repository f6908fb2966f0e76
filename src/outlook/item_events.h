// ItemEvents_10 {0006302B-0000-0000-C000-000000000046}: events of one item.
#pragma once

#include "outlook/dispatch.h"
#include "outlook/events.h"

namespace outlook {

class ItemEvents {
  public:
    static constexpr Iid kIid = "{0006302B-0000-0000-C000-000000000046}";
    virtual ~ItemEvents() = default;

    // Before a saved item is written (Save of a change). Setting *cancel keeps the stored item as it
    // was and Save fails with MAPI_E_USER_CANCEL.
    virtual void Write(bool* cancel) = 0;
    // Before the item is deleted. `item` is the item itself. Setting *cancel keeps it and Delete fails
    // with MAPI_E_USER_CANCEL.
    virtual void BeforeDelete(IDispatch* item, bool* cancel) = 0;
};

}  // namespace outlook
