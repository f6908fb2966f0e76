#include "ical/tzid_map.h"

#include <filesystem>
#include <mutex>
#include <unordered_map>

#include "platform/file_system.h"
#include "settings/module_info.h"

namespace {

// The file holds a few hundred rows and is asked twice per server event; reading it each time would
// cost more than the rest of the mapping.
struct CachedFile {
    std::string path;
    std::filesystem::file_time_type time;
    std::uintmax_t size = 0;
    std::unordered_map<std::string, std::string> rows;
};

std::mutex g_cache_lock;
CachedFile g_cache;
// Set once MapTzid has looked at the module's file; two stat calls per TZID cost more than the lookup.
bool g_module_file_checked = false;

std::string WithoutQuotes(std::string_view text) {
    std::string out(text);
    std::erase(out, '"');
    return out;
}

std::unordered_map<std::string, std::string> ReadRows(const std::string& bytes) {
    std::unordered_map<std::string, std::string> rows;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        std::string_view line = std::string_view(bytes).substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        start = end + 1;
        const std::size_t first = line.find(',');
        const std::size_t second = first == std::string_view::npos ? first : line.find(',', first + 1);
        const std::size_t third = second == std::string_view::npos ? second : line.find(',', second + 1);
        if (third == std::string_view::npos)
            continue;
        rows.emplace(WithoutQuotes(line.substr(0, first)),
                     WithoutQuotes(line.substr(second + 1, third - second - 1)));
    }
    return rows;
}

// Reads the file again when it is not the one cached or its size or time changed. False when it cannot
// be read (the cache is then left as it was).
bool Refresh(const std::string& path) {
    std::error_code error;
    const auto time = std::filesystem::last_write_time(path, error);
    if (error)
        return false;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error)
        return false;
    if (g_cache.path != path || g_cache.time != time || g_cache.size != size) {
        std::string bytes;
        if (platform::ReadWholeFile(path, &bytes) != ERROR_SUCCESS)
            return false;
        g_cache = CachedFile{path, time, size, ReadRows(bytes)};
    }
    return true;
}

std::string Lookup(std::string_view tzid) {
    const auto row = g_cache.rows.find(std::string(tzid));
    return row == g_cache.rows.end() ? std::string() : row->second;
}

}  // namespace

std::string MapTzidInFile(const std::string& path, std::string_view tzid) {
    std::lock_guard<std::mutex> lock(g_cache_lock);
    return Refresh(path) ? Lookup(tzid) : std::string();
}

std::string MapTzid(std::string_view tzid) {
    static const std::string kPath = ModuleFolder() + "/tzids.csv";
    std::lock_guard<std::mutex> lock(g_cache_lock);
    if (!g_module_file_checked || g_cache.path != kPath) {
        if (!Refresh(kPath))
            return {};
        g_module_file_checked = true;
    }
    return Lookup(tzid);
}

void RecheckTzidMap() {
    std::lock_guard<std::mutex> lock(g_cache_lock);
    g_module_file_checked = false;
}
