// A process-wide hook that makes chosen object-model calls fail, so tests can check that a failure
// skips only what depends on it. Members are named "<Interface>.<member>", as in the headers:
// "AppointmentItem.get_Subject", "Items.Item", "NameSpace.GetDefaultFolder", "OutlookItem.Save".
#pragma once

#include <string>

#include "platform/hresult.h"

namespace host {

// The next `count` calls of `member` fail with `hr` (count -1: every call until cleared).
void SetFault(const std::string& member, HRESULT hr, int count = -1);
void ClearFaults();
// S_OK, or the status a fault set for `member` (counting the call).
[[nodiscard]] HRESULT CheckFault(const char* member);

}  // namespace host
