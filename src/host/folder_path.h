// Folder paths as the commands take and print them: names apart by "/", where a name's own "/" and "\"
// are written "\/" and "\\" (a server calendar may be called "Team / Ops").
#pragma once

#include <string>
#include <vector>

// The names of `path`; empty names (a leading, doubled or trailing "/") are dropped.
std::vector<std::string> SplitFolderPath(const std::string& path);

// The path of `names`, each escaped.
std::string JoinFolderPath(const std::vector<std::string>& names);
