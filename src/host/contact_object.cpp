#include "host/contact_object.h"

#include "host/full_name.h"

namespace host {
namespace {

constexpr const char* kHomeParts[] = {"HomeAddressStreet", "HomeAddressPostalCode", "HomeAddressCity",
                                      "HomeAddressState",  "HomeAddressCountry",    nullptr};
constexpr const char* kBusinessParts[] = {"BusinessAddressStreet",  "BusinessAddressPostalCode",
                                          "BusinessAddressCity",    "BusinessAddressState",
                                          "BusinessAddressCountry", nullptr};

}  // namespace

ContactObject::ContactObject(outlook::ComPtr<ApplicationObject> app, ItemRecord record)
    : ItemObject(std::move(app), std::move(record), "ContactItem") {}

const std::vector<std::string>& ContactObject::TextFields() {
    static const std::vector<std::string> kFields = {
        "FullName",
        "FileAs",
        "FirstName",
        "MiddleName",
        "LastName",
        "Title",
        "Suffix",
        "Email1Address",
        "Email2Address",
        "Email3Address",
        "HomeAddressStreet",
        "HomeAddressCity",
        "HomeAddressState",
        "HomeAddressPostalCode",
        "HomeAddressCountry",
        "HomeTelephoneNumber",
        "Home2TelephoneNumber",
        "HomeFaxNumber",
        "MobileTelephoneNumber",
        "PersonalHomePage",
        "OfficeLocation",
        "BusinessAddressStreet",
        "BusinessAddressCity",
        "BusinessAddressState",
        "BusinessAddressPostalCode",
        "BusinessAddressCountry",
        "CompanyName",
        "Department",
        "JobTitle",
        "BusinessTelephoneNumber",
        "Business2TelephoneNumber",
        "OtherTelephoneNumber",
        "BusinessFaxNumber",
        "BusinessHomePage",
        "Body",
    };
    return kFields;
}

HRESULT ContactObject::put_FullName(const std::string& value) {
    const HRESULT hr = PutField("FullName", value);
    if (FAILED(hr)) {
        return hr;
    }
    const NameParts parts = SplitFullName(value);
    record_.fields["Title"] = parts.title;
    record_.fields["FirstName"] = parts.first;
    record_.fields["MiddleName"] = parts.middle;
    record_.fields["LastName"] = parts.last;
    record_.fields["Suffix"] = parts.suffix;
    return S_OK;
}

HRESULT ContactObject::get_FileAs(std::string* out) {
    HRESULT hr = GetText("FileAs", out);
    if (SUCCEEDED(hr) && out->empty()) {
        *out = BagText(record_.fields, "FullName");
    }
    return hr;
}

std::string ContactObject::JoinAddress(const char* const* keys) const {
    std::string joined;
    for (const char* const* key = keys; *key != nullptr; ++key) {
        const std::string part = BagText(record_.fields, *key);
        if (!part.empty()) {
            if (!joined.empty()) {
                joined += "\r\n";
            }
            joined += part;
        }
    }
    return joined;
}

HRESULT ContactObject::SetAddress(const char* member, const char* const* keys, const std::string& value) {
    HRESULT hr = CheckFault(member);
    if (FAILED(hr)) {
        return hr;
    }
    for (const char* const* key = keys; *key != nullptr; ++key) {
        record_.fields[*key] = std::string();
    }
    record_.fields[keys[0]] = value;
    saved_ = false;
    return S_OK;
}

HRESULT ContactObject::get_HomeAddress(std::string* out) {
    return Return("ContactItem.get_HomeAddress", out, JoinAddress(kHomeParts));
}
HRESULT ContactObject::put_HomeAddress(const std::string& value) {
    return SetAddress("ContactItem.put_HomeAddress", kHomeParts, value);
}
HRESULT ContactObject::get_BusinessAddress(std::string* out) {
    return Return("ContactItem.get_BusinessAddress", out, JoinAddress(kBusinessParts));
}
HRESULT ContactObject::put_BusinessAddress(const std::string& value) {
    return SetAddress("ContactItem.put_BusinessAddress", kBusinessParts, value);
}

HRESULT ContactObject::get_Birthday(platform::DateTime* out) {
    HRESULT hr = Check("ContactItem.get_Birthday", out);
    if (SUCCEEDED(hr)) {
        const platform::DateTime birthday = BagDate(record_.fields, "Birthday");
        *out = birthday.IsValid() ? birthday : platform::DateTime::FromParts(4501, 1, 1);
    }
    return hr;
}

HRESULT ContactObject::put_Birthday(const platform::DateTime& value) {
    if (!value.IsValid()) {
        return E_INVALIDARG;
    }
    return PutField("Birthday", value);
}

}  // namespace host
