// The diagnostic log: one line per call, written only when logging was switched on at connection.
// Lines go to addin.log, or during a sync run to that run's own file.
#pragma once

#include <string>

// Reads EnableLog from a fresh settings record and switches logging on or off.
void InitLog();

// printf-style, UTF-8. Writes "[%m/%d/%Y %H:%M:%S] - " + message + "\r\n" in the ANSI code page.
// Never fails to the caller; a line that cannot be written is lost.
void Log(const char* format, ...) __attribute__((format(printf, 1, 2)));

void SetLogEnabled(bool enabled);
bool IsLogEnabled();

// Start of a sync run: later lines go to "addin-<local time as %Y%m%dT%H%M%SZ>.log".
void SwitchLogToRunFile();
// End of a sync run: later lines go to "addin.log" again.
void SwitchLogToDefaultFile();
std::string CurrentLogFileName();

// The folder the log files lie in ($APPDATA/Velmarquin/HarrowgateAddin/Logs).
std::string LogFolder();
