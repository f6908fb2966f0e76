// The line a failed command prints about the add-in's log, so that a user knows where to look.
#pragma once

#include <string>

// "Log: <newest log file>" when the log folder holds one, else how to switch logging on.
std::string LogHint();
