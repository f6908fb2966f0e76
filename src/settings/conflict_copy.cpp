#include "settings/conflict_copy.h"

#include <cctype>

#include "platform/date_time.h"
#include "platform/file_system.h"
#include "settings/log.h"

std::string KeepConflictCopy(const std::string& href, const std::string& text) {
    const std::string folder = LogFolder() + "/Conflicts";
    if (!platform::PathExists(folder))
        (void)platform::CreateOneDirectory(folder);
    std::string name = href.substr(href.rfind('/') + 1);
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != '_')
            c = '_';
    }
    const std::string path =
        folder + "/" + platform::DateTime::NowLocal().Format("%Y%m%dT%H%M%S") + "-" + name.substr(0, 100);
    return platform::WriteFileAtomically(path, text) == ERROR_SUCCESS ? path : std::string();
}
