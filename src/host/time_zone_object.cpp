#include "host/time_zone_object.h"

#include "host/fault_hook.h"
#include "platform/time_zones.h"

namespace host {

TimeZoneObject::TimeZoneObject(std::string windows_id) : id_(std::move(windows_id)) {}

std::string TimeZoneObject::LocalWindowsId() {
    std::string id = platform::WindowsIdFromIana(platform::HostIanaZone());
    return id.empty() ? "UTC" : id;
}

HRESULT TimeZoneObject::get_ID(std::string* out) {
    HRESULT hr = CheckFault("TimeZone.get_ID");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = id_;
    return S_OK;
}

HRESULT TimeZoneObject::get_Name(std::string* out) {
    HRESULT hr = CheckFault("TimeZone.get_Name");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = platform::ZoneDisplayName(platform::IanaFromWindowsId(id_));
    return S_OK;
}

HRESULT TimeZoneObject::get_Bias(std::int32_t* out) {
    HRESULT hr = CheckFault("TimeZone.get_Bias");
    if (FAILED(hr)) {
        return hr;
    }
    std::int32_t standard = 0;
    std::int32_t daylight = 0;
    if (!platform::ZoneOffsets(platform::IanaFromWindowsId(id_), &standard, &daylight)) {
        return E_FAIL;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = -standard;
    return S_OK;
}

HRESULT TimeZoneObject::get_DaylightBias(std::int32_t* out) {
    HRESULT hr = CheckFault("TimeZone.get_DaylightBias");
    if (FAILED(hr)) {
        return hr;
    }
    std::int32_t standard = 0;
    std::int32_t daylight = 0;
    if (!platform::ZoneOffsets(platform::IanaFromWindowsId(id_), &standard, &daylight)) {
        return E_FAIL;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = -daylight;
    return S_OK;
}

}  // namespace host
