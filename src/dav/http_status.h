// How the client classifies HTTP statuses; every decision on a status goes through these.
#pragma once

#include <string_view>

#include "settings/transport_failure.h"

// 201 to 299 (and 1223, WinINet's stand-in for 204) succeed. 200 succeeds only for PUT and DELETE, where
// it means done (Radicale answers every DELETE with 200); a PROPFIND, REPORT or MKCALENDAR answered with
// 200 did not get a WebDAV answer and fails.
bool IsSuccessStatus(std::string_view method, int status);

// The kind of a status that is not a success.
FailureKind ClassifyStatus(int status);
