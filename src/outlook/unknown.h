// The root of every reference-counted object-model interface: the platform's IUnknown, so object-model
// objects cross the module boundary and the interface table like any other COM-lite object.
#pragma once

#include "platform/com_base.h"

namespace outlook {

// An interface identifier: the registry form of the GUID, "{00063033-0000-0000-C000-000000000046}".
using Iid = platform::Iid;

// AddRef, Release, QueryInterface(Iid, void**). Hold objects with ComPtr rather than calling the first
// two directly.
using IUnknown = platform::IUnknown;

}  // namespace outlook
