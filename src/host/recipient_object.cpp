#include "host/recipient_object.h"

#include "host/fault_hook.h"
#include "outlook/status.h"

namespace host {

RecipientObject::RecipientObject(RecordOwner* owner, std::int32_t row_id)
    : keep_(owner->OwnerObject()), owner_(owner), row_id_(row_id) {}

RecipientObject::RecipientObject(outlook::ComPtr<ApplicationObject> app, PropertyBag values)
    : app_(std::move(app)), own_(std::move(values)) {}

bool RecipientObject::ResolveValues(ApplicationObject* app, PropertyBag* values) {
    std::string name;
    std::string address;
    if (app == nullptr || !app->ResolveName(BagText(*values, "Name"), &name, &address)) {
        return false;
    }
    (*values)["Name"] = name;
    (*values)["Address"] = address;
    (*values)["EntryID"] = app->AddressEntryId(address);
    (*values)["Resolved"] = true;
    return true;
}

bool RecipientObject::ValuesOf(outlook::Recipient* recipient, PropertyBag* out) {
    auto* object = dynamic_cast<RecipientObject*>(recipient);
    if (object == nullptr || object->Values() == nullptr) {
        return false;
    }
    *out = *object->Values();
    return true;
}

PropertyBag* RecipientObject::Values() {
    if (owner_ == nullptr) {
        return &own_;
    }
    for (PropertyBag& recipient : owner_->Record().recipients) {
        if (BagLong(recipient, "RowId") == row_id_) {
            return &recipient;
        }
    }
    return nullptr;
}

HRESULT RecipientObject::Open(const char* member, PropertyBag** values) {
    const HRESULT hr = CheckFault(member);
    if (FAILED(hr)) {
        return hr;
    }
    *values = Values();
    return *values == nullptr ? outlook::MAPI_E_OBJECT_DELETED : S_OK;
}

HRESULT RecipientObject::Get(const char* member, const char* key, std::string* out) {
    PropertyBag* values = nullptr;
    const HRESULT hr = Open(member, &values);
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = BagText(*values, key);
    return S_OK;
}

HRESULT RecipientObject::get_Address(std::string* out) {
    return Get("Recipient.get_Address", "Address", out);
}
HRESULT RecipientObject::get_Name(std::string* out) {
    return Get("Recipient.get_Name", "Name", out);
}
HRESULT RecipientObject::get_EntryID(std::string* out) {
    return Get("Recipient.get_EntryID", "EntryID", out);
}

HRESULT RecipientObject::get_Resolved(bool* out) {
    PropertyBag* values = nullptr;
    const HRESULT hr = Open("Recipient.get_Resolved", &values);
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = BagBool(*values, "Resolved");
    return S_OK;
}

HRESULT RecipientObject::Resolve(bool* out) {
    PropertyBag* values = nullptr;
    const HRESULT hr = Open("Recipient.Resolve", &values);
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    *out =
        BagBool(*values, "Resolved") || ResolveValues(owner_ != nullptr ? owner_->App() : app_.get(), values);
    if (owner_ != nullptr) {
        owner_->MarkChanged();
    }
    return S_OK;
}

HRESULT RecipientObject::get_Type(outlook::OlMeetingRecipientType* out) {
    PropertyBag* values = nullptr;
    const HRESULT hr = Open("Recipient.get_Type", &values);
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = static_cast<outlook::OlMeetingRecipientType>(BagLong(*values, "Type", outlook::olRequired));
    return S_OK;
}

HRESULT RecipientObject::put_Type(outlook::OlMeetingRecipientType value) {
    PropertyBag* values = nullptr;
    const HRESULT hr = Open("Recipient.put_Type", &values);
    if (FAILED(hr)) {
        return hr;
    }
    if (value < outlook::olOrganizer || value > outlook::olResource) {
        return E_INVALIDARG;
    }
    (*values)["Type"] = static_cast<std::int32_t>(value);
    if (owner_ != nullptr) {
        owner_->MarkChanged();
    }
    return S_OK;
}

HRESULT RecipientObject::get_MeetingResponseStatus(outlook::OlResponseStatus* out) {
    PropertyBag* values = nullptr;
    const HRESULT hr = Open("Recipient.get_MeetingResponseStatus", &values);
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = static_cast<outlook::OlResponseStatus>(BagLong(*values, "TrackStatus", outlook::olResponseNone));
    return S_OK;
}

}  // namespace host
