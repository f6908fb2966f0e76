#include "outlook/variant.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "outlook/status.h"

namespace outlook {
namespace {

// The whole text must be a number (blanks around it allowed), as VariantChangeType wants.
bool ParseNumber(const std::string& text, double* out) {
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    double value = std::strtod(begin, &end);
    if (end == begin || errno == ERANGE || !std::isfinite(value)) {
        return false;
    }
    while (*end == ' ' || *end == '\t') {
        ++end;
    }
    if (*end != '\0') {
        return false;
    }
    *out = value;
    return true;
}

}  // namespace

HRESULT Variant::ToBool(bool* out) const {
    switch (kind()) {
        case Kind::Empty:
            *out = false;
            return S_OK;
        case Kind::Bool:
            *out = std::get<bool>(value_);
            return S_OK;
        case Kind::Long:
            *out = std::get<std::int32_t>(value_) != 0;
            return S_OK;
        case Kind::Double:
            *out = std::get<double>(value_) != 0.0;
            return S_OK;
        case Kind::String: {
            const std::string& text = std::get<std::string>(value_);
            if (text == "True" || text == "true" || text == "TRUE" || text == "Yes" || text == "yes") {
                *out = true;
                return S_OK;
            }
            if (text == "False" || text == "false" || text == "FALSE" || text == "No" || text == "no") {
                *out = false;
                return S_OK;
            }
            double number = 0.0;
            if (!ParseNumber(text, &number)) {
                return DISP_E_TYPEMISMATCH;
            }
            *out = number != 0.0;
            return S_OK;
        }
        case Kind::Date:
            return DISP_E_TYPEMISMATCH;
    }
    return DISP_E_TYPEMISMATCH;
}

HRESULT Variant::ToDouble(double* out) const {
    switch (kind()) {
        case Kind::Empty:
            *out = 0.0;
            return S_OK;
        case Kind::Bool:
            // VARIANT_TRUE is -1.
            *out = std::get<bool>(value_) ? -1.0 : 0.0;
            return S_OK;
        case Kind::Long:
            *out = std::get<std::int32_t>(value_);
            return S_OK;
        case Kind::Double:
            *out = std::get<double>(value_);
            return S_OK;
        case Kind::String:
            return ParseNumber(std::get<std::string>(value_), out) ? S_OK : DISP_E_TYPEMISMATCH;
        case Kind::Date: {
            const platform::DateTime& date = std::get<platform::DateTime>(value_);
            if (!date.IsValid()) {
                return DISP_E_TYPEMISMATCH;
            }
            *out = date.value();
            return S_OK;
        }
    }
    return DISP_E_TYPEMISMATCH;
}

HRESULT Variant::ToLong(std::int32_t* out) const {
    double number = 0.0;
    HRESULT hr = ToDouble(&number);
    if (FAILED(hr)) {
        return hr;
    }
    // Banker's rounding, as VariantChangeType rounds.
    double rounded = std::nearbyint(number);
    // Written so that NaN, which fails every comparison, is refused too.
    if (!(rounded >= std::numeric_limits<std::int32_t>::min() &&
          rounded <= std::numeric_limits<std::int32_t>::max())) {
        return DISP_E_TYPEMISMATCH;
    }
    *out = static_cast<std::int32_t>(rounded);
    return S_OK;
}

HRESULT Variant::ToText(std::string* out) const {
    switch (kind()) {
        case Kind::Empty:
            out->clear();
            return S_OK;
        case Kind::Bool:
            *out = std::get<bool>(value_) ? "True" : "False";
            return S_OK;
        case Kind::Long:
            *out = std::to_string(std::get<std::int32_t>(value_));
            return S_OK;
        case Kind::Double: {
            double number = std::get<double>(value_);
            if (number == std::floor(number) && std::fabs(number) < 1e15) {
                *out = std::to_string(static_cast<long long>(number));
            } else {
                std::string text = std::to_string(number);
                while (!text.empty() && text.back() == '0') {
                    text.pop_back();
                }
                *out = text;
            }
            return S_OK;
        }
        case Kind::String:
            *out = std::get<std::string>(value_);
            return S_OK;
        case Kind::Date: {
            const platform::DateTime& date = std::get<platform::DateTime>(value_);
            if (!date.IsValid()) {
                return DISP_E_TYPEMISMATCH;
            }
            *out = date.Format("%Y-%m-%d %H:%M:%S");
            return S_OK;
        }
    }
    return DISP_E_TYPEMISMATCH;
}

HRESULT Variant::ToDate(platform::DateTime* out) const {
    switch (kind()) {
        case Kind::Date:
            *out = std::get<platform::DateTime>(value_);
            return S_OK;
        case Kind::Empty:
            *out = platform::DateTime::Null();
            return S_OK;
        case Kind::Long:
        case Kind::Double: {
            double number = 0.0;
            if (FAILED(ToDouble(&number))) {
                return DISP_E_TYPEMISMATCH;
            }
            *out = platform::DateTime::FromValue(number);
            return S_OK;
        }
        case Kind::String: {
            const std::string& text = std::get<std::string>(value_);
            int year = 0;
            int month = 0;
            int day = 0;
            int hour = 0;
            int minute = 0;
            int second = 0;
            int fields = std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d", &year, &month, &day, &hour,
                                     &minute, &second);
            if (fields != 3 && fields != 6) {
                return DISP_E_TYPEMISMATCH;
            }
            platform::DateTime date = platform::DateTime::FromParts(year, month, day, hour, minute, second);
            if (!date.IsValid()) {
                return DISP_E_TYPEMISMATCH;
            }
            *out = date;
            return S_OK;
        }
        case Kind::Bool:
            return DISP_E_TYPEMISMATCH;
    }
    return DISP_E_TYPEMISMATCH;
}

bool operator==(const Variant& a, const Variant& b) {
    if (a.value_.index() != b.value_.index()) {
        return false;
    }
    if (a.kind() == Variant::Kind::Date) {
        const auto& x = std::get<platform::DateTime>(a.value_);
        const auto& y = std::get<platform::DateTime>(b.value_);
        return x.status() == y.status() && x.value() == y.value();
    }
    switch (a.kind()) {
        case Variant::Kind::Empty:
            return true;
        case Variant::Kind::Bool:
            return std::get<bool>(a.value_) == std::get<bool>(b.value_);
        case Variant::Kind::Long:
            return std::get<std::int32_t>(a.value_) == std::get<std::int32_t>(b.value_);
        case Variant::Kind::Double:
            return std::get<double>(a.value_) == std::get<double>(b.value_);
        case Variant::Kind::String:
            return std::get<std::string>(a.value_) == std::get<std::string>(b.value_);
        case Variant::Kind::Date:
            break;
    }
    return false;
}

}  // namespace outlook
