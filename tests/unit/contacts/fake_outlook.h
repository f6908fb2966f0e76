// A small in-memory Outlook for the contact tests: one session with a default Contacts folder,
// sub-folders, contacts, distribution lists, recipients and user properties. Only what contact
// synchronization relies on is modelled: EntryIDs assigned at the first Save, LastModificationTime from
// the store's clock, folder names that collide without regard to case, and a few failure switches.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "outlook/application.h"
#include "outlook/contact_item.h"
#include "outlook/dist_list_item.h"
#include "outlook/folder.h"
#include "outlook/folders.h"
#include "outlook/items.h"
#include "outlook/namespace.h"
#include "outlook/recipient.h"
#include "outlook/user_properties.h"
#include "outlook/user_property.h"

namespace fake {

class FakeFolder;
class FakeContact;
class FakeDistList;
class FakeStore;

// Reference counting and QueryInterface for one interface (and IDispatch/IUnknown).
template <class Interface>
class RefCounted : public Interface {
  public:
    std::uint32_t AddRef() override { return ++m_refs; }
    std::uint32_t Release() override {
        const std::uint32_t left = --m_refs;
        if (left == 0)
            delete this;
        return left;
    }
    HRESULT QueryInterface(outlook::Iid iid, void** out) override {
        if (out == nullptr)
            return E_POINTER;
        void* self = Query(iid);
        *out = self;
        if (self == nullptr)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }

  protected:
    virtual ~RefCounted() = default;
    virtual void* Query(outlook::Iid iid) {
        if (iid == Interface::kIid || iid == outlook::IDispatch::kIid || iid == outlook::IUnknown::kIid)
            return static_cast<Interface*>(this);
        return nullptr;
    }

  private:
    std::uint32_t m_refs = 0;
};

class FakeUserProperty : public RefCounted<outlook::UserProperty> {
  public:
    FakeUserProperty(std::string name, outlook::OlUserPropertyType type, outlook::Variant value)
        : m_name(std::move(name)), m_type(type), m_value(std::move(value)) {}
    HRESULT get_Name(std::string* out) override;
    HRESULT get_Type(outlook::OlUserPropertyType* out) override;
    HRESULT get_Value(outlook::Variant* out) override;
    HRESULT put_Value(const outlook::Variant& value) override;
    // Stores a value as it is, whatever the type (a property another program wrote badly).
    void ForceValue(outlook::Variant value) { m_value = std::move(value); }

  private:
    std::string m_name;
    outlook::OlUserPropertyType m_type;
    outlook::Variant m_value;
};

class FakeUserProperties : public RefCounted<outlook::UserProperties> {
  public:
    HRESULT get_Count(std::int32_t* out) override;
    HRESULT Item(std::int32_t index, outlook::ComPtr<outlook::UserProperty>* out) override;
    HRESULT Find(const std::string& name, bool custom, outlook::ComPtr<outlook::UserProperty>* out) override;
    HRESULT Add(const std::string& name, outlook::OlUserPropertyType type, bool add_to_folder_fields,
                std::int32_t display_format, outlook::ComPtr<outlook::UserProperty>* out) override;
    HRESULT Remove(std::int32_t index) override;
    FakeUserProperty* FindFake(const std::string& name) const;

  private:
    std::vector<outlook::ComPtr<FakeUserProperty>> m_properties;
};

class FakeRecipient : public RefCounted<outlook::Recipient> {
  public:
    FakeRecipient(FakeStore* store, std::string text) : m_store(store), m_text(std::move(text)) {}
    HRESULT get_Address(std::string* out) override;
    HRESULT get_Name(std::string* out) override;
    HRESULT get_EntryID(std::string* out) override;
    HRESULT get_Resolved(bool* out) override;
    HRESULT Resolve(bool* out) override;
    HRESULT get_Type(outlook::OlMeetingRecipientType* out) override;
    HRESULT put_Type(outlook::OlMeetingRecipientType value) override;
    HRESULT get_MeetingResponseStatus(outlook::OlResponseStatus* out) override;

    const std::string& Address() const { return m_address; }
    const std::string& DisplayName() const { return m_name; }

  private:
    FakeStore* m_store;
    std::string m_text;
    std::string m_address;
    std::string m_name;
    bool m_resolved = false;
};

// The members every fake item has.
template <class Interface>
class FakeItem : public RefCounted<Interface> {
  public:
    explicit FakeItem(FakeStore* store);

    HRESULT get_Application(outlook::ComPtr<outlook::Application>* out) override;
    HRESULT get_Session(outlook::ComPtr<outlook::NameSpace>* out) override;
    HRESULT get_Parent(outlook::ComPtr<outlook::MAPIFolder>* out) override;
    HRESULT get_EntryID(std::string* out) override;
    HRESULT get_Subject(std::string* out) override;
    HRESULT put_Subject(const std::string& value) override;
    HRESULT get_Body(std::string* out) override;
    HRESULT put_Body(const std::string& value) override;
    HRESULT get_CreationTime(platform::DateTime* out) override;
    HRESULT get_LastModificationTime(platform::DateTime* out) override;
    HRESULT get_Saved(bool* out) override;
    HRESULT get_UserProperties(outlook::ComPtr<outlook::UserProperties>* out) override;
    HRESULT Save() override;
    HRESULT Delete() override;
    HRESULT Move(outlook::MAPIFolder* destination, outlook::ComPtr<outlook::IDispatch>* out) override;
    HRESULT Advise(const std::shared_ptr<outlook::ItemEvents>& sink, outlook::EventCookie* cookie) override;
    HRESULT Unadvise(outlook::EventCookie cookie) override;

