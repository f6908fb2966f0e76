#include "settings/log.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "platform/code_page.h"
#include "platform/date_time.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "settings/log_to_stderr.h"
#include "settings/messages.h"
#include "settings/settings_manager.h"

namespace {

constexpr const char* kDefaultFileName = "addin.log";
// The format buffer holds 0x80000 bytes of UTF-16: 262143 characters and the terminator.
constexpr std::size_t kMaxLineUnits = 262143;

std::atomic<bool> g_enabled{false};
std::atomic<bool> g_copy_to_stderr{false};
std::mutex g_file_name_lock;

// A plain buffer, never destroyed: timer and wait threads may still log while the process exits (and the
// module may be unloaded then, so nothing of it may stay allocated either). Holds "addin-%s.log".
char g_file_name[64] = "addin.log";

void SetFileName(const std::string& name) {
    std::snprintf(g_file_name, sizeof g_file_name, "%s", name.c_str());
}

std::string FormatLine(const char* format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (needed < 0)
        return {};
    std::vector<char> buffer(static_cast<std::size_t>(needed) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    std::string text(buffer.data(), static_cast<std::size_t>(needed));
    if (text.size() > kMaxLineUnits)
        text = std::string(platform::Utf8PrefixByUtf16Units(text, kMaxLineUnits));
    return text;
}

// Without APPDATA the original writes to the root of drive C; here that place is the velsync home.
std::string LogFilePath(const std::string& file_name) {
    const std::string app_data = platform::AppDataFolder();
    if (app_data.empty())
        return platform::VelsyncHome() + "/" + file_name;
    const std::string product = platform::JoinRelative(app_data, "Velmarquin\\HarrowgateAddin\\");
    // One creation call for the whole relative path: it succeeds only when the maker folder exists.
    if (!platform::PathExists(product))
        (void)platform::CreateOneDirectory(product);
    const std::string logs = product + "/Logs";
    if (!platform::PathExists(logs))
        (void)platform::CreateOneDirectory(logs);
    return logs + "/" + file_name;
}

}  // namespace

void InitLog() {
    CSettingsManager settings;
    settings.Create();
    // `velsync -v` asks for this one process's log on stderr as well, whatever the setting.
    const char* copy = std::getenv(kLogToStderrVariable);
    g_copy_to_stderr.store(copy != nullptr && std::string(copy) == "1");
    SetLogEnabled(settings.GetEnableLog() || g_copy_to_stderr.load());
}

void SetLogEnabled(bool enabled) {
    g_enabled.store(enabled);
}

bool IsLogEnabled() {
    return g_enabled.load();
}

void Log(const char* format, ...) {
    if (!g_enabled.load())
        return;
    va_list args;
    va_start(args, format);
    const std::string message = FormatLine(format, args);
    va_end(args);

    const std::string path = LogFilePath(CurrentLogFileName());
    const std::string prefix =
        "[" + platform::DateTime::NowLocal().Format(LoadMessage(IDS_DATE_FORMAT).c_str()) + "] - ";
    // One write per line, so lines of different threads never mix inside a line.
    (void)platform::AppendToFile(path, platform::Utf8ToAnsi(prefix + message) + "\r\n");
    if (g_copy_to_stderr.load())
        std::fputs((prefix + platform::SanitizeUtf8(message) + "\n").c_str(), stderr);
}

void SwitchLogToRunFile() {
    const std::string stamp = platform::DateTime::NowLocal().Format(LoadMessage(IDS_ICAL_UTC_FORMAT).c_str());
    std::lock_guard<std::mutex> lock(g_file_name_lock);
    SetFileName("addin-" + stamp + ".log");
}

void SwitchLogToDefaultFile() {
    std::lock_guard<std::mutex> lock(g_file_name_lock);
    SetFileName(kDefaultFileName);
}

std::string CurrentLogFileName() {
    std::lock_guard<std::mutex> lock(g_file_name_lock);
    return g_file_name;
}

std::string LogFolder() {
    const std::string app_data = platform::AppDataFolder();
    if (app_data.empty())
        return platform::VelsyncHome();
    return platform::JoinRelative(app_data, "Velmarquin\\HarrowgateAddin\\Logs\\");
}
