#include "unit/contacts/fake_outlook.h"

#include <algorithm>
#include <cstdio>

#include "outlook/status.h"
#include "platform/text.h"

using outlook::ComPtr;

namespace fake {

// ---- user properties

HRESULT FakeUserProperty::get_Name(std::string* out) {
    *out = m_name;
    return S_OK;
}
HRESULT FakeUserProperty::get_Type(outlook::OlUserPropertyType* out) {
    *out = m_type;
    return S_OK;
}
HRESULT FakeUserProperty::get_Value(outlook::Variant* out) {
    *out = m_value;
    return S_OK;
}
HRESULT FakeUserProperty::put_Value(const outlook::Variant& value) {
    HRESULT hr = S_OK;
    switch (m_type) {
        case outlook::olText: {
            std::string text;
            hr = value.ToText(&text);
            if (SUCCEEDED(hr))
                m_value = outlook::Variant(text);
            break;
        }
        case outlook::olYesNo: {
            bool flag = false;
            hr = value.ToBool(&flag);
            if (SUCCEEDED(hr))
                m_value = outlook::Variant(flag);
            break;
        }
        default: {
            double number = 0;
            hr = value.ToDouble(&number);
            if (SUCCEEDED(hr))
                m_value = outlook::Variant(number);
            break;
        }
    }
    return hr;
}

HRESULT FakeUserProperties::get_Count(std::int32_t* out) {
    *out = static_cast<std::int32_t>(m_properties.size());
    return S_OK;
}
HRESULT FakeUserProperties::Item(std::int32_t index, ComPtr<outlook::UserProperty>* out) {
    if (index < 1 || index > static_cast<std::int32_t>(m_properties.size()))
        return outlook::DISP_E_BADINDEX;
    *out = m_properties[index - 1];
    return S_OK;
}
HRESULT FakeUserProperties::Find(const std::string& name, bool, ComPtr<outlook::UserProperty>* out) {
    *out = ComPtr<outlook::UserProperty>(FindFake(name));
    return S_OK;
}
HRESULT FakeUserProperties::Add(const std::string& name, outlook::OlUserPropertyType type, bool, std::int32_t,
                                ComPtr<outlook::UserProperty>* out) {
    if (name.empty())
        return E_INVALIDARG;
    if (FakeUserProperty* existing = FindFake(name)) {
        outlook::OlUserPropertyType existing_type{};
        static_cast<void>(existing->get_Type(&existing_type));
        if (existing_type != type)
            return outlook::MAPI_E_COLLISION;
        *out = ComPtr<outlook::UserProperty>(existing);
        return S_OK;
    }
    outlook::Variant empty;
    if (type == outlook::olText)
        empty = outlook::Variant(std::string());
    else if (type == outlook::olYesNo)
        empty = outlook::Variant(false);
    else
        empty = outlook::Variant(0.0);
    m_properties.emplace_back(new FakeUserProperty(name, type, empty));
    *out = m_properties.back();
    return S_OK;
}
HRESULT FakeUserProperties::Remove(std::int32_t index) {
    if (index < 1 || index > static_cast<std::int32_t>(m_properties.size()))
        return outlook::DISP_E_BADINDEX;
    m_properties.erase(m_properties.begin() + (index - 1));
    return S_OK;
}
FakeUserProperty* FakeUserProperties::FindFake(const std::string& name) const {
    for (const auto& property : m_properties) {
        std::string own;
        static_cast<void>(property->get_Name(&own));
        if (platform::EqualsIgnoreAsciiCase(own, name))
            return property.get();
    }
    return nullptr;
}

// ---- recipients

HRESULT FakeRecipient::get_Address(std::string* out) {
    *out = m_address;
    return S_OK;
}
HRESULT FakeRecipient::get_Name(std::string* out) {
    *out = m_resolved ? m_name : m_text;
    return S_OK;
}
HRESULT FakeRecipient::get_EntryID(std::string* out) {
    *out = m_resolved ? platform::AsciiLower(m_address) : std::string();
    return S_OK;
}
HRESULT FakeRecipient::get_Resolved(bool* out) {
    *out = m_resolved;
    return S_OK;
}
HRESULT FakeRecipient::Resolve(bool* out) {
    std::vector<FakeContact*> all;
    m_store->CollectContacts(m_store->contacts.get(), &all);
    for (FakeContact* contact : all) {
        for (const char* field : {"Email1Address", "Email2Address", "Email3Address"}) {
            const std::string address = contact->Field(field);
            if (!address.empty() && platform::EqualsIgnoreAsciiCase(address, m_text)) {
                m_address = address;
                m_name = contact->Field("FullName").empty() ? address : contact->Field("FullName");
                m_resolved = true;
                *out = true;
                return S_OK;
            }
        }
    }
    const std::size_t at = m_text.find('@');
    m_resolved = at != std::string::npos && at > 0 && at + 1 < m_text.size();
    if (m_resolved) {
        m_address = m_text;
        m_name = m_text;
    }
    *out = m_resolved;
    return S_OK;
}
HRESULT FakeRecipient::get_Type(outlook::OlMeetingRecipientType* out) {
    *out = outlook::olRequired;
    return S_OK;
}
HRESULT FakeRecipient::put_Type(outlook::OlMeetingRecipientType) {
    return S_OK;
}
HRESULT FakeRecipient::get_MeetingResponseStatus(outlook::OlResponseStatus* out) {
    *out = outlook::olResponseNone;
    return S_OK;
}

// ---- items

template <class Interface>
FakeItem<Interface>::FakeItem(FakeStore* store) : properties(new FakeUserProperties()), m_store(store) {}

template <class Interface>
HRESULT FakeItem<Interface>::get_Application(ComPtr<outlook::Application>* out) {
    *out = m_store->application;
    return S_OK;
}
template <class Interface>
HRESULT FakeItem<Interface>::get_Session(ComPtr<outlook::NameSpace>* out) {
    *out = m_store->session;
    return S_OK;
}
template <class Interface>
HRESULT FakeItem<Interface>::get_Parent(ComPtr<outlook::MAPIFolder>* out) {
    *out = ComPtr<outlook::MAPIFolder>(folder);
    return S_OK;
}
template <class Interface>
HRESULT FakeItem<Interface>::get_EntryID(std::string* out) {
    if (entry_id.empty())
        return outlook::MAPI_E_NOT_FOUND;
    *out = entry_id;
    return S_OK;
}
template <class Interface>
HRESULT FakeItem<Interface>::get_Subject(std::string* out) {
    *out = subject;
    return S_OK;
}
template <class Interface>
HRESULT FakeItem<Interface>::put_Subject(const std::string& value) {
    subject = value;
    return S_OK;
}
template <class Interface>
HRESULT FakeItem<Interface>::get_Body(std::string* out) {
    *out = body;
    return S_OK;
}
template <class Interface>
HRESULT FakeItem<Interface>::put_Body(const std::string& value) {
    body = value;
    return S_OK;
}
template <class Interface>
HRESULT FakeItem<Interface>::get_CreationTime(platform::DateTime* out) {
    *out = created;
    return S_OK;
}
template <class Interface>
HRESULT FakeItem<Interface>::get_LastModificationTime(platform::DateTime* out) {
    *out = modified.status() == platform::DateStatus::Null ? m_store->Now() : modified;
    return S_OK;
}
template <class Interface>
HRESULT FakeItem<Interface>::get_Saved(bool* out) {
    *out = !entry_id.empty();
    return S_OK;
}
template <class Interface>
HRESULT FakeItem<Interface>::get_UserProperties(ComPtr<outlook::UserProperties>* out) {
    *out = properties;
    return S_OK;
}
template <class Interface>
HRESULT FakeItem<Interface>::Save() {
    if (deleted)
        return outlook::MAPI_E_OBJECT_DELETED;
    if (std::is_same_v<Interface, outlook::ContactItem> && FAILED(m_store->fail_contact_save))
        return m_store->fail_contact_save;
    if (entry_id.empty()) {
        entry_id = m_store->NewEntryId();
        created = m_store->Now();
        if (folder != nullptr)
            folder->items.emplace_back(static_cast<outlook::IDispatch*>(this));
    }
    modified = m_store->Now();
    return S_OK;
}
template <class Interface>
HRESULT FakeItem<Interface>::Delete() {
    if (deleted)
        return outlook::MAPI_E_OBJECT_DELETED;
    deleted = true;
    if (folder != nullptr) {
        auto& list = folder->items;
        list.erase(std::remove_if(list.begin(), list.end(),
                                  [this](const ComPtr<outlook::IDispatch>& item) {
                                      return item.get() == static_cast<outlook::IDispatch*>(this);
                                  }),
                   list.end());
    }
    return S_OK;
}
template <class Interface>
HRESULT FakeItem<Interface>::Move(outlook::MAPIFolder* destination, ComPtr<outlook::IDispatch>* out) {
    auto* target = dynamic_cast<FakeFolder*>(destination);
    if (target == nullptr)
        return E_INVALIDARG;
    ComPtr<outlook::IDispatch> self(static_cast<outlook::IDispatch*>(this));
    if (folder != nullptr && !entry_id.empty()) {
        auto& list = folder->items;
        list.erase(std::remove_if(list.begin(), list.end(),
                                  [this](const ComPtr<outlook::IDispatch>& item) {
                                      return item.get() == static_cast<outlook::IDispatch*>(this);
                                  }),
                   list.end());
        target->items.push_back(self);
    }
    folder = target;
    if (entry_id.empty()) {
        const HRESULT hr = Save();
        if (FAILED(hr))
            return hr;
    }
    *out = self;
    return S_OK;
}
template <class Interface>
HRESULT FakeItem<Interface>::Advise(const std::shared_ptr<outlook::ItemEvents>&, outlook::EventCookie*) {
    return E_NOTIMPL;
}
template <class Interface>
HRESULT FakeItem<Interface>::Unadvise(outlook::EventCookie) {
    return E_NOTIMPL;
}

template class FakeItem<outlook::ContactItem>;
template class FakeItem<outlook::DistListItem>;

HRESULT FakeContact::get_Class(outlook::OlItemType* out) {
    *out = outlook::olContactItem;
    return S_OK;
}

#define FAKE_TEXT_FIELD(Name)                                   \
    HRESULT FakeContact::get_##Name(std::string* out) {         \
        *out = Field(#Name);                                    \
        return S_OK;                                            \
    }                                                           \
    HRESULT FakeContact::put_##Name(const std::string& value) { \
        fields[#Name] = value;                                  \
        return S_OK;                                            \
    }
FAKE_TEXT_FIELD(Email1Address)
FAKE_TEXT_FIELD(Email2Address)
FAKE_TEXT_FIELD(Email3Address)
FAKE_TEXT_FIELD(FullName)
FAKE_TEXT_FIELD(FileAs)
FAKE_TEXT_FIELD(HomeAddressStreet)
FAKE_TEXT_FIELD(HomeAddressCity)
FAKE_TEXT_FIELD(HomeAddressState)
FAKE_TEXT_FIELD(HomeAddressPostalCode)
FAKE_TEXT_FIELD(HomeAddressCountry)
FAKE_TEXT_FIELD(HomeTelephoneNumber)
FAKE_TEXT_FIELD(HomeFaxNumber)
FAKE_TEXT_FIELD(MobileTelephoneNumber)
FAKE_TEXT_FIELD(PersonalHomePage)
FAKE_TEXT_FIELD(OfficeLocation)
FAKE_TEXT_FIELD(BusinessAddressStreet)
FAKE_TEXT_FIELD(BusinessAddressCity)
FAKE_TEXT_FIELD(BusinessAddressState)
FAKE_TEXT_FIELD(BusinessAddressPostalCode)
FAKE_TEXT_FIELD(BusinessAddressCountry)
FAKE_TEXT_FIELD(CompanyName)
FAKE_TEXT_FIELD(Department)
FAKE_TEXT_FIELD(JobTitle)
FAKE_TEXT_FIELD(BusinessTelephoneNumber)
FAKE_TEXT_FIELD(BusinessFaxNumber)
FAKE_TEXT_FIELD(BusinessHomePage)
#undef FAKE_TEXT_FIELD

// The whole address: its parts joined by line breaks; putting "" clears every part, another text sets the
// street and clears the rest (OfficeLocation stays).
HRESULT FakeContact::get_HomeAddress(std::string* out) {
    out->clear();
    for (const char* part : {"HomeAddressStreet", "HomeAddressPostalCode", "HomeAddressCity",
                             "HomeAddressState", "HomeAddressCountry"}) {
        if (Field(part).empty())
            continue;
        if (!out->empty())
            *out += "\r\n";
        *out += Field(part);
    }
    return S_OK;
}
HRESULT FakeContact::put_HomeAddress(const std::string& value) {
    for (const char* part : {"HomeAddressStreet", "HomeAddressPostalCode", "HomeAddressCity",
                             "HomeAddressState", "HomeAddressCountry"}) {
        fields[part].clear();
    }
    fields["HomeAddressStreet"] = value;
    return S_OK;
}
HRESULT FakeContact::get_BusinessAddress(std::string* out) {
    out->clear();
    for (const char* part : {"BusinessAddressStreet", "BusinessAddressPostalCode", "BusinessAddressCity",
                             "BusinessAddressState", "BusinessAddressCountry"}) {
        if (Field(part).empty())
            continue;
        if (!out->empty())
            *out += "\r\n";
        *out += Field(part);
    }
    return S_OK;
}
HRESULT FakeContact::put_BusinessAddress(const std::string& value) {
    for (const char* part : {"BusinessAddressStreet", "BusinessAddressPostalCode", "BusinessAddressCity",
                             "BusinessAddressState", "BusinessAddressCountry"}) {
        fields[part].clear();
    }
    fields["BusinessAddressStreet"] = value;
    return S_OK;
}
HRESULT FakeContact::get_Birthday(platform::DateTime* out) {
    *out = birthday;
    return S_OK;
}
HRESULT FakeContact::put_Birthday(const platform::DateTime& value) {
    if (!value.IsValid())
        return E_INVALIDARG;
    birthday = value;
    return S_OK;
}
std::string FakeContact::Field(const std::string& name) const {
    const auto found = fields.find(name);
    return found == fields.end() ? std::string() : found->second;
}
void* FakeContact::Query(outlook::Iid iid) {
    if (iid == outlook::OutlookItem::kIid)
        return static_cast<outlook::ContactItem*>(this);
    return RefCounted::Query(iid);
}

HRESULT FakeDistList::get_Class(outlook::OlItemType* out) {
    *out = outlook::olDistributionListItem;
    return S_OK;
}
HRESULT FakeDistList::get_DLName(std::string* out) {
    *out = name;
    return S_OK;
}
HRESULT FakeDistList::put_DLName(const std::string& value) {
    name = value;
    return S_OK;
}
HRESULT FakeDistList::get_MemberCount(std::int32_t* out) {
    *out = static_cast<std::int32_t>(members.size());
    return S_OK;
}
HRESULT FakeDistList::GetMember(std::int32_t index, ComPtr<outlook::Recipient>* out) {
    if (index < 1 || index > static_cast<std::int32_t>(members.size()))
        return outlook::DISP_E_BADINDEX;
    *out = members[index - 1];
    return S_OK;
}
HRESULT FakeDistList::AddMember(outlook::Recipient* recipient) {
    auto* fake_recipient = dynamic_cast<FakeRecipient*>(recipient);
    if (fake_recipient == nullptr)
        return E_POINTER;
    if (fake_recipient->Address().empty())
        return outlook::MAPI_E_NOT_FOUND;
    for (const auto& member : members) {
        if (platform::EqualsIgnoreAsciiCase(member->Address(), fake_recipient->Address()))
            return S_OK;
    }
    members.emplace_back(fake_recipient);
    return S_OK;
}
HRESULT FakeDistList::RemoveMember(outlook::Recipient* recipient) {
    auto* fake_recipient = dynamic_cast<FakeRecipient*>(recipient);
    if (fake_recipient == nullptr)
        return E_POINTER;
    for (auto it = members.begin(); it != members.end(); ++it) {
        if (platform::EqualsIgnoreAsciiCase((*it)->Address(), fake_recipient->Address())) {
            members.erase(it);
            return S_OK;
        }
    }
    return outlook::MAPI_E_NOT_FOUND;
}
std::vector<std::string> FakeDistList::MemberAddresses() const {
    std::vector<std::string> addresses;
    for (const auto& member : members)
        addresses.push_back(member->Address());
    return addresses;
}
void* FakeDistList::Query(outlook::Iid iid) {
    if (iid == outlook::OutlookItem::kIid)
        return static_cast<outlook::DistListItem*>(this);
    return RefCounted::Query(iid);
}

// ---- collections

HRESULT FakeItems::get_Count(std::int32_t* out) {
    *out = static_cast<std::int32_t>(m_folder->items.size());
    return S_OK;
}
HRESULT FakeItems::Item(std::int32_t index, ComPtr<outlook::IDispatch>* out) {
    if (index < 1 || index > static_cast<std::int32_t>(m_folder->items.size()))
        return outlook::DISP_E_BADINDEX;
    *out = m_folder->items[index - 1];
    return S_OK;
}
HRESULT FakeItems::Add(ComPtr<outlook::IDispatch>* out) {
    return Add(outlook::olContactItem, out);
}
HRESULT FakeItems::Add(outlook::OlItemType type, ComPtr<outlook::IDispatch>* out) {
    if (FAILED(m_folder->store->fail_item_add))
        return m_folder->store->fail_item_add;
    if (type == outlook::olContactItem) {
        auto* contact = new FakeContact(m_folder->store);
        contact->folder = m_folder.get();
        *out = ComPtr<outlook::IDispatch>(static_cast<outlook::IDispatch*>(contact));
        return S_OK;
    }
    if (type == outlook::olDistributionListItem) {
        auto* list = new FakeDistList(m_folder->store);
        list->folder = m_folder.get();
        *out = ComPtr<outlook::IDispatch>(static_cast<outlook::IDispatch*>(list));
        return S_OK;
    }
    return E_INVALIDARG;
}
HRESULT FakeItems::GetFirst(ComPtr<outlook::IDispatch>* out) {
    m_next = 0;
    return GetNext(out);
}
HRESULT FakeItems::GetNext(ComPtr<outlook::IDispatch>* out) {
    if (m_next >= static_cast<std::int32_t>(m_folder->items.size())) {
        *out = nullptr;
        return S_OK;
    }
    *out = m_folder->items[m_next++];
    return S_OK;
}
HRESULT FakeItems::Advise(const std::shared_ptr<outlook::ItemsEvents>&, outlook::EventCookie*) {
    return E_NOTIMPL;
}
HRESULT FakeItems::Unadvise(outlook::EventCookie) {
    return E_NOTIMPL;
}

HRESULT FakeFolders::get_Count(std::int32_t* out) {
    *out = static_cast<std::int32_t>(m_folder->folders.size());
    return S_OK;
}
HRESULT FakeFolders::Item(std::int32_t index, ComPtr<outlook::MAPIFolder>* out) {
    if (index < 1 || index > static_cast<std::int32_t>(m_folder->folders.size()))
        return outlook::DISP_E_BADINDEX;
    *out = m_folder->folders[index - 1];
    return S_OK;
}
HRESULT FakeFolders::Add(const std::string& name, ComPtr<outlook::MAPIFolder>* out) {
    if (name.empty())
        return E_INVALIDARG;
    if (m_folder->FindFolder(name) != nullptr)
        return outlook::MAPI_E_COLLISION;
    *out = m_folder->AddFolder(name);
    return S_OK;
}
HRESULT FakeFolders::GetFirst(ComPtr<outlook::MAPIFolder>* out) {
    m_next = 0;
    return GetNext(out);
}
HRESULT FakeFolders::GetNext(ComPtr<outlook::MAPIFolder>* out) {
    if (m_next >= static_cast<std::int32_t>(m_folder->folders.size())) {
        *out = nullptr;
        return S_OK;
    }
    *out = m_folder->folders[m_next++];
    return S_OK;
}
HRESULT FakeFolders::Advise(const std::shared_ptr<outlook::FoldersEvents>&, outlook::EventCookie*) {
    return E_NOTIMPL;
}
HRESULT FakeFolders::Unadvise(outlook::EventCookie) {
    return E_NOTIMPL;
}

// ---- folders

FakeFolder::FakeFolder(FakeStore* owner, std::string folder_name, FakeFolder* parent_folder)
    : store(owner), parent(parent_folder), name(std::move(folder_name)), entry_id(owner->NewEntryId()) {}

HRESULT FakeFolder::get_Application(ComPtr<outlook::Application>* out) {
    *out = store->application;
    return S_OK;
}
HRESULT FakeFolder::get_EntryID(std::string* out) {
    *out = entry_id;
    return S_OK;
}
HRESULT FakeFolder::get_Name(std::string* out) {
    *out = name;
    return S_OK;
}
HRESULT FakeFolder::put_Name(const std::string& value) {
    name = value;
    return S_OK;
}
HRESULT FakeFolder::get_Description(std::string* out) {
    out->clear();
    return S_OK;
}
HRESULT FakeFolder::put_Description(const std::string&) {
    return S_OK;
}
HRESULT FakeFolder::get_DefaultItemType(outlook::OlItemType* out) {
    *out = outlook::olContactItem;
    return S_OK;
}
HRESULT FakeFolder::get_ShowAsOutlookAB(bool* out) {
    *out = show_as_address_book;
    return S_OK;
}
HRESULT FakeFolder::put_ShowAsOutlookAB(bool value) {
    show_as_address_book = value;
    return S_OK;
}
HRESULT FakeFolder::get_Parent(ComPtr<outlook::MAPIFolder>* out) {
    *out = ComPtr<outlook::MAPIFolder>(parent);
    return S_OK;
}
HRESULT FakeFolder::get_Items(ComPtr<outlook::Items>* out) {
    *out = ComPtr<outlook::Items>(new FakeItems(this));
    return S_OK;
}
HRESULT FakeFolder::get_Folders(ComPtr<outlook::Folders>* out) {
    *out = ComPtr<outlook::Folders>(new FakeFolders(this));
    return S_OK;
}
HRESULT FakeFolder::Delete() {
    if (parent == nullptr)
        return outlook::MAPI_E_NO_SUPPORT;
    deleted = true;
    ComPtr<FakeFolder> keep(this);
    auto& siblings = parent->folders;
    siblings.erase(std::remove_if(siblings.begin(), siblings.end(),
                                  [this](const ComPtr<FakeFolder>& folder) { return folder.get() == this; }),
                   siblings.end());
    return S_OK;
}
HRESULT FakeFolder::MoveTo(outlook::MAPIFolder*) {
    return E_NOTIMPL;
}
HRESULT FakeFolder::GetStorage(const std::string&, outlook::OlStorageIdentifierType,
                               ComPtr<outlook::StorageItem>*) {
    return E_NOTIMPL;
}
HRESULT FakeFolder::Advise(const std::shared_ptr<outlook::FolderEvents>&, outlook::EventCookie*) {
    return E_NOTIMPL;
}
HRESULT FakeFolder::Unadvise(outlook::EventCookie) {
    return E_NOTIMPL;
}

ComPtr<FakeContact> FakeFolder::AddContact(const std::string& full_name, const std::string& email) {
    ComPtr<FakeContact> contact(new FakeContact(store));
    contact->folder = this;
    if (!full_name.empty())
        contact->fields["FullName"] = full_name;
    if (!email.empty())
        contact->fields["Email1Address"] = email;
    static_cast<void>(contact->Save());
    return contact;
}
ComPtr<FakeFolder> FakeFolder::AddFolder(const std::string& folder_name) {
    ComPtr<FakeFolder> folder(new FakeFolder(store, folder_name, this));
    folders.push_back(folder);
    return folder;
}
FakeFolder* FakeFolder::FindFolder(const std::string& folder_name) const {
    for (const auto& folder : folders) {
        if (platform::EqualsIgnoreAsciiCase(folder->name, folder_name))
            return folder.get();
    }
    return nullptr;
}
std::vector<FakeContact*> FakeFolder::Contacts() const {
    std::vector<FakeContact*> contacts;
    for (const auto& item : items) {
        if (auto* contact = dynamic_cast<FakeContact*>(item.get()))
            contacts.push_back(contact);
    }
    return contacts;
}
std::vector<FakeDistList*> FakeFolder::Lists() const {
    std::vector<FakeDistList*> lists;
    for (const auto& item : items) {
        if (auto* list = dynamic_cast<FakeDistList*>(item.get()))
            lists.push_back(list);
    }
    return lists;
}
FakeDistList* FakeFolder::FindList(const std::string& list_name) const {
    for (FakeDistList* list : Lists()) {
        if (list->name == list_name)
            return list;
    }
    return nullptr;
}

// ---- session

HRESULT FakeNameSpace::get_Application(ComPtr<outlook::Application>* out) {
    *out = m_store->application;
    return S_OK;
}
HRESULT FakeNameSpace::Logon(const std::string&, const std::string&, bool, bool) {
    return m_store->fail_logon;
}
HRESULT FakeNameSpace::Logoff() {
    return S_OK;
}
HRESULT FakeNameSpace::GetDefaultFolder(outlook::OlDefaultFolders folder, ComPtr<outlook::MAPIFolder>* out) {
    if (folder != outlook::olFolderContacts)
        return E_INVALIDARG;
    *out = m_store->contacts;
    return S_OK;
}
HRESULT FakeNameSpace::GetFolderFromID(const std::string&, ComPtr<outlook::MAPIFolder>*) {
    return E_NOTIMPL;
}
HRESULT FakeNameSpace::GetItemFromID(const std::string&, ComPtr<outlook::IDispatch>*) {
    return E_NOTIMPL;
}
HRESULT FakeNameSpace::CreateRecipient(const std::string& recipient_name, ComPtr<outlook::Recipient>* out) {
    if (recipient_name.empty())
        return E_INVALIDARG;
    *out = ComPtr<outlook::Recipient>(new FakeRecipient(m_store, recipient_name));
    return S_OK;
}

HRESULT FakeApplication::get_Session(ComPtr<outlook::NameSpace>* out) {
    *out = m_store->session;
    return S_OK;
}
HRESULT FakeApplication::ActiveExplorer(ComPtr<outlook::Explorer>*) {
    return outlook::MAPI_E_NOT_FOUND;
}
HRESULT FakeApplication::CreateItem(outlook::OlItemType type, ComPtr<outlook::IDispatch>* out) {
    ComPtr<outlook::Items> items;
    static_cast<void>(m_store->contacts->get_Items(&items));
    return items->Add(type, out);
}
HRESULT FakeApplication::get_TimeZones(ComPtr<outlook::TimeZones>*) {
    return E_NOTIMPL;
}
HRESULT FakeApplication::Advise(const std::shared_ptr<outlook::ApplicationEvents>&, outlook::EventCookie*) {
    return E_NOTIMPL;
}
HRESULT FakeApplication::Unadvise(outlook::EventCookie) {
    return E_NOTIMPL;
}

// ---- store

FakeStore::FakeStore()
    : application(new FakeApplication(this)),
      session(new FakeNameSpace(this)),
      contacts(new FakeFolder(this, "Contacts", nullptr)) {}

FakeStore::~FakeStore() = default;

platform::DateTime FakeStore::Now() const {
    return now ? *now : platform::DateTime::NowLocal();
}

std::string FakeStore::NewEntryId() {
    char text[33];
    std::snprintf(text, sizeof(text), "00000000C0FFEE%018X", m_next_id++);
    return text;
}

void FakeStore::CollectContacts(FakeFolder* folder, std::vector<FakeContact*>* out) const {
    for (FakeContact* contact : folder->Contacts())
        out->push_back(contact);
    for (const auto& child : folder->folders)
        CollectContacts(child.get(), out);
}

}  // namespace fake
