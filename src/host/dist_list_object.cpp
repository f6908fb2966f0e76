#include "host/dist_list_object.h"

#include "host/recipient_object.h"
#include "platform/text.h"

namespace host {

DistListObject::DistListObject(outlook::ComPtr<ApplicationObject> app, ItemRecord record)
    : ItemObject(std::move(app), std::move(record), "DistListItem") {}

HRESULT DistListObject::get_DLName(std::string* out) {
    return Return("DistListItem.get_DLName", out, BagText(record_.fields, "Subject"));
}

HRESULT DistListObject::put_DLName(const std::string& value) {
    // A list's name is its subject, as in Outlook.
    HRESULT hr = CheckFault("DistListItem.put_DLName");
    return FAILED(hr) ? hr : PutField("Subject", value);
}

HRESULT DistListObject::get_MemberCount(std::int32_t* out) {
    return Return("DistListItem.get_MemberCount", out, static_cast<std::int32_t>(record_.members.size()));
}

HRESULT DistListObject::GetMember(std::int32_t index, outlook::ComPtr<outlook::Recipient>* out) {
    HRESULT hr = Check("DistListItem.GetMember", out);
    if (FAILED(hr)) {
        return hr;
    }
    if (index < 1 || static_cast<std::size_t>(index) > record_.members.size()) {
        return outlook::DISP_E_BADINDEX;
    }
    PropertyBag values = record_.members[static_cast<std::size_t>(index - 1)];
    values["Resolved"] = true;
    *out = internal::Make<RecipientObject>(app_, std::move(values));
    return S_OK;
}

HRESULT DistListObject::AddMember(outlook::Recipient* recipient) {
    HRESULT hr = CheckFault("DistListItem.AddMember");
    if (FAILED(hr)) {
        return hr;
    }
    if (recipient == nullptr) {
        return E_POINTER;
    }
    PropertyBag values;
    if (!RecipientObject::ValuesOf(recipient, &values) || !BagBool(values, "Resolved")) {
        return outlook::MAPI_E_NOT_FOUND;
    }
    const std::string address = BagText(values, "Address");
    for (const PropertyBag& member : record_.members) {
        if (platform::EqualsIgnoreAsciiCase(BagText(member, "Address"), address)) {
            return S_OK;
        }
    }
    PropertyBag member;
    member["Name"] = BagText(values, "Name");
    member["Address"] = address;
    member["EntryID"] = BagText(values, "EntryID");
    record_.members.push_back(std::move(member));
    saved_ = false;
    return S_OK;
}

HRESULT DistListObject::RemoveMember(outlook::Recipient* recipient) {
    HRESULT hr = CheckFault("DistListItem.RemoveMember");
    if (FAILED(hr)) {
        return hr;
    }
    if (recipient == nullptr) {
        return E_POINTER;
    }
    PropertyBag values;
    if (!RecipientObject::ValuesOf(recipient, &values)) {
        return outlook::MAPI_E_NOT_FOUND;
    }
    const std::string address = BagText(values, "Address");
    const std::string name = BagText(values, "Name");
    for (auto it = record_.members.begin(); it != record_.members.end(); ++it) {
        const bool same = address.empty() ? BagText(*it, "Name") == name
                                          : platform::EqualsIgnoreAsciiCase(BagText(*it, "Address"), address);
        if (same) {
            record_.members.erase(it);
            saved_ = false;
            return S_OK;
        }
    }
    return outlook::MAPI_E_NOT_FOUND;
}

}  // namespace host
