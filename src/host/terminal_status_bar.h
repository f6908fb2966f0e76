// The status bar on the terminal: one status line rewritten in place on a terminal, else one line per
// text on stderr. Keeps the last text for the commands that report it.
#pragma once

#include <mutex>
#include <string>

#include "platform/status_bar.h"

class TerminalStatusBar : public platform::StatusBarService {
  public:
    // Installs itself as the process's status bar; `live` rewrites one line in place.
    explicit TerminalStatusBar(bool live);
    ~TerminalStatusBar() override;
    TerminalStatusBar(const TerminalStatusBar&) = delete;
    TerminalStatusBar& operator=(const TerminalStatusBar&) = delete;

    void SetText(const std::string& text) override;
    // On a terminal "text: done of total" in place; else one line when a collection starts (done 0).
    void SetProgress(const std::string& text, int done, int total) override;
    std::string LastText() const;
    // The progress of a long run: the last text with the seconds since it began (live line only).
    void ShowElapsed(int seconds);
    // Ends the status line, so that what follows starts on a line of its own.
    void Finish();

  private:
    mutable std::mutex lock_;
    const bool live_;
    bool open_line_ = false;
    std::string last_;
};
