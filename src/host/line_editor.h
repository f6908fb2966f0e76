// One line typed at the terminal with editing: arrow keys, Home and End, and the lines typed earlier in
// this session (GNU readline; libedit cannot start a line with a text in it).
#pragma once

#include <string>

// Shows `prompt` and reads a line that starts out as `initial`, so a field is edited rather than typed
// anew. False at the end of input; `line` untouched then.
bool ReadEditedLine(const std::string& prompt, const std::string& initial, std::string* line);
