#include "host/time_zones_object.h"

#include "host/fault_hook.h"
#include "host/series.h"
#include "host/time_zone_object.h"
#include "outlook/status.h"
#include "platform/time_zones.h"

namespace host {

HRESULT TimeZonesObject::get_Count(std::int32_t* out) {
    HRESULT hr = CheckFault("TimeZones.get_Count");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = static_cast<std::int32_t>(platform::WindowsZoneIds().size());
    return S_OK;
}

HRESULT TimeZonesObject::Item(std::int32_t index, outlook::ComPtr<outlook::TimeZone>* out) {
    HRESULT hr = CheckFault("TimeZones.Item");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    const std::vector<std::string>& ids = platform::WindowsZoneIds();
    if (index < 1 || static_cast<std::size_t>(index) > ids.size()) {
        return outlook::DISP_E_BADINDEX;
    }
    *out = internal::Make<TimeZoneObject>(ids[static_cast<std::size_t>(index - 1)]);
    return S_OK;
}

HRESULT TimeZonesObject::Item(const std::string& id, outlook::ComPtr<outlook::TimeZone>* out) {
    HRESULT hr = CheckFault("TimeZones.Item");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    if (!platform::IsWindowsZoneId(id)) {
        return outlook::MAPI_E_NOT_FOUND;
    }
    *out = internal::Make<TimeZoneObject>(id);
    return S_OK;
}

HRESULT TimeZonesObject::get_CurrentTimeZone(outlook::ComPtr<outlook::TimeZone>* out) {
    HRESULT hr = CheckFault("TimeZones.get_CurrentTimeZone");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = internal::Make<TimeZoneObject>(TimeZoneObject::LocalWindowsId());
    return S_OK;
}

HRESULT TimeZonesObject::ConvertTime(const platform::DateTime& source_time, outlook::TimeZone* source,
                                     outlook::TimeZone* destination, platform::DateTime* out) {
    HRESULT hr = CheckFault("TimeZones.ConvertTime");
    if (FAILED(hr)) {
        return hr;
    }
    std::string from;
    std::string to;
    if (source == nullptr || destination == nullptr || !source_time.IsValid() ||
        FAILED(source->get_ID(&from)) || FAILED(destination->get_ID(&to))) {
        return E_INVALIDARG;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = ZoneUtcToWall(to, ZoneWallToUtc(from, source_time));
    return S_OK;
}

}  // namespace host
