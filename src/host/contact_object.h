// A contact.
#pragma once

#include <string>

#include "host/item_object.h"
#include "outlook/contact_item.h"

namespace host {

class ContactObject : public ItemObject<outlook::ContactItem> {
  public:
    ContactObject(outlook::ComPtr<ApplicationObject> app, ItemRecord record);

    // The text fields a contact has, by member name.
    static const std::vector<std::string>& TextFields();

    [[nodiscard]] HRESULT get_Email1Address(std::string* out) override {
        return GetText("Email1Address", out);
    }
    [[nodiscard]] HRESULT put_Email1Address(const std::string& value) override {
        return PutField("Email1Address", value);
    }
    [[nodiscard]] HRESULT get_Email2Address(std::string* out) override {
        return GetText("Email2Address", out);
    }
    [[nodiscard]] HRESULT put_Email2Address(const std::string& value) override {
        return PutField("Email2Address", value);
    }
    [[nodiscard]] HRESULT get_Email3Address(std::string* out) override {
        return GetText("Email3Address", out);
    }
    [[nodiscard]] HRESULT put_Email3Address(const std::string& value) override {
        return PutField("Email3Address", value);
    }
    [[nodiscard]] HRESULT get_FullName(std::string* out) override { return GetText("FullName", out); }
    // Also sets the name parts from the full name, as Outlook does (SplitFullName).
    [[nodiscard]] HRESULT put_FullName(const std::string& value) override;
    [[nodiscard]] HRESULT get_FileAs(std::string* out) override;
    [[nodiscard]] HRESULT put_FileAs(const std::string& value) override { return PutField("FileAs", value); }
    [[nodiscard]] HRESULT get_HomeAddress(std::string* out) override;
    [[nodiscard]] HRESULT put_HomeAddress(const std::string& value) override;
    [[nodiscard]] HRESULT get_HomeAddressStreet(std::string* out) override {
        return GetText("HomeAddressStreet", out);
    }
    [[nodiscard]] HRESULT put_HomeAddressStreet(const std::string& value) override {
        return PutField("HomeAddressStreet", value);
    }
    [[nodiscard]] HRESULT get_HomeAddressCity(std::string* out) override {
        return GetText("HomeAddressCity", out);
    }
    [[nodiscard]] HRESULT put_HomeAddressCity(const std::string& value) override {
        return PutField("HomeAddressCity", value);
    }
    [[nodiscard]] HRESULT get_HomeAddressState(std::string* out) override {
        return GetText("HomeAddressState", out);
    }
    [[nodiscard]] HRESULT put_HomeAddressState(const std::string& value) override {
        return PutField("HomeAddressState", value);
    }
    [[nodiscard]] HRESULT get_HomeAddressPostalCode(std::string* out) override {
        return GetText("HomeAddressPostalCode", out);
    }
    [[nodiscard]] HRESULT put_HomeAddressPostalCode(const std::string& value) override {
        return PutField("HomeAddressPostalCode", value);
    }
    [[nodiscard]] HRESULT get_HomeAddressCountry(std::string* out) override {
        return GetText("HomeAddressCountry", out);
    }
    [[nodiscard]] HRESULT put_HomeAddressCountry(const std::string& value) override {
        return PutField("HomeAddressCountry", value);
    }
    [[nodiscard]] HRESULT get_HomeTelephoneNumber(std::string* out) override {
        return GetText("HomeTelephoneNumber", out);
    }
    [[nodiscard]] HRESULT put_HomeTelephoneNumber(const std::string& value) override {
        return PutField("HomeTelephoneNumber", value);
    }
    [[nodiscard]] HRESULT get_HomeFaxNumber(std::string* out) override {
        return GetText("HomeFaxNumber", out);
    }
    [[nodiscard]] HRESULT put_HomeFaxNumber(const std::string& value) override {
        return PutField("HomeFaxNumber", value);
    }
    [[nodiscard]] HRESULT get_MobileTelephoneNumber(std::string* out) override {
        return GetText("MobileTelephoneNumber", out);
    }
    [[nodiscard]] HRESULT put_MobileTelephoneNumber(const std::string& value) override {
        return PutField("MobileTelephoneNumber", value);
    }
    [[nodiscard]] HRESULT get_PersonalHomePage(std::string* out) override {
        return GetText("PersonalHomePage", out);
    }
    [[nodiscard]] HRESULT put_PersonalHomePage(const std::string& value) override {
        return PutField("PersonalHomePage", value);
    }
    [[nodiscard]] HRESULT get_OfficeLocation(std::string* out) override {
        return GetText("OfficeLocation", out);
    }
    [[nodiscard]] HRESULT put_OfficeLocation(const std::string& value) override {
        return PutField("OfficeLocation", value);
    }
    [[nodiscard]] HRESULT get_BusinessAddress(std::string* out) override;
    [[nodiscard]] HRESULT put_BusinessAddress(const std::string& value) override;
    [[nodiscard]] HRESULT get_BusinessAddressStreet(std::string* out) override {
        return GetText("BusinessAddressStreet", out);
    }
    [[nodiscard]] HRESULT put_BusinessAddressStreet(const std::string& value) override {
        return PutField("BusinessAddressStreet", value);
    }
    [[nodiscard]] HRESULT get_BusinessAddressCity(std::string* out) override {
        return GetText("BusinessAddressCity", out);
    }
    [[nodiscard]] HRESULT put_BusinessAddressCity(const std::string& value) override {
        return PutField("BusinessAddressCity", value);
    }
    [[nodiscard]] HRESULT get_BusinessAddressState(std::string* out) override {
        return GetText("BusinessAddressState", out);
    }
    [[nodiscard]] HRESULT put_BusinessAddressState(const std::string& value) override {
        return PutField("BusinessAddressState", value);
    }
    [[nodiscard]] HRESULT get_BusinessAddressPostalCode(std::string* out) override {
        return GetText("BusinessAddressPostalCode", out);
    }
    [[nodiscard]] HRESULT put_BusinessAddressPostalCode(const std::string& value) override {
        return PutField("BusinessAddressPostalCode", value);
    }
    [[nodiscard]] HRESULT get_BusinessAddressCountry(std::string* out) override {
        return GetText("BusinessAddressCountry", out);
    }
    [[nodiscard]] HRESULT put_BusinessAddressCountry(const std::string& value) override {
        return PutField("BusinessAddressCountry", value);
    }
    [[nodiscard]] HRESULT get_CompanyName(std::string* out) override { return GetText("CompanyName", out); }
    [[nodiscard]] HRESULT put_CompanyName(const std::string& value) override {
        return PutField("CompanyName", value);
    }
    [[nodiscard]] HRESULT get_Department(std::string* out) override { return GetText("Department", out); }
    [[nodiscard]] HRESULT put_Department(const std::string& value) override {
        return PutField("Department", value);
    }
    [[nodiscard]] HRESULT get_JobTitle(std::string* out) override { return GetText("JobTitle", out); }
    [[nodiscard]] HRESULT put_JobTitle(const std::string& value) override {
        return PutField("JobTitle", value);
    }
    [[nodiscard]] HRESULT get_BusinessTelephoneNumber(std::string* out) override {
        return GetText("BusinessTelephoneNumber", out);
    }
    [[nodiscard]] HRESULT put_BusinessTelephoneNumber(const std::string& value) override {
        return PutField("BusinessTelephoneNumber", value);
    }
    [[nodiscard]] HRESULT get_BusinessFaxNumber(std::string* out) override {
        return GetText("BusinessFaxNumber", out);
    }
    [[nodiscard]] HRESULT put_BusinessFaxNumber(const std::string& value) override {
        return PutField("BusinessFaxNumber", value);
    }
    [[nodiscard]] HRESULT get_BusinessHomePage(std::string* out) override {
        return GetText("BusinessHomePage", out);
    }
    [[nodiscard]] HRESULT put_BusinessHomePage(const std::string& value) override {
        return PutField("BusinessHomePage", value);
    }
    [[nodiscard]] HRESULT get_FirstName(std::string* out) override { return GetText("FirstName", out); }
    [[nodiscard]] HRESULT put_FirstName(const std::string& value) override {
        return PutField("FirstName", value);
    }
    [[nodiscard]] HRESULT get_MiddleName(std::string* out) override { return GetText("MiddleName", out); }
    [[nodiscard]] HRESULT put_MiddleName(const std::string& value) override {
        return PutField("MiddleName", value);
    }
    [[nodiscard]] HRESULT get_LastName(std::string* out) override { return GetText("LastName", out); }
    [[nodiscard]] HRESULT put_LastName(const std::string& value) override {
        return PutField("LastName", value);
    }
    [[nodiscard]] HRESULT get_Title(std::string* out) override { return GetText("Title", out); }
    [[nodiscard]] HRESULT put_Title(const std::string& value) override { return PutField("Title", value); }
    [[nodiscard]] HRESULT get_Suffix(std::string* out) override { return GetText("Suffix", out); }
    [[nodiscard]] HRESULT put_Suffix(const std::string& value) override { return PutField("Suffix", value); }
    [[nodiscard]] HRESULT get_Home2TelephoneNumber(std::string* out) override {
        return GetText("Home2TelephoneNumber", out);
    }
    [[nodiscard]] HRESULT put_Home2TelephoneNumber(const std::string& value) override {
        return PutField("Home2TelephoneNumber", value);
    }
    [[nodiscard]] HRESULT get_Business2TelephoneNumber(std::string* out) override {
        return GetText("Business2TelephoneNumber", out);
    }
    [[nodiscard]] HRESULT put_Business2TelephoneNumber(const std::string& value) override {
        return PutField("Business2TelephoneNumber", value);
    }
    [[nodiscard]] HRESULT get_OtherTelephoneNumber(std::string* out) override {
        return GetText("OtherTelephoneNumber", out);
    }
    [[nodiscard]] HRESULT put_OtherTelephoneNumber(const std::string& value) override {
        return PutField("OtherTelephoneNumber", value);
    }
    [[nodiscard]] HRESULT get_Birthday(platform::DateTime* out) override;
    [[nodiscard]] HRESULT put_Birthday(const platform::DateTime& value) override;

  private:
    // The parts of a postal address joined by line breaks, empty parts left out.
    std::string JoinAddress(const char* const* keys) const;
    HRESULT SetAddress(const char* member, const char* const* keys, const std::string& value);
};

}  // namespace host
