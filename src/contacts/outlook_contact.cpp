#include "contacts/outlook_contact.h"

#include <algorithm>

#include "contacts/internal/vcard_text.h"
#include "contacts/outlook_groups_manager.h"
#include "contacts/readonly_guards.h"
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

// ADR: `head`, then the parts separated by ";", each folded as if its line head were 14 units long.
std::string AddressLine(ContactItem* contact, std::string_view head, std::initializer_list<Getter> parts) {
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

// The TYPE values of a line: every TYPE parameter, each split at ",", and the bare types of vCard 2.1
// (TEL;HOME;VOICE), which older clients still send.
std::vector<std::string> TypeValues(const CICalLine& line) {
    std::vector<std::string> values;
    for (const auto& [name, value] : line.Parameters()) {
        if (!name.empty() && !platform::EqualsIgnoreAsciiCase(name, "TYPE"))
            continue;
        for (const std::string& piece : contacts::SplitUnescaped(contacts::Unquote(value), ','))
            values.push_back(piece);
    }
    return values;
}

bool HasType(const CICalLine& line, std::string_view type) {
    const std::vector<std::string> values = TypeValues(line);
    return std::any_of(values.begin(), values.end(), [type](const std::string& value) {
        return platform::EqualsIgnoreAsciiCase(value, type);
    });
}

// Exactly "PREF": other clients' lower-case "pref" does not mark the preferred slot.
bool HasExactPref(const CICalLine& line) {
    const std::vector<std::string> values = TypeValues(line);
    return std::find(values.begin(), values.end(), "PREF") != values.end();
}

class LineLookup {
  public:
    explicit LineLookup(const std::vector<CICalLine>& lines) : m_lines(lines) {}

    const CICalLine* ByName(std::string_view name) const {
        for (const CICalLine& line : m_lines) {
            if (line.HasName(name))
                return &line;
        }
        return nullptr;
    }

    // The only TYPE value is `type`.
    const CICalLine* Strict(std::string_view name, std::string_view type) const {
        for (const CICalLine& line : m_lines) {
            if (!line.HasName(name))
                continue;
            const std::vector<std::string> values = TypeValues(line);
            if (values.size() == 1 && platform::EqualsIgnoreAsciiCase(values[0], type))
                return &line;
        }
        return nullptr;
    }

    // `type` among the TYPE values.
    const CICalLine* Lenient(std::string_view name, std::string_view type) const {
        for (const CICalLine& line : m_lines) {
            if (line.HasName(name) && HasType(line, type))
                return &line;
        }
        return nullptr;
    }

    // The last TEL line that has every wanted type.
    const CICalLine* Telephone(std::initializer_list<std::string_view> wanted) const {
        const CICalLine* found = nullptr;
        for (const CICalLine& line : m_lines) {
            if (line.HasName("TEL") &&
                std::all_of(wanted.begin(), wanted.end(),
                            [&line](std::string_view type) { return HasType(line, type); }))
                found = &line;
        }
        return found;
    }

  private:
    const std::vector<CICalLine>& m_lines;
};

std::vector<std::string> Components(const CICalLine& line) {
    std::vector<std::string> components = contacts::SplitUnescaped(line.Value(), ';');
    for (std::string& component : components)
        component = contacts::DecodeValue(component);
    return components;
}

// One sscanf "%Nd": white space, an optional sign, then digits, at most `width` characters in all.
bool ScanNumber(std::string_view text, std::size_t* pos, std::size_t width, int* out) {
    std::size_t at = *pos;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
        ++at;
    const std::size_t start = at;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) {
        negative = text[at] == '-';
        ++at;
    }
    int value = 0;
    std::size_t digits = 0;
    while (at < text.size() && at - start < width && text[at] >= '0' && text[at] <= '9') {
        value = value * 10 + (text[at] - '0');
        ++at;
        ++digits;
    }
    if (digits == 0)
        return false;
    *out = negative ? -value : value;
    *pos = at;
    return true;
}

// "%4d-%2d-%2d": how many of the three numbers were read.
int ScanBirthday(std::string_view text, int* year, int* month, int* day) {
    std::size_t pos = 0;
    if (!ScanNumber(text, &pos, 4, year))
        return 0;
    if (pos >= text.size() || text[pos] != '-' || !ScanNumber(text, &++pos, 2, month))
        return 1;
    if (pos >= text.size() || text[pos] != '-' || !ScanNumber(text, &++pos, 2, day))
        return 2;
    return 3;
}

