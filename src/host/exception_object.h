// One deleted or changed occurrence of a series.
#pragma once

#include <cstdint>

#include "host/appointment_object.h"
#include "host/internal/com_object.h"
#include "outlook/exception.h"

namespace host {

class ExceptionObject : public internal::ComObject<outlook::Exception> {
  public:
    ExceptionObject(outlook::ComPtr<AppointmentObject> master, std::int64_t day, bool deleted);

    [[nodiscard]] HRESULT get_AppointmentItem(outlook::ComPtr<outlook::AppointmentItem>* out) override;
    [[nodiscard]] HRESULT get_Deleted(bool* out) override;
    [[nodiscard]] HRESULT get_OriginalDate(platform::DateTime* out) override;

  private:
    outlook::ComPtr<AppointmentObject> master_;
    std::int64_t day_;
    bool deleted_;
};

}  // namespace host
