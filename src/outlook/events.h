// Event sinks (the dispinterfaces the add-in listens to) and the cookie of a connection. A source
// delivers its events synchronously, inside the call that caused the change, whoever made the change.
// Sources keep a weak reference to a sink: the listener keeps its sink alive until it calls Unadvise.
#pragma once

#include <cstdint>

#include "outlook/unknown.h"

namespace outlook {

// Identifies one Advise connection for Unadvise; 0 is never a valid cookie.
using EventCookie = std::uint32_t;

}  // namespace outlook
