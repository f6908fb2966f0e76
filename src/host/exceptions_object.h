// The deleted and changed occurrences of a series master, as the master's record holds them.
#pragma once

#include <cstdint>

#include "host/appointment_object.h"
#include "host/internal/com_object.h"
#include "outlook/exceptions.h"

namespace host {

class ExceptionsObject : public internal::ComObject<outlook::Exceptions> {
  public:
    explicit ExceptionsObject(outlook::ComPtr<AppointmentObject> master);

    [[nodiscard]] HRESULT get_Count(std::int32_t* out) override;
    [[nodiscard]] HRESULT Item(std::int32_t index, outlook::ComPtr<outlook::Exception>* out) override;

  private:
    outlook::ComPtr<AppointmentObject> master_;
};

}  // namespace host
