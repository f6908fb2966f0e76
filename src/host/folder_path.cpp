#include "host/folder_path.h"

std::vector<std::string> SplitFolderPath(const std::string& path) {
    std::vector<std::string> names;
    std::string current;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const char c = path[i];
        if (c == '\\' && i + 1 < path.size() && (path[i + 1] == '/' || path[i + 1] == '\\')) {
            current += path[++i];
        } else if (c != '/') {
            current += c;
        } else if (!current.empty()) {
            names.push_back(std::move(current));
            current.clear();
        }
    }
    if (!current.empty()) {
        names.push_back(std::move(current));
    }
    return names;
}

std::string JoinFolderPath(const std::vector<std::string>& names) {
    std::string path;
    for (const std::string& name : names) {
        if (!path.empty()) {
            path += '/';
        }
        for (const char c : name) {
            if (c == '/' || c == '\\') {
                path += '\\';
            }
            path += c;
        }
    }
    return path;
}
