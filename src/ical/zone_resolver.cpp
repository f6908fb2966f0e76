#include "ical/zone_resolver.h"

#include <string>

#include "ical/tzid_map.h"
#include "outlook/time_zones.h"

outlook::ComPtr<outlook::TimeZone> ResolveZone(outlook::Application* application, std::string_view tzid,
                                               bool may_map) {
    if (tzid.empty() || application == nullptr)
        return nullptr;
    outlook::ComPtr<outlook::TimeZones> zones;
    if (FAILED(application->get_TimeZones(&zones)) || !zones)
        return nullptr;
    outlook::ComPtr<outlook::TimeZone> zone;
    if (SUCCEEDED(zones->Item(std::string(tzid), &zone)) && zone)
        return zone;
    if (!may_map)
        return nullptr;
    return ResolveZone(application, MapTzid(tzid), false);
}
