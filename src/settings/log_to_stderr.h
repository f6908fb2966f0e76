// The switch `velsync -v` sets for one process: logging on, whatever the settings say, and every line
// copied to stderr. InitLog reads it.
#pragma once

// Set to "1" to switch it on.
inline constexpr const char* kLogToStderrVariable = "VELSYNC_LOG_STDERR";
