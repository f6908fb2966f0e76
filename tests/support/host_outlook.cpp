#include "support/host_outlook.h"

#include <gtest/gtest.h>

#include "host/fault_hook.h"
#include "host/record_owner.h"
#include "host/store.h"
#include "outlook/dist_list_item.h"
#include "outlook/folders.h"
#include "outlook/items.h"
#include "outlook/recipient.h"

namespace testing_support {

using outlook::ComPtr;

HostOutlook::HostOutlook() {
    std::string error;
    EXPECT_EQ(host::ApplicationObject::Create(home.root() + "/outlook.db", 500, &app, &error), S_OK) << error;
    EXPECT_EQ(app->get_Session(&session), S_OK);
    EXPECT_EQ(session->GetDefaultFolder(outlook::olFolderContacts, &contacts), S_OK);
    EXPECT_EQ(session->GetDefaultFolder(outlook::olFolderCalendar, &calendar), S_OK);
}

HostOutlook::~HostOutlook() {
    host::ClearFaults();
}

ComPtr<outlook::ContactItem> HostOutlook::AddContact(const Fields& fields, outlook::MAPIFolder* folder) {
    ComPtr<outlook::Items> items;
    ComPtr<outlook::IDispatch> item;
    ComPtr<outlook::ContactItem> contact;
    EXPECT_EQ((folder ? folder : contacts.get())->get_Items(&items), S_OK);
    EXPECT_EQ(items->Add(outlook::olContactItem, &item), S_OK);
    EXPECT_EQ(item.As(&contact), S_OK);
    Edit(contact.get(), fields);
    return contact;
}

void HostOutlook::Edit(outlook::ContactItem* contact, const Fields& fields) {
    auto* owner = dynamic_cast<host::RecordOwner*>(contact);
    ASSERT_NE(owner, nullptr);
    for (const auto& [key, value] : fields)
        owner->Record().fields[key] = outlook::Variant(value);
    owner->MarkChanged();
    EXPECT_EQ(contact->Save(), S_OK);
}

ComPtr<outlook::AppointmentItem> HostOutlook::AddAppointment(const std::string& subject,
                                                             outlook::MAPIFolder* folder) {
    ComPtr<outlook::Items> items;
    ComPtr<outlook::IDispatch> item;
    ComPtr<outlook::AppointmentItem> appointment;
    EXPECT_EQ((folder ? folder : calendar.get())->get_Items(&items), S_OK);
    EXPECT_EQ(items->Add(&item), S_OK);
    EXPECT_EQ(item.As(&appointment), S_OK);
    EXPECT_EQ(appointment->put_Subject(subject), S_OK);
    EXPECT_EQ(appointment->put_Start(platform::DateTime::FromParts(2030, 1, 1, 9)), S_OK);
    EXPECT_EQ(appointment->put_End(platform::DateTime::FromParts(2030, 1, 1, 10)), S_OK);
    EXPECT_EQ(appointment->Save(), S_OK);
    return appointment;
}

std::int32_t HostOutlook::Count(outlook::MAPIFolder* folder) {
    ComPtr<outlook::Items> items;
    std::int32_t count = -1;
    EXPECT_EQ(folder->get_Items(&items), S_OK);
    EXPECT_EQ(items->get_Count(&count), S_OK);
    return count;
}

ComPtr<outlook::MAPIFolder> HostOutlook::AddFolder(const std::string& name, outlook::MAPIFolder* parent) {
    ComPtr<outlook::Folders> folders;
    ComPtr<outlook::MAPIFolder> folder;
    EXPECT_EQ((parent ? parent : contacts.get())->get_Folders(&folders), S_OK);
    EXPECT_EQ(folders->Add(name, &folder), S_OK);
    return folder;
}

void HostOutlook::AddList(const std::string& name, const std::vector<std::string>& members) {
    ComPtr<outlook::Items> items;
    ComPtr<outlook::IDispatch> item;
    ComPtr<outlook::DistListItem> list;
    ASSERT_EQ(contacts->get_Items(&items), S_OK);
    ASSERT_EQ(items->Add(outlook::olDistributionListItem, &item), S_OK);
    ASSERT_EQ(item.As(&list), S_OK);
    ASSERT_EQ(list->put_DLName(name), S_OK);
    for (const std::string& member : members) {
        ComPtr<outlook::Recipient> recipient;
        bool resolved = false;
        ASSERT_EQ(session->CreateRecipient(member, &recipient), S_OK);
        ASSERT_EQ(recipient->Resolve(&resolved), S_OK);
        ASSERT_EQ(list->AddMember(recipient.get()), S_OK);
    }
    ASSERT_EQ(list->Save(), S_OK);
}

std::string HostOutlook::Field(const std::string& entry_id, const std::string& key) {
    host::ItemRecord record;
    if (FAILED(app->store().FindItem(entry_id, &record)))
        return "<gone>";
    return host::BagText(record.fields, key);
}

ComPtr<outlook::ContactItem> HostOutlook::Contact(const std::string& entry_id) {
    ComPtr<outlook::IDispatch> item;
    ComPtr<outlook::ContactItem> contact;
    EXPECT_EQ(session->GetItemFromID(entry_id, &item), S_OK);
    EXPECT_EQ(item.As(&contact), S_OK);
    return contact;
}

std::vector<host::ItemRecord> HostOutlook::Records(outlook::MAPIFolder* folder, outlook::OlItemType kind) {
    host::FolderRecord found;
    std::vector<host::ItemRecord> items;
    EXPECT_EQ(app->store().FindFolder(EntryId(folder ? folder : contacts.get()), &found), S_OK);
    EXPECT_EQ(app->store().ListItems(found.row_id, false, &items), S_OK);
    std::erase_if(items, [kind](const host::ItemRecord& item) { return item.kind != kind; });
    return items;
}

std::vector<std::string> HostOutlook::ContactIds(outlook::MAPIFolder* folder) {
    std::vector<std::string> ids;
    for (const host::ItemRecord& record : Records(folder, outlook::olContactItem))
        ids.push_back(record.entry_id);
    return ids;
}

std::vector<std::string> HostOutlook::Names(outlook::MAPIFolder* folder) {
    std::vector<std::string> names;
    for (const host::ItemRecord& record : Records(folder, outlook::olContactItem))
        names.push_back(host::BagText(record.fields, "FullName"));
    return names;
}

std::map<std::string, std::vector<std::string>> HostOutlook::Lists() {
    std::map<std::string, std::vector<std::string>> lists;
    for (const host::ItemRecord& record : Records(nullptr, outlook::olDistributionListItem)) {
        auto& members = lists[host::BagText(record.fields, "Subject")];
        for (const host::PropertyBag& member : record.members)
            members.push_back(host::BagText(member, "Address"));
    }
    return lists;
}

std::map<std::string, ComPtr<outlook::MAPIFolder>> HostOutlook::Folders() {
    std::map<std::string, ComPtr<outlook::MAPIFolder>> found;
    ComPtr<outlook::Folders> folders;
    std::int32_t count = 0;
    EXPECT_EQ(contacts->get_Folders(&folders), S_OK);
    EXPECT_EQ(folders->get_Count(&count), S_OK);
    for (std::int32_t i = 1; i <= count; ++i) {
        ComPtr<outlook::MAPIFolder> folder;
        std::string name;
        EXPECT_EQ(folders->Item(i, &folder), S_OK);
        EXPECT_EQ(folder->get_Name(&name), S_OK);
        found[name] = folder;
    }
    return found;
}

}  // namespace testing_support
