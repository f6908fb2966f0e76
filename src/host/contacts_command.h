// velsync contacts ...: what an Outlook user does with contacts, distribution lists and contact folders.
#pragma once

#include <string>
#include <vector>

// `args` are the words after "contacts". An exit code (see user_session.h).
int RunContactsCommand(const std::vector<std::string>& args);
