// Dialogs on the terminal: the settings page (in the first-run dialog and in the options dialog) and the
// three-button warning. Settings come from the command line (for scripts) or are edited at the terminal;
// without a terminal a dialog takes the command line's --answer, else Cancel, and says so.
#pragma once

#include <optional>
#include <string>

#include "host/terminal_dialog_window.h"
#include "platform/dialog.h"

// Changes to the settings page given on the command line.
struct PageEdits {
    std::optional<std::string> url;
    std::optional<std::string> email;
    std::optional<std::string> password;
    std::optional<bool> calendars;
    std::optional<bool> contacts;
    // The interval lists' texts: "Off", "5" ... "60" minutes; "Off", "1" ... "24" hours.
    std::optional<std::string> calendar_interval;
    std::optional<std::string> contact_interval;
    bool test = false;

    bool Any() const {
        return url || email || password || calendars || contacts || calendar_interval || contact_interval ||
               test;
    }
};

// Types the edits into the page as a user would (each change notified). False, with *error set, for an
// interval that is not in its list.
bool ApplyPageEdits(platform::DialogHandler& page, TerminalDialogWindow& window, const PageEdits& edits,
                    std::string* error);
// Prints the page's controls.
void PrintPage(const TerminalDialogWindow& window);
// Lets the user edit the page at the terminal. True for OK, false for Cancel (or end of input).
bool EditPageInteractively(platform::DialogHandler& page, TerminalDialogWindow& window);
// Reads one line from the terminal; `secret` turns echo off. False at end of input.
bool ReadTerminalLine(const std::string& prompt, bool secret, std::string* line);

class TerminalDialogService : public platform::DialogService {
  public:
    // Installs itself as the process's dialog service.
    TerminalDialogService(PageEdits edits, std::string answer);
    ~TerminalDialogService() override;
    TerminalDialogService(const TerminalDialogService&) = delete;
    TerminalDialogService& operator=(const TerminalDialogService&) = delete;

    int RunModal(int template_id, platform::DialogHandler& handler) override;

  private:
    int RunSettings(platform::DialogHandler& handler, TerminalDialogWindow& window);
    int RunWarning(platform::DialogHandler& handler, TerminalDialogWindow& window);

    PageEdits edits_;
    std::string answer_;
};
