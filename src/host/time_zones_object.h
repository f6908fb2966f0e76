// The time zones Outlook offers: every Windows zone ID ICU maps.
#pragma once

#include <string>

#include "host/internal/com_object.h"
#include "outlook/time_zones.h"

namespace host {

class TimeZonesObject : public internal::ComObject<outlook::TimeZones> {
  public:
    [[nodiscard]] HRESULT get_Count(std::int32_t* out) override;
    [[nodiscard]] HRESULT Item(std::int32_t index, outlook::ComPtr<outlook::TimeZone>* out) override;
    [[nodiscard]] HRESULT Item(const std::string& id, outlook::ComPtr<outlook::TimeZone>* out) override;
    [[nodiscard]] HRESULT get_CurrentTimeZone(outlook::ComPtr<outlook::TimeZone>* out) override;
    [[nodiscard]] HRESULT ConvertTime(const platform::DateTime& source_time, outlook::TimeZone* source,
                                      outlook::TimeZone* destination, platform::DateTime* out) override;
};

}  // namespace host
