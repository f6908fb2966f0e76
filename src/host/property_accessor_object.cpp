#include "host/property_accessor_object.h"

#include <cctype>

#include "host/fault_hook.h"
#include "outlook/mapi_prop.h"
#include "outlook/status.h"
#include "platform/text.h"

namespace host {
namespace {

constexpr std::string_view kIdPrefix = "http://schemas.microsoft.com/mapi/id/";
constexpr std::string_view kTagPrefix = "http://schemas.microsoft.com/mapi/proptag/0x";

bool IsHex(std::string_view text) {
    for (char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    return !text.empty();
}

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return out;
}

}  // namespace

PropertyAccessorObject::PropertyAccessorObject(RecordOwner* owner)
    : keep_(owner->OwnerObject()), owner_(owner) {}

bool PropertyAccessorObject::ParseSchemaName(const std::string& schema_name, std::string* key,
                                             std::uint16_t* type) {
    std::string_view name = schema_name;
    std::string_view tag;
    if (name.substr(0, kTagPrefix.size()) == kTagPrefix) {
        tag = name.substr(kTagPrefix.size());
        if (tag.size() != 8 || !IsHex(tag)) {
            return false;
        }
        *key = "tag/" + Upper(tag);
    } else if (name.substr(0, kIdPrefix.size()) == kIdPrefix) {
        // {GUID}/IIIITTTT
        std::string_view rest = name.substr(kIdPrefix.size());
        if (rest.size() != 38 + 1 + 8 || rest[0] != '{' || rest[37] != '}' || rest[38] != '/') {
            return false;
        }
        tag = rest.substr(39);
        if (!IsHex(tag)) {
            return false;
        }
        *key = "id/" + Upper(rest);
    } else {
        return false;
    }
    *type = static_cast<std::uint16_t>(std::stoul(std::string(tag.substr(4)), nullptr, 16));
    return true;
}

HRESULT PropertyAccessorObject::ConvertToPropType(std::uint16_t type, const outlook::Variant& value,
                                                  outlook::Variant* out) {
    HRESULT hr = E_INVALIDARG;
    switch (type) {
        case outlook::PT_LONG: {
            std::int32_t number = 0;
            hr = value.ToLong(&number);
            if (SUCCEEDED(hr)) {
                *out = outlook::Variant(number);
            }
            break;
        }
        case outlook::PT_BOOLEAN: {
            bool flag = false;
            hr = value.ToBool(&flag);
            if (SUCCEEDED(hr)) {
                *out = outlook::Variant(flag);
            }
            break;
        }
        case outlook::PT_UNICODE: {
            std::string text;
            hr = value.ToText(&text);
            if (SUCCEEDED(hr)) {
                *out = outlook::Variant(text);
            }
            break;
        }
        case outlook::PT_SYSTIME: {
            platform::DateTime date;
            hr = value.ToDate(&date);
            if (SUCCEEDED(hr)) {
                *out = outlook::Variant(date);
            }
            break;
        }
        default:
            break;
    }
    return hr;
}

HRESULT PropertyAccessorObject::GetProperty(const std::string& schema_name, outlook::Variant* out) {
    HRESULT hr = CheckFault("PropertyAccessor.GetProperty");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    std::string key;
    std::uint16_t type = 0;
    if (!ParseSchemaName(schema_name, &key, &type)) {
        return E_INVALIDARG;
    }
    const auto& named = owner_->Record().named;
    auto it = named.find(key);
    if (it == named.end()) {
        return outlook::MAPI_E_NOT_FOUND;
    }
    *out = it->second;
    return S_OK;
}

HRESULT PropertyAccessorObject::SetProperty(const std::string& schema_name, const outlook::Variant& value) {
    HRESULT hr = CheckFault("PropertyAccessor.SetProperty");
    if (FAILED(hr)) {
        return hr;
    }
    std::string key;
    std::uint16_t type = 0;
    if (!ParseSchemaName(schema_name, &key, &type)) {
        return E_INVALIDARG;
    }
    outlook::Variant converted;
    hr = ConvertToPropType(type, value, &converted);
    if (FAILED(hr)) {
        return hr;
    }
    owner_->Record().named[key] = converted;
    owner_->MarkChanged();
    return S_OK;
}

}  // namespace host
