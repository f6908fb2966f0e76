// The server's text of an item that lost a conflict to Outlook's copy, kept under the log folder so it
// can be restored by hand.
#pragma once

#include <string>

// Writes `text` to "<log folder>/Conflicts/<time>-<resource name of href>"; the path, or "" when it could
// not be written.
std::string KeepConflictCopy(const std::string& href, const std::string& text);
