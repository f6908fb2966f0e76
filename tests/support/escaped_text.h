// Data files of the table-driven tests write bytes a line cannot hold as escapes.
#pragma once

#include <string>

namespace testing_support {

// \t \r \n and \xHH become their bytes; a backslash before anything else stands for that character.
std::string Unescaped(const std::string& text);

}  // namespace testing_support
