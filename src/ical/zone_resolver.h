// TZID to Outlook time zone: by Outlook's own zone IDs, then through tzids.csv.
#pragma once

#include <string_view>

#include "outlook/application.h"
#include "outlook/com_ptr.h"
#include "outlook/time_zone.h"

// The zone whose ID equals `tzid` exactly; when there is none and `may_map`, the zone tzids.csv maps
// it to (one level of mapping only). Empty for an empty TZID, an unknown one, or a failing Application.
outlook::ComPtr<outlook::TimeZone> ResolveZone(outlook::Application* application, std::string_view tzid,
                                               bool may_map);
