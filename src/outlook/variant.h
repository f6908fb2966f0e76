// A property value of the object model (a VARIANT of the kinds Outlook uses): empty, yes/no, 32-bit
// integer, double, text or date. Conversions follow VariantChangeType for those kinds.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <variant>

#include "platform/date_time.h"
#include "platform/hresult.h"

namespace outlook {

class Variant {
  public:
    enum class Kind { Empty, Bool, Long, Double, String, Date };

    Variant() = default;
    Variant(bool value) : value_(value) {}
    Variant(std::int32_t value) : value_(value) {}
    Variant(double value) : value_(value) {}
    Variant(std::string value) : value_(std::move(value)) {}
    Variant(const char* value) : value_(std::string(value)) {}
    Variant(const platform::DateTime& value) : value_(value) {}

    Kind kind() const { return static_cast<Kind>(value_.index()); }
    bool IsEmpty() const { return kind() == Kind::Empty; }

    // Conversions. Fail with DISP_E_TYPEMISMATCH when the value has no such form (text that is not a
    // number, a date as yes/no ...), leaving *out untouched; an empty value converts to 0, false or "".
    [[nodiscard]] HRESULT ToBool(bool* out) const;
    [[nodiscard]] HRESULT ToLong(std::int32_t* out) const;
    [[nodiscard]] HRESULT ToDouble(double* out) const;
    [[nodiscard]] HRESULT ToText(std::string* out) const;
    [[nodiscard]] HRESULT ToDate(platform::DateTime* out) const;

    // Same kind and same value (dates by value and status).
    friend bool operator==(const Variant& a, const Variant& b);

  private:
    std::variant<std::monostate, bool, std::int32_t, double, std::string, platform::DateTime> value_;
};

}  // namespace outlook
