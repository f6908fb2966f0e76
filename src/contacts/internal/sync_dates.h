// The one comparison of modification dates used by the contact strategies.
#pragma once

#include "platform/date_time.h"

namespace contacts {

// True when `a` is more than three seconds after `b` (the difference rounded half away from zero to
// whole seconds); differences of up to three seconds either way are not changes.
bool IsLater(const platform::DateTime& a, const platform::DateTime& b);

}  // namespace contacts
