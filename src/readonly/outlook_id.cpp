#include "readonly/outlook_id.h"

#include "outlook/appointment_item.h"
#include "outlook/contact_item.h"
#include "outlook/dist_list_item.h"
#include "outlook/folder.h"
#include "outlook/user_properties.h"
#include "outlook/user_property.h"
#include "settings/log.h"

namespace {

constexpr const char* kAllowCreate = "AllowCreate";

// The item's user properties, through the members every item kind shares.
outlook::ComPtr<outlook::UserProperties> PropertiesOf(outlook::IDispatch* item) {
    outlook::ComPtr<outlook::OutlookItem> typed;
    outlook::ComPtr<outlook::UserProperties> properties;
    if (item == nullptr || FAILED(outlook::ComPtr<outlook::IDispatch>(item).As(&typed)) ||
        FAILED(typed->get_UserProperties(&properties))) {
        return {};
    }
    return properties;
}

}  // namespace

GuardedItemKind GetItemKind(outlook::IDispatch* item) {
    if (item == nullptr) {
        return GuardedItemKind::Other;
    }
    outlook::ComPtr<outlook::IDispatch> object(item);
    outlook::ComPtr<outlook::ContactItem> contact;
    if (SUCCEEDED(object.As(&contact))) {
        return GuardedItemKind::Contact;
    }
    outlook::ComPtr<outlook::DistListItem> list;
    if (SUCCEEDED(object.As(&list))) {
        return GuardedItemKind::DistList;
    }
    outlook::ComPtr<outlook::AppointmentItem> appointment;
    if (SUCCEEDED(object.As(&appointment))) {
        return GuardedItemKind::Appointment;
    }
    return GuardedItemKind::Other;
}

std::string GetOutlookId(outlook::IDispatch* item) {
    if (item == nullptr) {
        return {};
    }
    outlook::ComPtr<outlook::IDispatch> object(item);
    std::string id;
    HRESULT hr = S_OK;
    outlook::ComPtr<outlook::ContactItem> contact;
    outlook::ComPtr<outlook::DistListItem> list;
    outlook::ComPtr<outlook::MAPIFolder> folder;
    outlook::ComPtr<outlook::AppointmentItem> appointment;
    if (SUCCEEDED(object.As(&contact))) {
        hr = contact->get_EntryID(&id);
    } else if (SUCCEEDED(object.As(&list))) {
        hr = list->get_EntryID(&id);
    } else if (SUCCEEDED(object.As(&folder))) {
        hr = folder->get_EntryID(&id);
    } else if (SUCCEEDED(object.As(&appointment))) {
        hr = appointment->get_GlobalAppointmentID(&id);
    }
    if (FAILED(hr)) {
        Log("GetOutlookId Exception!!!");
        return {};
    }
    return id;
}

bool GetAllowCreate(outlook::IDispatch* item) {
    outlook::ComPtr<outlook::UserProperties> properties = PropertiesOf(item);
    outlook::ComPtr<outlook::UserProperty> property;
    outlook::Variant value;
    bool allowed = false;
    if (!properties || FAILED(properties->Find(kAllowCreate, true, &property)) || !property ||
        FAILED(property->get_Value(&value)) || FAILED(value.ToBool(&allowed))) {
        return false;
    }
    return allowed;
}

bool SetAllowCreateAndSave(outlook::IDispatch* item, bool value) {
    outlook::ComPtr<outlook::UserProperties> properties = PropertiesOf(item);
    outlook::ComPtr<outlook::UserProperty> property;
    if (!properties || FAILED(properties->Find(kAllowCreate, true, &property))) {
        return false;
    }
    if (!property && FAILED(properties->Add(kAllowCreate, outlook::olYesNo, false, 1, &property))) {
        return false;
    }
    outlook::ComPtr<outlook::OutlookItem> typed;
    return SUCCEEDED(property->put_Value(outlook::Variant(value))) &&
           SUCCEEDED(outlook::ComPtr<outlook::IDispatch>(item).As(&typed)) && SUCCEEDED(typed->Save());
}