std::string AsciiUpper(std::string_view text) {
    std::string upper(text);
    for (char& ch : upper) {
        if (ch >= 'a' && ch <= 'z')
            ch = static_cast<char>(ch - 'a' + 'A');
    }
    return upper;
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
    card += "N:;;;;\r\n";

    const std::string body = Read(c, &ContactItem::get_Body);
    if (!body.empty())
        card += Line("NOTE:", body);
    card += AddressLine(c, "ADR;TYPE=home:;;",
                        {&ContactItem::get_HomeAddressStreet, &ContactItem::get_HomeAddressCity,
                         &ContactItem::get_HomeAddressState, &ContactItem::get_HomeAddressPostalCode,
                         &ContactItem::get_HomeAddressCountry});
    card += FieldLines(c, {{&ContactItem::get_HomeTelephoneNumber, "TEL;TYPE=VOICE,home:"},
                           {&ContactItem::get_HomeFaxNumber, "TEL;TYPE=home;TYPE=fax:"},
                           {&ContactItem::get_MobileTelephoneNumber, "TEL;TYPE=home;TYPE=cell:"},
                           {&ContactItem::get_PersonalHomePage, "URL;TYPE=home:"}});
    if (!email2.empty())
        card += Line(pref == 2 ? "EMAIL;TYPE=internet;TYPE=work,PREF:" : "EMAIL;TYPE=internet;TYPE=work:",
                     email2);
    card +=
        AddressLine(c, "ADR;TYPE=work:;",
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
                           {&ContactItem::get_BusinessFaxNumber, "TEL;TYPE=work;TYPE=fax:"},
                           {&ContactItem::get_BusinessHomePage, "URL;TYPE=work:"}});
    if (!email3.empty())
        card += Line(pref == 3 ? "EMAIL;TYPE=OTHER,PREF:" : "EMAIL;TYPE=OTHER:", email3);

    platform::DateTime birthday;
    platform::DateParts parts;
    if (SUCCEEDED(c->get_Birthday(&birthday)) && birthday.ToParts(&parts) && parts.year < 4501)
        card += "BDAY:" + birthday.Format("%Y-%m-%d") + "\r\n";
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
    m_lines.clear();
    const std::string valid = platform::SanitizeUtf8(text);
    for (const std::string& unfolded : ical::UnfoldLines(valid)) {
        std::string_view line = unfolded;
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        std::optional<CICalLine> parsed = CICalLine::Parse(line);
        if (parsed)
            m_lines.push_back(std::move(*parsed));
    }
    const LineLookup lookup(m_lines);
    const CICalLine* version = lookup.ByName("VERSION");
    if (version != nullptr && version->Value() != "3.0")
        Log("COutlookContact::SetVCard: A vCard of version %s is read as 3.0.", version->Value().c_str());
}

