// Message boxes asked on the terminal. Without a terminal a question takes the answer given on the
// command line (--answer yes|no|ok|cancel), else the safe one (No, Cancel), and says so.
#pragma once

#include <string>

#include "platform/message_box.h"

class TerminalMessageBox : public platform::MessageBoxService {
  public:
    // `answer`: the command line's answer, or "".
    explicit TerminalMessageBox(std::string answer) : answer_(std::move(answer)) {}

    int Show(const std::string& text, const std::string& caption, unsigned flags) override;

    // How many boxes were shown (commands report a refusal when a guard spoke).
    int shown() const { return shown_; }

  private:
    std::string answer_;
    int shown_ = 0;
};
