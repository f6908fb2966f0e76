#include "host/user_properties_object.h"

#include "host/fault_hook.h"
#include "host/user_property_object.h"
#include "outlook/status.h"
#include "platform/text.h"

namespace host {

outlook::Variant EmptyValueOf(outlook::OlUserPropertyType type) {
    switch (type) {
        case outlook::olText:
            return outlook::Variant(std::string());
        case outlook::olNumber:
            return outlook::Variant(0.0);
        case outlook::olInteger:
            return outlook::Variant(std::int32_t{0});
        case outlook::olYesNo:
            return outlook::Variant(false);
        case outlook::olDateTime:
            return outlook::Variant(platform::DateTime::Null());
    }
    return outlook::Variant();
}

HRESULT ConvertToType(outlook::OlUserPropertyType type, const outlook::Variant& value,
                      outlook::Variant* out) {
    HRESULT hr = E_INVALIDARG;
    switch (type) {
        case outlook::olText: {
            std::string text;
            hr = value.ToText(&text);
            if (SUCCEEDED(hr)) {
                *out = outlook::Variant(text);
            }
            break;
        }
        case outlook::olNumber: {
            double number = 0.0;
            hr = value.ToDouble(&number);
            if (SUCCEEDED(hr)) {
                *out = outlook::Variant(number);
            }
            break;
        }
        case outlook::olInteger: {
            std::int32_t number = 0;
            hr = value.ToLong(&number);
            if (SUCCEEDED(hr)) {
                *out = outlook::Variant(number);
            }
            break;
        }
        case outlook::olYesNo: {
            bool flag = false;
            hr = value.ToBool(&flag);
            if (SUCCEEDED(hr)) {
                *out = outlook::Variant(flag);
            }
            break;
        }
        case outlook::olDateTime: {
            platform::DateTime date;
            hr = value.ToDate(&date);
            if (SUCCEEDED(hr)) {
                *out = outlook::Variant(date);
            }
            break;
        }
    }
    return hr;
}

UserPropertiesObject::UserPropertiesObject(RecordOwner* owner) : keep_(owner->OwnerObject()), owner_(owner) {}

HRESULT UserPropertiesObject::get_Count(std::int32_t* out) {
    HRESULT hr = CheckFault("UserProperties.get_Count");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = static_cast<std::int32_t>(owner_->Record().user_properties.size());
    return S_OK;
}

HRESULT UserPropertiesObject::Item(std::int32_t index, outlook::ComPtr<outlook::UserProperty>* out) {
    HRESULT hr = CheckFault("UserProperties.Item");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    const auto& list = owner_->Record().user_properties;
    if (index < 1 || static_cast<std::size_t>(index) > list.size()) {
        return outlook::DISP_E_BADINDEX;
    }
    *out = internal::Make<UserPropertyObject>(owner_,
                                              BagText(list[static_cast<std::size_t>(index - 1)], "Name"));
    return S_OK;
}

HRESULT UserPropertiesObject::Find(const std::string& name, bool /*custom*/,
                                   outlook::ComPtr<outlook::UserProperty>* out) {
    HRESULT hr = CheckFault("UserProperties.Find");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = nullptr;
    for (const PropertyBag& property : owner_->Record().user_properties) {
        const std::string stored = BagText(property, "Name");
        if (platform::EqualsIgnoreAsciiCase(stored, name)) {
            *out = internal::Make<UserPropertyObject>(owner_, stored);
            break;
        }
    }
    return S_OK;
}

HRESULT UserPropertiesObject::Add(const std::string& name, outlook::OlUserPropertyType type,
                                  bool /*add_to_folder_fields*/, std::int32_t /*display_format*/,
                                  outlook::ComPtr<outlook::UserProperty>* out) {
    HRESULT hr = CheckFault("UserProperties.Add");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    if (name.empty() || EmptyValueOf(type).IsEmpty()) {
        return E_INVALIDARG;
    }
    for (const PropertyBag& property : owner_->Record().user_properties) {
        const std::string stored = BagText(property, "Name");
        if (platform::EqualsIgnoreAsciiCase(stored, name)) {
            if (BagLong(property, "Type") != type) {
                return outlook::MAPI_E_COLLISION;
            }
            *out = internal::Make<UserPropertyObject>(owner_, stored);
            return S_OK;
        }
    }
    PropertyBag property;
    property["Name"] = name;
    property["Type"] = static_cast<std::int32_t>(type);
    property["Value"] = EmptyValueOf(type);
    owner_->Record().user_properties.push_back(std::move(property));
    owner_->MarkChanged();
    *out = internal::Make<UserPropertyObject>(owner_, name);
    return S_OK;
}

HRESULT UserPropertiesObject::Remove(std::int32_t index) {
    HRESULT hr = CheckFault("UserProperties.Remove");
    if (FAILED(hr)) {
        return hr;
    }
    auto& list = owner_->Record().user_properties;
    if (index < 1 || static_cast<std::size_t>(index) > list.size()) {
        return outlook::DISP_E_BADINDEX;
    }
    list.erase(list.begin() + (index - 1));
    owner_->MarkChanged();
    return S_OK;
}

UserPropertyObject::UserPropertyObject(RecordOwner* owner, std::string name)
    : keep_(owner->OwnerObject()), owner_(owner), name_(std::move(name)) {}

PropertyBag* UserPropertyObject::Find() {
    for (PropertyBag& property : owner_->Record().user_properties) {
        if (platform::EqualsIgnoreAsciiCase(BagText(property, "Name"), name_)) {
            return &property;
        }
    }
    return nullptr;
}

HRESULT UserPropertyObject::get_Name(std::string* out) {
    HRESULT hr = CheckFault("UserProperty.get_Name");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = name_;
    return S_OK;
}

HRESULT UserPropertyObject::get_Type(outlook::OlUserPropertyType* out) {
    HRESULT hr = CheckFault("UserProperty.get_Type");
    if (FAILED(hr)) {
        return hr;
    }
    PropertyBag* property = Find();
    if (property == nullptr) {
        return outlook::MAPI_E_OBJECT_DELETED;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = static_cast<outlook::OlUserPropertyType>(BagLong(*property, "Type"));
    return S_OK;
}

HRESULT UserPropertyObject::get_Value(outlook::Variant* out) {
    HRESULT hr = CheckFault("UserProperty.get_Value");
    if (FAILED(hr)) {
        return hr;
    }
    PropertyBag* property = Find();
    if (property == nullptr) {
        return outlook::MAPI_E_OBJECT_DELETED;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = (*property)["Value"];
    return S_OK;
}

HRESULT UserPropertyObject::put_Value(const outlook::Variant& value) {
    HRESULT hr = CheckFault("UserProperty.put_Value");
    if (FAILED(hr)) {
        return hr;
    }
    PropertyBag* property = Find();
    if (property == nullptr) {
        return outlook::MAPI_E_OBJECT_DELETED;
    }
    outlook::Variant converted;
    hr = ConvertToType(static_cast<outlook::OlUserPropertyType>(BagLong(*property, "Type")), value,
                       &converted);
    if (FAILED(hr)) {
        return hr;
    }
    (*property)["Value"] = converted;
    owner_->MarkChanged();
    return S_OK;
}

}  // namespace host
