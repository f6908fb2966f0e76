#include "host/terminal_message_box.h"

#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/date_time.h"
#include "platform/text.h"

namespace {

int AnswerCode(const std::string& word) {
    const std::string lower = platform::AsciiLower(word);
    if (lower == "yes" || lower == "y") {
        return platform::IDYES;
    }
    if (lower == "no" || lower == "n") {
        return platform::IDNO;
    }
    if (lower == "ok") {
        return platform::IDOK;
    }
    if (lower == "cancel" || lower == "c") {
        return platform::IDCANCEL;
    }
    return 0;
}

}  // namespace

int TerminalMessageBox::Show(const std::string& text, const std::string& caption, unsigned flags) {
    ++shown_;
    const unsigned icon = flags & 0xF0;
    if (icon == platform::MB_ICONERROR ||
        (icon == platform::MB_ICONQUESTION && std::this_thread::get_id() == ui_thread_)) {
        ++failures_;
    }
    const unsigned buttons = flags & 0xF;
    const bool yes_no = buttons == platform::MB_YESNO;
    const int safe = yes_no ? platform::IDNO : platform::IDCANCEL;
    const char* choices = yes_no ? "[y]es/[n]o" : "[y]es/[n]o/[c]ancel";
    const bool closing = closing_.load();
    const int given = closing ? 0 : AnswerCode(answer_);
    const bool asked = buttons != platform::MB_OK && given == 0 && !closing && isatty(STDIN_FILENO) != 0;
    if (log_lines_) {
        std::string line = text;
        for (std::size_t at = line.find('\n'); at != std::string::npos; at = line.find('\n', at))
            line.replace(at, 1, "; ");
        const char* answered = buttons == platform::MB_OK ? ""
                               : given != 0               ? " (answered from the command line)"
                               : asked                    ? ""
                               : closing && yes_no        ? " (the session is ending: No)"
                               : closing                  ? " (the session is ending: Cancel)"
                               : yes_no                   ? " (no terminal to ask: No)"
                                                          : " (no terminal to ask: Cancel)";
        std::fprintf(stderr, "%s %s: %s%s\n",
                     platform::DateTime::NowLocal().Format("%Y-%m-%d %H:%M:%S").c_str(), caption.c_str(),
                     line.c_str(), answered);
    } else {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    }
    if (buttons == platform::MB_OK) {
        return platform::IDOK;
    }
    if (given != 0) {
        if (!log_lines_)
            std::fprintf(stderr, "Answered %s from the command line.\n", answer_.c_str());
        return given;
    }
    if (closing) {
        if (!log_lines_)
            std::fprintf(stderr, "The session is ending: answering %s.\n", yes_no ? "No" : "Cancel");
        return safe;
    }
    if (!asked) {
        if (!log_lines_)
            std::fprintf(
                stderr,
                "No terminal to ask \"%s\": answering %s, the safe answer (--answer %s answers it).\n",
                text.c_str(), yes_no ? "No" : "Cancel", yes_no ? "yes|no" : "yes|no|cancel");
        return safe;
    }
    // Bounded: a few tries, then the safe answer.
    for (int attempt = 0; attempt < 5; ++attempt) {
        std::fprintf(stderr, "%s? ", choices);
        char line[64];
        if (std::fgets(line, sizeof line, stdin) == nullptr) {
            break;
        }
        std::string word(platform::TrimWhitespace(line));
        const int code = AnswerCode(word);
        if (code == platform::IDYES || code == platform::IDNO || (!yes_no && code == platform::IDCANCEL)) {
            return code;
        }
    }
    std::fprintf(stderr, "No answer: answering %s.\n", yes_no ? "No" : "Cancel");
    return safe;
}
