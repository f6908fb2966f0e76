// The status bar of the host's main window (SB_SETTEXT on part 0). The host's front end implements the
// service; without one the text goes nowhere, as when Outlook's window cannot be found.
#pragma once

#include <string>

namespace platform {

class StatusBarService {
  public:
    virtual ~StatusBarService() = default;
    // Replaces the text of the status bar. Called from any thread.
    virtual void SetText(const std::string& text) = 0;
    // `done` of `total` items of what `text` names have been gone through. A bar that shows no
    // progress ignores it.
    virtual void SetProgress(const std::string& /*text*/, int /*done*/, int /*total*/) {}
};

// The process-wide service. Ownership: not owned; the host keeps it alive while the module runs.
void SetStatusBarService(StatusBarService* service);
// True when a service took the text.
bool SetStatusBarText(const std::string& text);
// The same for StatusBarService::SetProgress.
bool SetStatusBarProgress(const std::string& text, int done, int total);

}  // namespace platform
