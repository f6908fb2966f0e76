// FoldersEvents {00063076-0000-0000-C000-000000000046}: events of a folder's Folders collection.
#pragma once

#include "outlook/events.h"

namespace outlook {

class MAPIFolder;

class FoldersEvents {
  public:
    static constexpr Iid kIid = "{00063076-0000-0000-C000-000000000046}";
    virtual ~FoldersEvents() = default;

    // After a sub-folder was created in, or moved into, the collection's folder.
    virtual void FolderAdd(MAPIFolder* folder) = 0;
    // After a sub-folder's name or description changed.
    virtual void FolderChange(MAPIFolder* folder) = 0;
    // After a sub-folder was deleted or moved away.
    virtual void FolderRemove() = 0;
};

}  // namespace outlook
