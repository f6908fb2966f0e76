// Message boxes asked on the terminal. Without a terminal a question takes the answer given on the
// command line (--answer yes|no|ok|cancel), else the safe one (No, Cancel), and says so.
#pragma once

#include <atomic>
#include <string>
#include <thread>

#include "platform/message_box.h"

class TerminalMessageBox : public platform::MessageBoxService {
  public:
    // `answer`: the command line's answer, or "".
    explicit TerminalMessageBox(std::string answer) : answer_(std::move(answer)) {}

    int Show(const std::string& text, const std::string& caption, unsigned flags) override;

    // For a session whose output is a log (no terminal): each box is one line that starts with the local
    // time, its answer included.
    void SetLogLines(bool log_lines) { log_lines_ = log_lines; }

    // The session is ending: from now on every question takes the safe answer without asking, whatever
    // the command line said.
    void SetClosing() { closing_ = true; }

    // How many boxes were shown (commands report a refusal when a guard spoke).
    int shown() const { return shown_; }
    // Boxes that report a failure: an error icon, or a question on the user-interface thread (the end of
    // a run offers the settings after a connection or log-on failure; the run's own questions come from
    // its worker thread).
    int failures() const { return failures_; }

  private:
    std::string answer_;
    std::atomic<bool> log_lines_{false};
    std::atomic<bool> closing_{false};
    std::atomic<int> shown_{0};
    std::atomic<int> failures_{0};
    const std::thread::id ui_thread_ = std::this_thread::get_id();
};
