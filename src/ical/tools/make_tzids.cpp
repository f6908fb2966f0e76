// Writes tzids.csv from ICU's zone data: one row per IANA zone name (canonical names and their aliases)
// that ICU maps to a Windows zone, and one row per Windows zone ID mapping it to itself. Columns: TZID,
// canonical IANA name, Outlook (Windows) zone ID, source. Lines end with CR LF.
//   make_tzids <output file>
#include <unicode/strenum.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>

namespace {

std::string Utf8(const icu::UnicodeString& text) {
    std::string out;
    text.toUTF8String(out);
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_tzids <output file>\n");
        return 2;
    }
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::StringEnumeration> ids(icu::TimeZone::createEnumeration(status));
    if (U_FAILURE(status) || !ids) {
        std::fprintf(stderr, "make_tzids: ICU has no zone list: %s\n", u_errorName(status));
        return 1;
    }
    // Sorted, so the file only changes when the data does.
    std::map<std::string, std::pair<std::string, std::string>> rows;
    std::set<std::string> windows_ids;
    for (const icu::UnicodeString* id = ids->snext(status); U_SUCCESS(status) && id != nullptr;
         id = ids->snext(status)) {
        // A TZID holding a comma or a quote could not be one CSV column.
        const std::string name = Utf8(*id);
        if (name.find_first_of(",\"") != std::string::npos)
            continue;
        UErrorCode id_status = U_ZERO_ERROR;
        icu::UnicodeString canonical;
        icu::TimeZone::getCanonicalID(*id, canonical, id_status);
        icu::UnicodeString windows;
        icu::TimeZone::getWindowsID(*id, windows, id_status);
        if (U_FAILURE(id_status) || windows.isEmpty())
            continue;
        rows[name] = {Utf8(canonical), Utf8(windows)};
        windows_ids.insert(Utf8(windows));
    }
    for (const std::string& windows : windows_ids)
        rows.emplace(windows, std::make_pair(std::string(), windows));

    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << "tzid,canonical,outlook_id,source\r\n";
    const std::string source = std::string("icu ") + U_ICU_VERSION;
    for (const auto& [tzid, mapping] : rows)
        out << tzid << ',' << mapping.first << ',' << mapping.second << ',' << source << "\r\n";
    out.close();
    if (!out) {
        std::fprintf(stderr, "make_tzids: cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("make_tzids: %zu zones\n", rows.size());
    return 0;
}
