// Exception: one deleted or changed occurrence of a series.
#pragma once

#include "outlook/com_ptr.h"
#include "outlook/dispatch.h"
#include "platform/date_time.h"

namespace outlook {

class AppointmentItem;

class Exception : public IDispatch {
  public:
    static constexpr Iid kIid = "{0006304D-0000-0000-C000-000000000046}";

    // The changed occurrence (RecurrenceState olApptException); S_OK with an empty *out for a deleted
    // occurrence.
    [[nodiscard]] virtual HRESULT get_AppointmentItem(ComPtr<AppointmentItem>* out) = 0;
    [[nodiscard]] virtual HRESULT get_Deleted(bool* out) = 0;
    // The local start the occurrence had by the pattern.
    [[nodiscard]] virtual HRESULT get_OriginalDate(platform::DateTime* out) = 0;

  protected:
    ~Exception() = default;
};

}  // namespace outlook
