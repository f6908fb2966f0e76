#include "host/line_editor.h"

#include <cstdio>
#include <cstdlib>

#include <readline/history.h>
#include <readline/readline.h>

namespace {

// readline's hooks take no argument, so the text to pre-fill waits here for the one call.
std::string g_initial;

int InsertInitial() {
    rl_insert_text(g_initial.c_str());
    return 0;
}

}  // namespace

bool ReadEditedLine(const std::string& prompt, const std::string& initial, std::string* line) {
    // Prompts and questions go to stderr, as the rest of the dialog does.
    rl_outstream = stderr;
    g_initial = initial;
    rl_startup_hook = InsertInitial;
    char* text = readline(prompt.c_str());
    rl_startup_hook = nullptr;
    if (text == nullptr) {
        return false;
    }
    *line = text;
    if (*text != '\0') {
        add_history(text);
    }
    std::free(text);
    return true;
}
