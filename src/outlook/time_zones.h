// _TimeZones: the time zones Outlook offers, by Windows zone ID ("W. Europe Standard Time").
#pragma once

#include <cstdint>
#include <string>

#include "outlook/com_ptr.h"
#include "outlook/dispatch.h"
#include "platform/date_time.h"

namespace outlook {

class TimeZone;

class TimeZones : public IDispatch {
  public:
    static constexpr Iid kIid = "{000630FB-0000-0000-C000-000000000046}";

    [[nodiscard]] virtual HRESULT get_Count(std::int32_t* out) = 0;
    // Fails: DISP_E_BADINDEX outside 1..Count.
    [[nodiscard]] virtual HRESULT Item(std::int32_t index, ComPtr<TimeZone>* out) = 0;
    // The zone with that Windows ID (exact). Fails: MAPI_E_NOT_FOUND.
    [[nodiscard]] virtual HRESULT Item(const std::string& id, ComPtr<TimeZone>* out) = 0;
    // The zone of the process (TZ).
    [[nodiscard]] virtual HRESULT get_CurrentTimeZone(ComPtr<TimeZone>* out) = 0;
    // The wall-clock time `source_time` of `source` as wall-clock time of `destination`.
    // Fails: E_INVALIDARG for a null zone or an invalid date.
    [[nodiscard]] virtual HRESULT ConvertTime(const platform::DateTime& source_time, TimeZone* source,
                                              TimeZone* destination, platform::DateTime* out) = 0;

  protected:
    ~TimeZones() = default;
};

}  // namespace outlook
