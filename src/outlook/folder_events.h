// MAPIFolderEvents_12 {000630F7-0000-0000-C000-000000000046}: events of one folder.
#pragma once

#include "outlook/dispatch.h"
#include "outlook/events.h"

namespace outlook {

class MAPIFolder;

class FolderEvents {
  public:
    static constexpr Iid kIid = "{000630F7-0000-0000-C000-000000000046}";
    virtual ~FolderEvents() = default;

    // Before the folder is moved to `move_to`, or deleted (then `move_to` is null). Setting *cancel
    // stops it and the call fails with MAPI_E_USER_CANCEL.
    virtual void BeforeFolderMove(MAPIFolder* move_to, bool* cancel) = 0;
    // Before an item of the folder is moved to `move_to` (null for a delete through the folder).
    // Setting *cancel stops it and the call fails with MAPI_E_USER_CANCEL.
    virtual void BeforeItemMove(IDispatch* item, MAPIFolder* move_to, bool* cancel) = 0;
};

}  // namespace outlook
