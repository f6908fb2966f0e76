#include "calendar/internal/yes_no_property.h"

#include "calendar/outlook_storage.h"
#include "outlook/user_property.h"
#include "settings/log.h"

namespace calendar {

namespace {

// olYesNo with display format 1 ("Yes/No"), not added to the folder's fields.
HRESULT AddYesNo(outlook::UserProperties* properties, const std::string& name,
                 outlook::ComPtr<outlook::UserProperty>* out) {
    return properties->Add(name, outlook::olYesNo, false, 1, out);
}

}  // namespace

bool ReadYesNo(IOutlookStorage* storage, const std::string& name, bool create) {
    const outlook::ComPtr<outlook::UserProperties> properties =
        storage ? storage->GetUserProperties() : nullptr;
    if (!properties)
        return false;
    outlook::ComPtr<outlook::UserProperty> property;
    if (FAILED(properties->Find(name, true, &property)))
        return false;
    if (!property) {
        if (create) {
            HRESULT hr = AddYesNo(properties.get(), name, &property);
            if (SUCCEEDED(hr) && property)
                hr = property->put_Value(outlook::Variant(false));
            if (SUCCEEDED(hr))
                hr = storage->Save();
            if (FAILED(hr))
                Log("COutlookCalendar::IsShared: Unable to create the property %s. HRESULT: %d.",
                    name.c_str(), hr);
        }
        return false;
    }
    outlook::Variant value;
    bool flag = false;
    if (FAILED(property->get_Value(&value)) || FAILED(value.ToBool(&flag)))
        return false;
    return flag;
}

bool WriteYesNo(IOutlookStorage* storage, const std::string& name, bool value) {
    const outlook::ComPtr<outlook::UserProperties> properties =
        storage ? storage->GetUserProperties() : nullptr;
    if (!properties) {
        Log("COutlookCalendar::SetIsShared: No user properties for %s.", name.c_str());
        return false;
    }
    outlook::ComPtr<outlook::UserProperty> property;
    HRESULT hr = properties->Find(name, true, &property);
    if (SUCCEEDED(hr) && !property)
        hr = AddYesNo(properties.get(), name, &property);
    if (SUCCEEDED(hr) && property)
        hr = property->put_Value(outlook::Variant(value));
    if (SUCCEEDED(hr) && !property)
        hr = E_POINTER;
    if (SUCCEEDED(hr))
        hr = storage->Save();
    if (FAILED(hr)) {
        Log("COutlookCalendar::SetIsShared: Unable to set the property %s. HRESULT: %d.", name.c_str(), hr);
        return false;
    }
    return true;
}

}  // namespace calendar