    FakeFolder* folder = nullptr;
    std::string entry_id;
    std::string subject;
    std::string body;
    platform::DateTime created = platform::DateTime::Null();
    platform::DateTime modified = platform::DateTime::Null();
    bool deleted = false;
    outlook::ComPtr<FakeUserProperties> properties;

  protected:
    FakeStore* m_store;
};

class FakeContact : public FakeItem<outlook::ContactItem> {
  public:
    explicit FakeContact(FakeStore* store) : FakeItem(store) {}
    HRESULT get_Class(outlook::OlItemType* out) override;

#define FAKE_TEXT_FIELD(Name)                      \
    HRESULT get_##Name(std::string* out) override; \
    HRESULT put_##Name(const std::string& value) override;
    FAKE_TEXT_FIELD(Email1Address)
    FAKE_TEXT_FIELD(Email2Address)
    FAKE_TEXT_FIELD(Email3Address)
    FAKE_TEXT_FIELD(FullName)
    FAKE_TEXT_FIELD(FileAs)
    FAKE_TEXT_FIELD(HomeAddress)
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
    FAKE_TEXT_FIELD(BusinessAddress)
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
    HRESULT get_Birthday(platform::DateTime* out) override;
    HRESULT put_Birthday(const platform::DateTime& value) override;

    // The text fields by member name ("FullName", "HomeAddressStreet" ...); absent means empty.
    std::map<std::string, std::string> fields;
    platform::DateTime birthday = platform::DateTime::FromParts(4501, 1, 1);
    std::string Field(const std::string& name) const;

  protected:
    void* Query(outlook::Iid iid) override;
};

class FakeDistList : public FakeItem<outlook::DistListItem> {
  public:
    explicit FakeDistList(FakeStore* store) : FakeItem(store) {}
    HRESULT get_Class(outlook::OlItemType* out) override;
    HRESULT get_DLName(std::string* out) override;
    HRESULT put_DLName(const std::string& value) override;
    HRESULT get_MemberCount(std::int32_t* out) override;
    HRESULT GetMember(std::int32_t index, outlook::ComPtr<outlook::Recipient>* out) override;
    HRESULT AddMember(outlook::Recipient* recipient) override;
    HRESULT RemoveMember(outlook::Recipient* recipient) override;

    std::string name;
    std::vector<outlook::ComPtr<FakeRecipient>> members;
    std::vector<std::string> MemberAddresses() const;

  protected:
    void* Query(outlook::Iid iid) override;
};

class FakeItems : public RefCounted<outlook::Items> {
  public:
    explicit FakeItems(FakeFolder* folder) : m_folder(folder) {}
    HRESULT get_Count(std::int32_t* out) override;
    HRESULT Item(std::int32_t index, outlook::ComPtr<outlook::IDispatch>* out) override;
    HRESULT Add(outlook::ComPtr<outlook::IDispatch>* out) override;
    HRESULT Add(outlook::OlItemType type, outlook::ComPtr<outlook::IDispatch>* out) override;
    HRESULT GetFirst(outlook::ComPtr<outlook::IDispatch>* out) override;
    HRESULT GetNext(outlook::ComPtr<outlook::IDispatch>* out) override;
    HRESULT Advise(const std::shared_ptr<outlook::ItemsEvents>& sink, outlook::EventCookie* cookie) override;
    HRESULT Unadvise(outlook::EventCookie cookie) override;

  private:
    outlook::ComPtr<FakeFolder> m_folder;
    std::int32_t m_next = 0;
};

class FakeFolders : public RefCounted<outlook::Folders> {
  public:
    explicit FakeFolders(FakeFolder* folder) : m_folder(folder) {}
    HRESULT get_Count(std::int32_t* out) override;
    HRESULT Item(std::int32_t index, outlook::ComPtr<outlook::MAPIFolder>* out) override;
    HRESULT Add(const std::string& name, outlook::ComPtr<outlook::MAPIFolder>* out) override;
    HRESULT GetFirst(outlook::ComPtr<outlook::MAPIFolder>* out) override;
    HRESULT GetNext(outlook::ComPtr<outlook::MAPIFolder>* out) override;
    HRESULT Advise(const std::shared_ptr<outlook::FoldersEvents>& sink,
                   outlook::EventCookie* cookie) override;
    HRESULT Unadvise(outlook::EventCookie cookie) override;

