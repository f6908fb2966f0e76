#include "host/terminal_status_bar.h"

#include <cstdio>

TerminalStatusBar::TerminalStatusBar(bool live) : live_(live) {
    platform::SetStatusBarService(this);
}

TerminalStatusBar::~TerminalStatusBar() {
    platform::SetStatusBarService(nullptr);
    Finish();
}

void TerminalStatusBar::SetText(const std::string& text) {
    std::lock_guard<std::mutex> guard(lock_);
    last_ = text;
    if (live_) {
        std::fprintf(stderr, "\r\033[K[%s]", text.c_str());
        open_line_ = true;
    } else {
        std::fprintf(stderr, "status: %s\n", text.c_str());
    }
    std::fflush(stderr);
}

void TerminalStatusBar::SetProgress(const std::string& text, int done, int total) {
    std::lock_guard<std::mutex> guard(lock_);
    if (live_) {
        last_ = text + ": " + std::to_string(done) + " of " + std::to_string(total);
        std::fprintf(stderr, "\r\033[K[%s]", last_.c_str());
        open_line_ = true;
    } else if (done == 0) {
        std::fprintf(stderr, "status: %s: %d item(s)\n", text.c_str(), total);
    }
    std::fflush(stderr);
}

std::string TerminalStatusBar::LastText() const {
    std::lock_guard<std::mutex> guard(lock_);
    return last_;
}

void TerminalStatusBar::ShowElapsed(int seconds) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!live_)
        return;
    std::fprintf(stderr, "\r\033[K[%s] %d s", last_.c_str(), seconds);
    std::fflush(stderr);
    open_line_ = true;
}

void TerminalStatusBar::Finish() {
    std::lock_guard<std::mutex> guard(lock_);
    if (open_line_) {
        std::fputc('\n', stderr);
        open_line_ = false;
    }
}
