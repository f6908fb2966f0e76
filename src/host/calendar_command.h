// velsync calendar ...: what an Outlook user does with appointments and calendar folders.
#pragma once

#include <string>
#include <vector>

// `args` are the words after "calendar". An exit code (see user_session.h).
int RunCalendarCommand(const std::vector<std::string>& args);
