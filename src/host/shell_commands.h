// The velsync commands of the add-in's shell: registration, the options dialog, one sync, a session.
#pragma once

#include <string>
#include <vector>

int RunRegisterCommand(const std::vector<std::string>& args);
int RunUnregisterCommand(const std::vector<std::string>& args);
int RunOptionsCommand(const std::vector<std::string>& args);
int RunSyncCommand(const std::vector<std::string>& args);
int RunSessionCommand(const std::vector<std::string>& args);
