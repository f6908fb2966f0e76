#include "contacts/outlook_contact.h"

#include <algorithm>

#include "contacts/internal/vcard_text.h"
#include "contacts/outlook_groups_manager.h"
#include "contacts/readonly_guards.h"
#include "contacts/vcard_birthday.h"
#include "contacts/vcard_slots.h"
#include "ical/ical_text.h"
#include "outlook/user_properties.h"
#include "platform/text.h"
#include "readonly/own_change_scope.h"
#include "settings/addin_exception.h"
#include "settings/log.h"

using outlook::ComPtr;
using outlook::ContactItem;

namespace {

using Getter = HRESULT (ContactItem::*)(std::string*);
using Setter = HRESULT (ContactItem::*)(const std::string&);

constexpr const char* kPrefProperty = "oidPREF";
constexpr const char* kUidProperty = "oidUID";
constexpr const char* kAllowCreateProperty = "AllowCreate";

std::string Read(ContactItem* contact, Getter getter) {
    std::string value;
    if (FAILED((contact->*getter)(&value)))
        return {};
    return value;
}

// The results of puts are not examined: one field Outlook refuses does not stop the others.
void Put(ContactItem* contact, Setter setter, const std::string& value) {
    static_cast<void>((contact->*setter)(value));
}

// The reader trims every unfolded line, so blanks that end a line's last value would not come back;
// the writer leaves them out and a card reads back as it was written.
std::string_view WithoutTrailingBlanks(std::string_view text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

std::string Line(std::string_view head, std::string_view text) {
    std::string line(head);
    line += contacts::EncodeValue(WithoutTrailingBlanks(text), platform::Utf16Length(head));
    line += "\r\n";
    return line;
}

// N, ADR: `head`, then the parts separated by ";", each folded as if its line head were 14 units long.
std::string StructuredLine(ContactItem* contact, std::string_view head, std::initializer_list<Getter> parts) {
    std::string line(head);
    for (auto part = parts.begin(); part != parts.end(); ++part) {
        if (part != parts.begin())
            line += ';';
        const std::string value = Read(contact, *part);
        line += contacts::EncodeValue(part + 1 == parts.end() ? WithoutTrailingBlanks(value) : value, 14);
    }
    line += "\r\n";
    return line;
}

struct FieldLine {
    Getter getter;
    const char* head;
};

// A line for each of the fields that holds a value.
std::string FieldLines(ContactItem* contact, std::initializer_list<FieldLine> fields) {
    std::string lines;
    for (const FieldLine& field : fields) {
        const std::string value = Read(contact, field.getter);
        if (!value.empty())
            lines += Line(field.head, value);
    }
    return lines;
}

ComPtr<outlook::UserProperty> FindOrAddProperty(ContactItem* contact, const char* name,
                                                outlook::OlUserPropertyType type) {
    ComPtr<outlook::UserProperties> properties;
    ComPtr<outlook::UserProperty> property;
    if (FAILED(contact->get_UserProperties(&properties)) || !properties)
        return {};
    if (SUCCEEDED(properties->Find(name, true, &property)) && property)
        return property;
    const HRESULT hr = properties->Add(name, type, false, 1, &property);
    if (FAILED(hr)) {
        Log("COutlookContact::COutlookContact: Unable to add the property %s. HRESULT: %d.", name, hr);
        return {};
    }
    return property;
}

[[noreturn]] void ThrowFailure(const char* what, HRESULT hr) {
    Log("%s HRESULT: %d.", what, hr);
    throw CAddinException(kErrorUnknown, std::string(what) + " " + HrName(hr));
}

// Exactly "PREF" among the TYPE values (other clients' lower-case "pref" does not mark the preferred
// slot), or a PREF parameter (vCard 4.0's PREF=1).
bool IsPreferred(const CICalLine& line) {
    const std::vector<std::string> values = contacts::TypeValues(line);
    return std::find(values.begin(), values.end(), "PREF") != values.end() ||
           !line.GetParameter("PREF").empty();
}

platform::DateTime EmptyOutlookDate() {
    return platform::DateTime::FromParts(4501, 1, 1);
}

}  // namespace

COutlookContact::COutlookContact(COutlookGroupsManager* groups, ComPtr<ContactItem> contact, bool is_new,
                                 IReadonlyGuards* guards)
    : m_groups(groups), m_contact(std::move(contact)), m_guards(guards) {
    if (!m_contact)
        return;
    m_pref_property = FindOrAddProperty(m_contact.get(), kPrefProperty, outlook::olNumber);
    m_uid_property = FindOrAddProperty(m_contact.get(), kUidProperty, outlook::olText);
    if (is_new) {
        ComPtr<outlook::UserProperty> allow =
            FindOrAddProperty(m_contact.get(), kAllowCreateProperty, outlook::olYesNo);
        if (allow)
            static_cast<void>(allow->put_Value(outlook::Variant(true)));
    }
}

std::string COutlookContact::GetEntryId() const {
    std::string id;
    if (!m_contact || FAILED(m_contact->get_EntryID(&id)))
        return {};
    return id;
}

std::string COutlookContact::GetEmail1Address() const {
    return m_contact ? Read(m_contact.get(), &ContactItem::get_Email1Address) : std::string();
}

platform::DateTime COutlookContact::GetLastModificationTime() const {
    platform::DateTime time = platform::DateTime::FromValue(0.0);
    if (m_contact && FAILED(m_contact->get_LastModificationTime(&time)))
        return platform::DateTime::FromValue(0.0);
    return time;
}

std::int32_t COutlookContact::GetPreferredSlot() const {
    outlook::Variant value;
    std::int32_t slot = 0;
    if (!m_pref_property || FAILED(m_pref_property->get_Value(&value)))
        return 0;
    const HRESULT hr = value.ToLong(&slot);
    if (FAILED(hr))
        ThrowFailure("COutlookContact::GetPreferredSlot: oidPREF is not a number.", hr);
    return slot;
}

void COutlookContact::SetPreferredSlot(std::int32_t slot) {
    if (m_pref_property)
        static_cast<void>(m_pref_property->put_Value(outlook::Variant(slot)));
}

std::string COutlookContact::GetUid() const {
    outlook::Variant value;
    std::string uid;
    if (!m_uid_property || FAILED(m_uid_property->get_Value(&value)))
        return {};
    const HRESULT hr = value.ToText(&uid);
    if (FAILED(hr))
        ThrowFailure("COutlookContact::GetUid: oidUID is not text.", hr);
    return uid;
}

void COutlookContact::SetUid(const std::string& uid) {
    if (m_uid_property)
        static_cast<void>(m_uid_property->put_Value(outlook::Variant(uid)));
}

std::string COutlookContact::GetVCard(const std::string& default_uid) const {
    if (!m_contact)
        return {};
    ContactItem* c = m_contact.get();
    const std::int32_t pref = GetPreferredSlot();
    const std::string email1 = Read(c, &ContactItem::get_Email1Address);
    const std::string email2 = Read(c, &ContactItem::get_Email2Address);
    const std::string email3 = Read(c, &ContactItem::get_Email3Address);

    std::string card = "BEGIN:VCARD\r\nVERSION:3.0\r\n";
    if (!email1.empty())
        card += Line(pref == 1 ? "EMAIL;TYPE=internet;TYPE=home,PREF:" : "EMAIL;TYPE=internet;TYPE=home:",
                     email1);

    // Servers refuse a card without FN (Radicale: 400), so a contact without a name takes the next best.
    std::string name = Read(c, &ContactItem::get_FullName);
    for (Getter fallback : {&ContactItem::get_FileAs, &ContactItem::get_CompanyName}) {
        if (name.empty())
            name = Read(c, fallback);
    }
    for (const std::string* address : {&email1, &email2, &email3}) {
        if (name.empty())
            name = *address;
    }
    card += Line("FN:", name);
    card += StructuredLine(c, "N:",
                           {&ContactItem::get_LastName, &ContactItem::get_FirstName,
                            &ContactItem::get_MiddleName, &ContactItem::get_Title, &ContactItem::get_Suffix});

    const std::string body = Read(c, &ContactItem::get_Body);
    if (!body.empty())
        card += Line("NOTE:", body);
    card += StructuredLine(c, "ADR;TYPE=home:;;",
                           {&ContactItem::get_HomeAddressStreet, &ContactItem::get_HomeAddressCity,
                            &ContactItem::get_HomeAddressState, &ContactItem::get_HomeAddressPostalCode,
                            &ContactItem::get_HomeAddressCountry});
    card += FieldLines(c, {{&ContactItem::get_HomeTelephoneNumber, "TEL;TYPE=VOICE,home:"},
                           {&ContactItem::get_Home2TelephoneNumber, "TEL;TYPE=VOICE,home:"},
                           {&ContactItem::get_HomeFaxNumber, "TEL;TYPE=home;TYPE=fax:"},
                           {&ContactItem::get_MobileTelephoneNumber, "TEL;TYPE=home;TYPE=cell:"},
                           {&ContactItem::get_PersonalHomePage, "URL;TYPE=home:"}});
    if (!email2.empty())
        card += Line(pref == 2 ? "EMAIL;TYPE=internet;TYPE=work,PREF:" : "EMAIL;TYPE=internet;TYPE=work:",
                     email2);
    card += StructuredLine(
        c, "ADR;TYPE=work:;",
        {&ContactItem::get_OfficeLocation, &ContactItem::get_BusinessAddressStreet,
         &ContactItem::get_BusinessAddressCity, &ContactItem::get_BusinessAddressState,
         &ContactItem::get_BusinessAddressPostalCode, &ContactItem::get_BusinessAddressCountry});
    const std::string company = Read(c, &ContactItem::get_CompanyName);
    const std::string department = Read(c, &ContactItem::get_Department);
    if (!department.empty())
        card += "ORG:" + contacts::EncodeValue(company, 4) + ";" +
                contacts::EncodeValue(WithoutTrailingBlanks(department), 4) + "\r\n";
    else if (!company.empty())
        card += Line("ORG:", company);
    card += FieldLines(c, {{&ContactItem::get_JobTitle, "TITLE:"},
                           {&ContactItem::get_BusinessTelephoneNumber, "TEL;TYPE=VOICE,work:"},
                           {&ContactItem::get_Business2TelephoneNumber, "TEL;TYPE=VOICE,work:"},
                           {&ContactItem::get_BusinessFaxNumber, "TEL;TYPE=work;TYPE=fax:"},
                           {&ContactItem::get_OtherTelephoneNumber, "TEL;TYPE=VOICE:"},
                           {&ContactItem::get_BusinessHomePage, "URL;TYPE=work:"}});
    if (!email3.empty())
        card += Line(pref == 3 ? "EMAIL;TYPE=OTHER,PREF:" : "EMAIL;TYPE=OTHER:", email3);

    platform::DateTime birthday;
    if (SUCCEEDED(c->get_Birthday(&birthday))) {
        const std::string bday = contacts::FormatBirthday(birthday);
        if (!bday.empty())
            card += "BDAY:" + bday + "\r\n";
    }
    platform::DateTime modified;
    if (SUCCEEDED(c->get_LastModificationTime(&modified)) && modified.IsValid()) {
        const platform::DateTime utc = modified.LocalToUtc();
        if (utc.IsValid())
            card += "REV:" + utc.Format("%Y%m%dT%H%M%SZ") + "\r\n";
    }
    if (m_groups != nullptr) {
        const std::string categories = m_groups->GetContactGroupsListStr(email1);
        if (!categories.empty())
            card += "CATEGORIES:" + categories + "\r\n";
    }
    std::string uid = GetUid();
    if (uid.empty())
        uid = default_uid;
    card += "UID:" + ical::EscapeNewlines(uid) + "\r\n";
    card += "END:VCARD\r\n";
    return card;
}

void COutlookContact::SetVCard(std::string_view text) {
    m_lines = contacts::ReadCardLines(text);
    for (const contacts::CardLine& line : m_lines) {
        if (!line.parsed.HasName("VERSION"))
            continue;
        const std::string& version = line.parsed.Value();
        if (version != "2.1" && version != "3.0" && version != "4.0")
            Log("COutlookContact::SetVCard: A vCard of version %s is read as 3.0.", version.c_str());
        break;
    }
}

void COutlookContact::SaveOutlookContact() {
    if (!m_contact)
        return;
    ContactItem* c = m_contact.get();
    using contacts::CardSlot;
    const std::map<CardSlot, std::size_t> slots = contacts::FindCardSlots(m_lines);
    auto line_of = [this, &slots](CardSlot slot) -> const CICalLine* {
        const auto found = slots.find(slot);
        return found == slots.end() ? nullptr : &m_lines[found->second].parsed;
    };
    OwnChangeScope own_change(m_guards, GetEntryId());

    auto text_or_clear = [c, &line_of](CardSlot slot, Setter setter) {
        const CICalLine* line = line_of(slot);
        Put(c, setter, line != nullptr ? contacts::DecodeValue(line->Value()) : std::string());
    };
    auto phone_or_clear = [c, &line_of](CardSlot slot, Setter setter) {
        const CICalLine* line = line_of(slot);
        Put(c, setter, line != nullptr ? contacts::TelephoneNumber(*line) : std::string());
    };
    // The parts a structured value has, from `first` on; a part the value lacks leaves its field.
    auto components = [c](const CICalLine& line, std::size_t first, std::initializer_list<Setter> setters) {
        const std::vector<std::string> parts = contacts::DecodedComponents(line);
        std::size_t i = first;
        for (const Setter setter : setters) {
            if (i < parts.size())
                Put(c, setter, parts[i]);
            ++i;
        }
    };

    const CICalLine* home_email = line_of(CardSlot::kEmail1);
    text_or_clear(CardSlot::kEmail1, &ContactItem::put_Email1Address);
    if (home_email != nullptr && IsPreferred(*home_email))
        SetPreferredSlot(1);
    if (const CICalLine* uid = line_of(CardSlot::kUid))
        SetUid(uid->Value());
    text_or_clear(CardSlot::kFullName, &ContactItem::put_FullName);
    // After FullName, whose put sets the parts from the full name: N has the last word.
    const CICalLine* name = line_of(CardSlot::kName);
    const std::vector<std::string> name_parts =
        name != nullptr ? contacts::DecodedComponents(*name) : std::vector<std::string>();
    std::size_t part = 0;
    for (const Setter setter :
         {&ContactItem::put_LastName, &ContactItem::put_FirstName, &ContactItem::put_MiddleName,
          &ContactItem::put_Title, &ContactItem::put_Suffix}) {
        Put(c, setter, part < name_parts.size() ? name_parts[part] : std::string());
        ++part;
    }
    text_or_clear(CardSlot::kNote, &ContactItem::put_Body);

    if (const CICalLine* adr = line_of(CardSlot::kHomeAddress)) {
        components(*adr, 2,
                   {&ContactItem::put_HomeAddressStreet, &ContactItem::put_HomeAddressCity,
                    &ContactItem::put_HomeAddressState, &ContactItem::put_HomeAddressPostalCode,
                    &ContactItem::put_HomeAddressCountry});
    } else {
        Put(c, &ContactItem::put_HomeAddress, "");
    }
    phone_or_clear(CardSlot::kHomePhone, &ContactItem::put_HomeTelephoneNumber);
    phone_or_clear(CardSlot::kHome2Phone, &ContactItem::put_Home2TelephoneNumber);
    phone_or_clear(CardSlot::kHomeFax, &ContactItem::put_HomeFaxNumber);
    phone_or_clear(CardSlot::kMobilePhone, &ContactItem::put_MobileTelephoneNumber);
    text_or_clear(CardSlot::kHomePage, &ContactItem::put_PersonalHomePage);

    const CICalLine* work_email = line_of(CardSlot::kEmail2);
    text_or_clear(CardSlot::kEmail2, &ContactItem::put_Email2Address);
    if (work_email != nullptr && IsPreferred(*work_email))
        SetPreferredSlot(2);

    if (const CICalLine* org = line_of(CardSlot::kOrganization)) {
        const std::vector<std::string> parts = contacts::DecodedComponents(*org);
        Put(c, &ContactItem::put_CompanyName, parts[0]);
        if (parts.size() >= 2)
            Put(c, &ContactItem::put_Department, parts[1]);
    } else {
        Put(c, &ContactItem::put_CompanyName, "");
        Put(c, &ContactItem::put_Department, "");
    }
    if (const CICalLine* adr = line_of(CardSlot::kWorkAddress)) {
        components(*adr, 1,
                   {&ContactItem::put_OfficeLocation, &ContactItem::put_BusinessAddressStreet,
                    &ContactItem::put_BusinessAddressCity, &ContactItem::put_BusinessAddressState,
                    &ContactItem::put_BusinessAddressPostalCode, &ContactItem::put_BusinessAddressCountry});
    } else {
        Put(c, &ContactItem::put_BusinessAddress, "");
    }
    text_or_clear(CardSlot::kJobTitle, &ContactItem::put_JobTitle);
    phone_or_clear(CardSlot::kBusinessPhone, &ContactItem::put_BusinessTelephoneNumber);
    phone_or_clear(CardSlot::kBusiness2Phone, &ContactItem::put_Business2TelephoneNumber);
    phone_or_clear(CardSlot::kBusinessFax, &ContactItem::put_BusinessFaxNumber);
    phone_or_clear(CardSlot::kOtherPhone, &ContactItem::put_OtherTelephoneNumber);
    text_or_clear(CardSlot::kBusinessHomePage, &ContactItem::put_BusinessHomePage);

    // The third address is left as it is when the card has none.
    if (const CICalLine* other = line_of(CardSlot::kEmail3)) {
        Put(c, &ContactItem::put_Email3Address, contacts::DecodeValue(other->Value()));
        if (IsPreferred(*other) ||
            (other->Name().find('.') != std::string::npos && contacts::HasType(*other, "PREF")))
            SetPreferredSlot(3);
    }

    if (const CICalLine* bday = line_of(CardSlot::kBirthday)) {
        static_cast<void>(c->put_Birthday(*contacts::ReadBirthday(bday->Value())));
    } else if (std::none_of(m_lines.begin(), m_lines.end(),
                            [](const contacts::CardLine& line) { return line.parsed.HasName("BDAY"); })) {
        static_cast<void>(c->put_Birthday(EmptyOutlookDate()));
    }

    const HRESULT saved = c->Save();
    own_change.End();
    if (FAILED(saved))
        ThrowFailure("COutlookContact::SaveOutlookContact: Unable to save the contact.", saved);

    if (m_groups != nullptr) {
        const CICalLine* categories = line_of(CardSlot::kCategories);
        m_groups->UpdateItem(GetEmail1Address(), categories != nullptr ? categories->Value() : std::string());
    }
}

void COutlookContact::DeleteOutlookContact() {
    if (!m_contact)
        return;
    OwnChangeScope own_change(m_guards, GetEntryId());
    if (m_groups != nullptr)
        m_groups->DeleteItem(GetEmail1Address());
    const HRESULT hr = m_contact->Delete();
    own_change.End();
    if (FAILED(hr))
        ThrowFailure("COutlookContact::DeleteOutlookContact: Unable to delete the contact.", hr);
}
