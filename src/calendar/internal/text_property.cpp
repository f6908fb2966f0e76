#include "calendar/internal/text_property.h"

#include "calendar/outlook_storage.h"
#include "outlook/user_property.h"
#include "settings/log.h"

namespace calendar {

std::string ReadText(IOutlookStorage* storage, const std::string& name) {
    const outlook::ComPtr<outlook::UserProperties> properties =
        storage ? storage->GetUserProperties() : nullptr;
    outlook::ComPtr<outlook::UserProperty> property;
    if (!properties || FAILED(properties->Find(name, true, &property)) || !property)
        return {};
    outlook::Variant value;
    std::string text;
    if (FAILED(property->get_Value(&value)) || value.kind() != outlook::Variant::Kind::String ||
        FAILED(value.ToText(&text)))
        return {};
    return text;
}

bool WriteText(IOutlookStorage* storage, const std::string& name, const std::string& value) {
    const outlook::ComPtr<outlook::UserProperties> properties =
        storage ? storage->GetUserProperties() : nullptr;
    outlook::ComPtr<outlook::UserProperty> property;
    HRESULT hr = properties ? properties->Find(name, true, &property) : E_POINTER;
    if (SUCCEEDED(hr) && !property)
        hr = properties->Add(name, outlook::olText, false, 0, &property);
    if (SUCCEEDED(hr) && !property)
        hr = E_POINTER;
    if (SUCCEEDED(hr))
        hr = property->put_Value(outlook::Variant(value));
    if (FAILED(hr)) {
        Log("COutlookCalendar::WriteText: Unable to set the property %s. HRESULT: %d.", name.c_str(), hr);
        return false;
    }
    return true;
}

}  // namespace calendar
