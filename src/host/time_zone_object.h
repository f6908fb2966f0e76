// One time zone by Windows zone ID, with its rules from ICU.
#pragma once

#include <string>

#include "host/internal/com_object.h"
#include "outlook/time_zone.h"

namespace host {

class TimeZoneObject : public internal::ComObject<outlook::TimeZone> {
  public:
    explicit TimeZoneObject(std::string windows_id);

    // The Windows ID of the process's zone, or "UTC" when ICU maps it to none.
    static std::string LocalWindowsId();

    [[nodiscard]] HRESULT get_ID(std::string* out) override;
    [[nodiscard]] HRESULT get_Name(std::string* out) override;

  private:
    std::string id_;
};

}  // namespace host
