// _TimeZone: one time zone.
#pragma once

#include <string>

#include "outlook/dispatch.h"

namespace outlook {

class TimeZone : public IDispatch {
  public:
    static constexpr Iid kIid = "{000630FC-0000-0000-C000-000000000046}";

    // The Windows zone ID, "Pacific Standard Time".
    [[nodiscard]] virtual HRESULT get_ID(std::string* out) = 0;
    // A display name, "(UTC-08:00) Pacific Time (US & Canada)".
    [[nodiscard]] virtual HRESULT get_Name(std::string* out) = 0;

  protected:
    ~TimeZone() = default;
};

}  // namespace outlook
