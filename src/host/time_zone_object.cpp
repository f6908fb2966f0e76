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

}  // namespace host
