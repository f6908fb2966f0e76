// The folder actions both the calendar and the contacts commands offer: folders, mkdir, rmdir,
// rename, mvdir. `root` is the default folder's name ("Calendar", "Contacts").
#pragma once

#include <string>

#include "host/command_line.h"
#include "host/command_output.h"
#include "host/user_session.h"

// True when `verb` is one of the folder actions.
bool IsFolderVerb(const std::string& verb);
// Runs it; an exit code.
int RunFolderVerb(UserSession* session, CommandOutput* output, const std::string& root,
                  const std::string& verb, const CommandLine& line);
// The help lines of the folder actions.
std::string FolderVerbsHelp(const std::string& command, const std::string& root);
