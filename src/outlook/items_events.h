// ItemsEvents {00063077-0000-0000-C000-000000000046}: events of a folder's Items collection.
#pragma once

#include "outlook/dispatch.h"
#include "outlook/events.h"

namespace outlook {

class ItemsEvents {
  public:
    static constexpr Iid kIid = "{00063077-0000-0000-C000-000000000046}";
    virtual ~ItemsEvents() = default;

    // After a new item was saved into the folder for the first time, or moved into it.
    virtual void ItemAdd(IDispatch* item) = 0;
    // After a saved item of the folder was changed.
    virtual void ItemChange(IDispatch* item) = 0;
    // After an item left the folder (deleted or moved away).
    virtual void ItemRemove() = 0;
};

}  // namespace outlook