void COutlookContact::SaveOutlookContact() {
    if (!m_contact)
        return;
    ContactItem* c = m_contact.get();
    const LineLookup lookup(m_lines);
    OwnChangeScope own_change(m_guards, GetEntryId());

    auto text_or_clear = [c](const CICalLine* line, Setter setter) {
        Put(c, setter, line != nullptr ? contacts::DecodeValue(line->Value()) : std::string());
    };

    // Addresses typed neither home, work nor other (Google writes only INTERNET, many clients nothing)
    // fill the slots their typed lookups leave empty, in slot order, instead of being lost.
    std::vector<const CICalLine*> untyped;
    for (const CICalLine& line : m_lines) {
        if (line.HasName("EMAIL") && !HasType(line, "home") && !HasType(line, "work") &&
            !HasType(line, "OTHER"))
            untyped.push_back(&line);
    }
    std::size_t next_untyped = 0;
    auto or_untyped = [&untyped, &next_untyped](const CICalLine* typed) {
        if (typed == nullptr && next_untyped < untyped.size())
            return untyped[next_untyped++];
        return typed;
    };

    const CICalLine* home_email = or_untyped(lookup.Lenient("EMAIL", "home"));
    text_or_clear(home_email, &ContactItem::put_Email1Address);
    if (home_email != nullptr && HasExactPref(*home_email))
        SetPreferredSlot(1);
    if (const CICalLine* uid = lookup.ByName("UID"))
        SetUid(uid->Value());
    text_or_clear(lookup.ByName("FN"), &ContactItem::put_FullName);
    text_or_clear(lookup.ByName("NOTE"), &ContactItem::put_Body);

    if (const CICalLine* adr = lookup.Strict("ADR", "home")) {
        const std::vector<std::string> parts = Components(*adr);
        const Setter setters[] = {&ContactItem::put_HomeAddressStreet, &ContactItem::put_HomeAddressCity,
                                  &ContactItem::put_HomeAddressState, &ContactItem::put_HomeAddressPostalCode,
                                  &ContactItem::put_HomeAddressCountry};
        for (std::size_t i = 0; i < std::size(setters) && i + 2 < parts.size(); ++i)
            Put(c, setters[i], parts[i + 2]);
    } else {
        Put(c, &ContactItem::put_HomeAddress, "");
    }
    text_or_clear(lookup.Telephone({"VOICE", "HOME"}), &ContactItem::put_HomeTelephoneNumber);
    text_or_clear(lookup.Telephone({"home", "fax"}), &ContactItem::put_HomeFaxNumber);
    text_or_clear(lookup.Telephone({"cell"}), &ContactItem::put_MobileTelephoneNumber);
    text_or_clear(lookup.Strict("URL", "home"), &ContactItem::put_PersonalHomePage);

    const CICalLine* work_email = or_untyped(lookup.Lenient("EMAIL", "work"));
    text_or_clear(work_email, &ContactItem::put_Email2Address);
    if (work_email != nullptr && HasExactPref(*work_email))
        SetPreferredSlot(2);

    if (const CICalLine* org = lookup.ByName("ORG")) {
        const std::vector<std::string> parts = Components(*org);
        Put(c, &ContactItem::put_CompanyName, parts[0]);
        if (parts.size() >= 2)
            Put(c, &ContactItem::put_Department, parts[1]);
    } else {
        Put(c, &ContactItem::put_CompanyName, "");
        Put(c, &ContactItem::put_Department, "");
    }
    if (const CICalLine* adr = lookup.Strict("ADR", "work")) {
        const std::vector<std::string> parts = Components(*adr);
        const Setter setters[] = {&ContactItem::put_OfficeLocation,
                                  &ContactItem::put_BusinessAddressStreet,
                                  &ContactItem::put_BusinessAddressCity,
                                  &ContactItem::put_BusinessAddressState,
                                  &ContactItem::put_BusinessAddressPostalCode,
                                  &ContactItem::put_BusinessAddressCountry};
        for (std::size_t i = 0; i < std::size(setters) && i + 1 < parts.size(); ++i)
            Put(c, setters[i], parts[i + 1]);
    } else {
        Put(c, &ContactItem::put_BusinessAddress, "");
    }
    text_or_clear(lookup.ByName("TITLE"), &ContactItem::put_JobTitle);
    text_or_clear(lookup.Telephone({"VOICE", "WORK"}), &ContactItem::put_BusinessTelephoneNumber);
    text_or_clear(lookup.Telephone({"work", "fax"}), &ContactItem::put_BusinessFaxNumber);
    text_or_clear(lookup.Strict("URL", "work"), &ContactItem::put_BusinessHomePage);

    if (const CICalLine* other = lookup.ByName("OTHER.EMAIL")) {
        Put(c, &ContactItem::put_Email3Address, contacts::DecodeValue(other->Value()));
        if (lookup.Strict("OTHER.EMAIL", "PREF") != nullptr)
            SetPreferredSlot(3);
    } else if (const CICalLine* typed = lookup.Lenient("EMAIL", "OTHER")) {
        Put(c, &ContactItem::put_Email3Address, contacts::DecodeValue(typed->Value()));
        if (HasExactPref(*typed))
            SetPreferredSlot(3);
    } else if (next_untyped < untyped.size()) {
        const CICalLine* plain = untyped[next_untyped++];
        Put(c, &ContactItem::put_Email3Address, contacts::DecodeValue(plain->Value()));
        if (HasExactPref(*plain))
            SetPreferredSlot(3);
    } else {
        // item2.EMAIL:x@example.org with item2.X-ABLABEL:_$!<Other>!$_ (Apple's labelled addresses).
        for (const CICalLine& label : m_lines) {
            std::string name = AsciiUpper(label.Name());
            const std::string value = AsciiUpper(label.Value());
            if (name.find("X-ABLABEL") == std::string::npos || value.find("OTHER") == std::string::npos)
                continue;
            const std::size_t suffix = name.find(".X-ABLABEL");
            if (suffix != std::string::npos)
                name.erase(suffix, 10);
            if (const CICalLine* labelled = lookup.ByName(name + ".EMAIL")) {
                Put(c, &ContactItem::put_Email3Address, contacts::DecodeValue(labelled->Value()));
                if (HasType(*labelled, "PREF"))
                    SetPreferredSlot(3);
            }
            break;
        }
    }

    if (const CICalLine* bday = lookup.ByName("BDAY")) {
        int year = 0, month = 0, day = 0;
        if (ScanBirthday(bday->Value(), &year, &month, &day) == 3) {
            if (year < 100)
                year += 1900;
            const platform::DateTime date = platform::DateTime::FromParts(year, month, day);
            static_cast<void>(c->put_Birthday(date.IsValid() ? date : EmptyOutlookDate()));
        }
    } else {
        static_cast<void>(c->put_Birthday(EmptyOutlookDate()));
    }

    const HRESULT saved = c->Save();
    own_change.End();
    if (FAILED(saved))
        ThrowFailure("COutlookContact::SaveOutlookContact: Unable to save the contact.", saved);

    if (m_groups != nullptr) {
        const CICalLine* categories = lookup.ByName("CATEGORIES");
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
