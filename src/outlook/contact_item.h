// _ContactItem: a contact.
#pragma once

#include <string>

#include "outlook/outlook_item.h"
#include "platform/date_time.h"

namespace outlook {

class ContactItem : public OutlookItem {
  public:
    static constexpr Iid kIid = "{00063021-0000-0000-C000-000000000046}";

    // Text fields. HomeAddress and BusinessAddress are the whole postal address: reading gives the parts
    // joined by line breaks (street; postal code and city; state; country, empty parts left out);
    // putting the empty text clears every part (and, for the business address, not OfficeLocation);
    // putting another text sets the street to it and clears the other parts. FileAs follows FullName
    // until it is put itself.
    [[nodiscard]] virtual HRESULT get_Email1Address(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_Email1Address(const std::string& value) = 0;
    [[nodiscard]] virtual HRESULT get_Email2Address(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_Email2Address(const std::string& value) = 0;
    [[nodiscard]] virtual HRESULT get_Email3Address(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_Email3Address(const std::string& value) = 0;
    [[nodiscard]] virtual HRESULT get_FullName(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_FullName(const std::string& value) = 0;
    [[nodiscard]] virtual HRESULT get_FileAs(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_FileAs(const std::string& value) = 0;
    [[nodiscard]] virtual HRESULT get_HomeAddress(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_HomeAddress(const std::string& value) = 0;
    [[nodiscard]] virtual HRESULT get_HomeAddressStreet(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_HomeAddressStreet(const std::string& value) = 0;
    [[nodiscard]] virtual HRESULT get_HomeAddressCity(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_HomeAddressCity(const std::string& value) = 0;
    [[nodiscard]] virtual HRESULT get_HomeAddressState(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_HomeAddressState(const std::string& value) = 0;
    [[nodiscard]] virtual HRESULT get_HomeAddressPostalCode(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_HomeAddressPostalCode(const std::string& value) = 0;
    [[nodiscard]] virtual HRESULT get_HomeAddressCountry(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_HomeAddressCountry(const std::string& value) = 0;
    [[nodiscard]] virtual HRESULT get_HomeTelephoneNumber(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_HomeTelephoneNumber(const std::string& value) = 0;
    [[nodiscard]] virtual HRESULT get_HomeFaxNumber(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_HomeFaxNumber(const std::string& value) = 0;
    [[nodiscard]] virtual HRESULT get_MobileTelephoneNumber(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_MobileTelephoneNumber(const std::string& value) = 0;
    [[nodiscard]] virtual HRESULT get_PersonalHomePage(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_PersonalHomePage(const std::string& value) = 0;
    [[nodiscard]] virtual HRESULT get_OfficeLocation(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_OfficeLocation(const std::string& value) = 0;
    [[nodiscard]] virtual HRESULT get_BusinessAddress(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_BusinessAddress(const std::string& value) = 0;
    [[nodiscard]] virtual HRESULT get_BusinessAddressStreet(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_BusinessAddressStreet(const std::string& value) = 0;
    [[nodiscard]] virtual HRESULT get_BusinessAddressCity(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_BusinessAddressCity(const std::string& value) = 0;
    [[nodiscard]] virtual HRESULT get_BusinessAddressState(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_BusinessAddressState(const std::string& value) = 0;
    [[nodiscard]] virtual HRESULT get_BusinessAddressPostalCode(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_BusinessAddressPostalCode(const std::string& value) = 0;
    [[nodiscard]] virtual HRESULT get_BusinessAddressCountry(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_BusinessAddressCountry(const std::string& value) = 0;
    [[nodiscard]] virtual HRESULT get_CompanyName(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_CompanyName(const std::string& value) = 0;
    [[nodiscard]] virtual HRESULT get_Department(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_Department(const std::string& value) = 0;
    [[nodiscard]] virtual HRESULT get_JobTitle(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_JobTitle(const std::string& value) = 0;
    [[nodiscard]] virtual HRESULT get_BusinessTelephoneNumber(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_BusinessTelephoneNumber(const std::string& value) = 0;
    [[nodiscard]] virtual HRESULT get_BusinessFaxNumber(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_BusinessFaxNumber(const std::string& value) = 0;
    [[nodiscard]] virtual HRESULT get_BusinessHomePage(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_BusinessHomePage(const std::string& value) = 0;

    // The parts of the name (Title is the "Dr." before it, Suffix the "Jr." after it; putting FullName sets
    // them all from it) and the second and other telephone numbers.
    [[nodiscard]] virtual HRESULT get_FirstName(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_FirstName(const std::string& value) = 0;
    [[nodiscard]] virtual HRESULT get_MiddleName(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_MiddleName(const std::string& value) = 0;
    [[nodiscard]] virtual HRESULT get_LastName(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_LastName(const std::string& value) = 0;
    [[nodiscard]] virtual HRESULT get_Title(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_Title(const std::string& value) = 0;
    [[nodiscard]] virtual HRESULT get_Suffix(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_Suffix(const std::string& value) = 0;
    [[nodiscard]] virtual HRESULT get_Home2TelephoneNumber(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_Home2TelephoneNumber(const std::string& value) = 0;
    [[nodiscard]] virtual HRESULT get_Business2TelephoneNumber(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_Business2TelephoneNumber(const std::string& value) = 0;
    [[nodiscard]] virtual HRESULT get_OtherTelephoneNumber(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_OtherTelephoneNumber(const std::string& value) = 0;

    // A local date at midnight; Outlook's empty date is 4501-01-01. Fails: E_INVALIDARG for an invalid
    // date.
    [[nodiscard]] virtual HRESULT get_Birthday(platform::DateTime* out) = 0;
    [[nodiscard]] virtual HRESULT put_Birthday(const platform::DateTime& value) = 0;

  protected:
    ~ContactItem() = default;
};

}  // namespace outlook
