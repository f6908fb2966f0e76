#include "dav/href_check.h"

namespace {

std::string_view PathOf(std::string_view href) {
    const std::size_t scheme = href.find("://");
    if (scheme == std::string_view::npos)
        return href;
    const std::size_t slash = href.find('/', scheme + 3);
    return slash == std::string_view::npos ? std::string_view("/") : href.substr(slash);
}

}  // namespace

bool HasControlCharacter(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return true;
    }
    return false;
}

bool IsUsableHref(std::string_view href) {
    if (href.empty() || HasControlCharacter(href))
        return false;
    std::size_t start = 0;
    while (start <= href.size()) {
        std::size_t end = href.find('/', start);
        if (end == std::string_view::npos)
            end = href.size();
        const std::string_view segment = href.substr(start, end - start);
        if (segment == "." || segment == "..")
            return false;
        start = end + 1;
    }
    return true;
}

bool IsBelowCollection(std::string_view href, std::string_view collection) {
    const std::string_view path = PathOf(href);
    const std::string_view base = PathOf(collection);
    return path.size() > base.size() && path.substr(0, base.size()) == base;
}
