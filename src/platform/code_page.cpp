#include "platform/code_page.h"

#include <langinfo.h>
#include <unicode/ucnv.h>

#include <clocale>
#include <memory>
#include <mutex>

#include "platform/text.h"

namespace platform {
namespace {

struct ConverterCloser {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

bool IsUtf8Name(std::string_view name) {
    return EqualsIgnoreAsciiCase(name, "UTF-8") || EqualsIgnoreAsciiCase(name, "utf8");
}

Converter OpenConverter(const std::string& name) {
    UErrorCode status = U_ZERO_ERROR;
    Converter converter(ucnv_open(name.c_str(), &status));
    if (U_FAILURE(status))
        return nullptr;
    return converter;
}

}  // namespace

std::string AnsiCodePageName() {
    static const std::string kName = [] {
        // The process may not have called setlocale; ask the environment's locale without changing the
        // process-wide one.
        locale_t locale = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
        std::string codeset = locale ? nl_langinfo_l(CODESET, locale) : "ANSI_X3.4-1968";
        if (locale)
            freelocale(locale);
        if (codeset.empty() || codeset == "ANSI_X3.4-1968" || EqualsIgnoreAsciiCase(codeset, "ASCII") ||
            EqualsIgnoreAsciiCase(codeset, "US-ASCII")) {
            return std::string("UTF-8");
        }
        return codeset;
    }();
    return kName;
}

std::string Utf8ToAnsi(std::string_view utf8) {
    const std::string name = AnsiCodePageName();
    if (IsUtf8Name(name))
        return SanitizeUtf8(utf8);
    Converter converter = OpenConverter(name);
    if (!converter)
        return SanitizeUtf8(utf8);
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setSubstChars(converter.get(), "?", 1, &status);
    const std::u16string wide = Utf8ToUtf16(utf8);
    std::string out(wide.size() * 4 + 4, '\0');
    status = U_ZERO_ERROR;
    const std::int32_t written = ucnv_fromUChars(
        converter.get(), out.data(), static_cast<std::int32_t>(out.size()),
        reinterpret_cast<const UChar*>(wide.data()), static_cast<std::int32_t>(wide.size()), &status);
    if (U_FAILURE(status))
        return {};
    out.resize(static_cast<std::size_t>(written));
    return out;
}

bool CharsetToUtf8(std::string_view bytes, const std::string& charset, std::string* out) {
    if (IsUtf8Name(charset)) {
        *out = SanitizeUtf8(bytes);
        return true;
    }
    Converter converter = OpenConverter(charset);
    if (!converter)
        return false;
    std::u16string wide(bytes.size() * 2 + 2, u'\0');
    UErrorCode status = U_ZERO_ERROR;
    const std::int32_t written = ucnv_toUChars(converter.get(), reinterpret_cast<UChar*>(wide.data()),
                                               static_cast<std::int32_t>(wide.size()), bytes.data(),
                                               static_cast<std::int32_t>(bytes.size()), &status);
    if (U_FAILURE(status))
        return false;
    wide.resize(static_cast<std::size_t>(written));
    *out = Utf16ToUtf8(wide);
    return true;
}

std::string AnsiToUtf8(std::string_view ansi) {
    std::string utf8;
    if (!CharsetToUtf8(ansi, AnsiCodePageName(), &utf8))
        return SanitizeUtf8(ansi);
    return utf8;
}

}  // namespace platform
