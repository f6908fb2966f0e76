// The add-in object's own dual interface: what the timer and wait callbacks call, through the interface
// table, to reach the add-in on the user-interface thread.
#pragma once

#include <cstdint>

#include "addin/guids.h"
#include "outlook/dispatch.h"

class ISyncManager : public outlook::IDispatch {
  public:
    static constexpr platform::Iid kIid = IID_ISyncManager;

    // Starts a run of the kinds in `sync_flag` (0x1 calendars, 0x2 contacts); `sync_ui` non-zero shows the
    // result. S_OK when a run started, S_FALSE when not.
    [[nodiscard]] virtual HRESULT BeginSync(std::int32_t sync_flag, std::int32_t sync_ui) = 0;
    // Closes the finished run and reports it. S_OK.
    [[nodiscard]] virtual HRESULT EndSync() = 0;
    // One timer tick: starts the kinds that are due. S_OK.
    [[nodiscard]] virtual HRESULT OnTimer() = 0;

  protected:
    ~ISyncManager() = default;
};