  private:
    outlook::ComPtr<FakeFolder> m_folder;
    std::int32_t m_next = 0;
};

class FakeFolder : public RefCounted<outlook::MAPIFolder> {
  public:
    FakeFolder(FakeStore* store, std::string name, FakeFolder* parent);
    HRESULT get_Application(outlook::ComPtr<outlook::Application>* out) override;
    HRESULT get_EntryID(std::string* out) override;
    HRESULT get_Name(std::string* out) override;
    HRESULT put_Name(const std::string& value) override;
    HRESULT get_Description(std::string* out) override;
    HRESULT put_Description(const std::string& value) override;
    HRESULT get_DefaultItemType(outlook::OlItemType* out) override;
    HRESULT get_ShowAsOutlookAB(bool* out) override;
    HRESULT put_ShowAsOutlookAB(bool value) override;
    HRESULT get_Parent(outlook::ComPtr<outlook::MAPIFolder>* out) override;
    HRESULT get_Items(outlook::ComPtr<outlook::Items>* out) override;
    HRESULT get_Folders(outlook::ComPtr<outlook::Folders>* out) override;
    HRESULT Delete() override;
    HRESULT MoveTo(outlook::MAPIFolder* destination) override;
    HRESULT GetStorage(const std::string& storage_id, outlook::OlStorageIdentifierType type,
                       outlook::ComPtr<outlook::StorageItem>* out) override;
    HRESULT Advise(const std::shared_ptr<outlook::FolderEvents>& sink, outlook::EventCookie* cookie) override;
    HRESULT Unadvise(outlook::EventCookie cookie) override;

    // Test helpers.
    outlook::ComPtr<FakeContact> AddContact(const std::string& full_name, const std::string& email);
    outlook::ComPtr<FakeFolder> AddFolder(const std::string& name);
    FakeFolder* FindFolder(const std::string& name) const;
    std::vector<FakeContact*> Contacts() const;
    std::vector<FakeDistList*> Lists() const;
    FakeDistList* FindList(const std::string& name) const;

    FakeStore* store;
    FakeFolder* parent;
    std::string name;
    std::string entry_id;
    bool show_as_address_book = false;
    bool deleted = false;
    std::vector<outlook::ComPtr<outlook::IDispatch>> items;
    std::vector<outlook::ComPtr<FakeFolder>> folders;
};

class FakeApplication;

class FakeNameSpace : public RefCounted<outlook::NameSpace> {
  public:
    explicit FakeNameSpace(FakeStore* store) : m_store(store) {}
    HRESULT get_Application(outlook::ComPtr<outlook::Application>* out) override;
    HRESULT Logon(const std::string& profile, const std::string& password, bool show_dialog,
                  bool new_session) override;
    HRESULT Logoff() override;
    HRESULT GetDefaultFolder(outlook::OlDefaultFolders folder,
                             outlook::ComPtr<outlook::MAPIFolder>* out) override;
    HRESULT GetFolderFromID(const std::string& entry_id, outlook::ComPtr<outlook::MAPIFolder>* out) override;
    HRESULT GetItemFromID(const std::string& entry_id, outlook::ComPtr<outlook::IDispatch>* out) override;
    HRESULT CreateRecipient(const std::string& recipient_name,
                            outlook::ComPtr<outlook::Recipient>* out) override;

  private:
    FakeStore* m_store;
};

class FakeApplication : public RefCounted<outlook::Application> {
  public:
    explicit FakeApplication(FakeStore* store) : m_store(store) {}
    HRESULT get_Session(outlook::ComPtr<outlook::NameSpace>* out) override;
    HRESULT ActiveExplorer(outlook::ComPtr<outlook::Explorer>* out) override;
    HRESULT CreateItem(outlook::OlItemType type, outlook::ComPtr<outlook::IDispatch>* out) override;
    HRESULT get_TimeZones(outlook::ComPtr<outlook::TimeZones>* out) override;
    HRESULT Advise(const std::shared_ptr<outlook::ApplicationEvents>& sink,
                   outlook::EventCookie* cookie) override;
    HRESULT Unadvise(outlook::EventCookie cookie) override;

  private:
    FakeStore* m_store;
};

// The store: owns the default Contacts folder and gives every object its session.
class FakeStore {
  public:
    FakeStore();
    ~FakeStore();
    FakeStore(const FakeStore&) = delete;
    FakeStore& operator=(const FakeStore&) = delete;

  private:
    // Declared first: the default folder takes its EntryID from it during construction.
    std::uint32_t m_next_id = 1;

  public:
    outlook::ComPtr<FakeApplication> application;
    outlook::ComPtr<FakeNameSpace> session;
    outlook::ComPtr<FakeFolder> contacts;

    // The clock of LastModificationTime; the local time now when unset.
    std::optional<platform::DateTime> now;
    platform::DateTime Now() const;
    std::string NewEntryId();

    // Failure switches.
    HRESULT fail_logon = S_OK;
    HRESULT fail_contact_save = S_OK;
    HRESULT fail_item_add = S_OK;

    // Every contact of every folder (for recipient resolution).
    void CollectContacts(FakeFolder* folder, std::vector<FakeContact*>* out) const;
};

}  // namespace fake
