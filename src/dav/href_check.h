// Which server hrefs the synchronization may use as request targets and index keys.
#pragma once

#include <string_view>

// True when the text holds a control character (U+0000..U+001F or DEL).
bool HasControlCharacter(std::string_view text);

// False for an empty href and one holding a control character (tab, CR, LF... would break the index
// line format) or a "." / ".." path segment (a request to it could reach another resource).
bool IsUsableHref(std::string_view href);

// True when `href` lies below `collection` (which ends in "/") and is not the collection itself. An
// absolute URL is compared by its path.
bool IsBelowCollection(std::string_view href, std::string_view collection);
