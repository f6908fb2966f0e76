// The host's Outlook for the tests that need one: a store in a fresh velsync home, its session and the
// default Contacts and Calendar folders, with short ways to make and read items, folders and lists.
#pragma once

#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/application_object.h"
#include "host/item_record.h"
#include "outlook/appointment_item.h"
#include "outlook/contact_item.h"
#include "outlook/folder.h"
#include "outlook/namespace.h"
#include "support/temp_home.h"

namespace testing_support {

// Text fields by member name: "FullName", "Email1Address", "Body" ...
using Fields = std::map<std::string, std::string>;

class HostOutlook {
  public:
    HostOutlook();
    ~HostOutlook();
    HostOutlook(const HostOutlook&) = delete;
    HostOutlook& operator=(const HostOutlook&) = delete;

    // A saved contact of the folder (Contacts when null).
    outlook::ComPtr<outlook::ContactItem> AddContact(const Fields& fields,
                                                     outlook::MAPIFolder* folder = nullptr);
    // Writes the fields into the contact and saves it, as a user's edit.
    void Edit(outlook::ContactItem* contact, const Fields& fields);
    // A saved appointment of the folder (Calendar when null), 2030-01-01 09:00 to 10:00.
    outlook::ComPtr<outlook::AppointmentItem> AddAppointment(const std::string& subject,
                                                             outlook::MAPIFolder* folder = nullptr);
    // How many items the folder holds.
    std::int32_t Count(outlook::MAPIFolder* folder);
    outlook::ComPtr<outlook::MAPIFolder> AddFolder(const std::string& name,
                                                   outlook::MAPIFolder* parent = nullptr);
    // A saved distribution list of Contacts with these members, each resolved as a user would.
    void AddList(const std::string& name, const std::vector<std::string>& members);

    // A field of the item as saved; "" when absent. "<gone>" when the item is not in the store.
    std::string Field(const std::string& entry_id, const std::string& key);
    // The item as a fresh object, as another session would see it.
    outlook::ComPtr<outlook::ContactItem> Contact(const std::string& entry_id);
    // EntryIDs of a folder's contacts (Contacts when null) in the order they were first saved.
    std::vector<std::string> ContactIds(outlook::MAPIFolder* folder = nullptr);
    // FullName of each contact of the folder, in the same order.
    std::vector<std::string> Names(outlook::MAPIFolder* folder = nullptr);
    // The distribution lists of Contacts: name -> member addresses.
    std::map<std::string, std::vector<std::string>> Lists();
    // The sub-folders of Contacts by name.
    std::map<std::string, outlook::ComPtr<outlook::MAPIFolder>> Folders();
    // The stored items of that kind in a folder (Contacts when null), in the order they were first saved.
    std::vector<host::ItemRecord> Records(outlook::MAPIFolder* folder, outlook::OlItemType kind);

    // The EntryID of a saved item or a folder.
    template <class Object>
    static std::string EntryId(Object* object) {
        std::string id;
        EXPECT_EQ(object->get_EntryID(&id), S_OK);
        return id;
    }

    testing_support::TempHome home;
    outlook::ComPtr<host::ApplicationObject> app;
    outlook::ComPtr<outlook::NameSpace> session;
    outlook::ComPtr<outlook::MAPIFolder> contacts;
    outlook::ComPtr<outlook::MAPIFolder> calendar;
};

}  // namespace testing_support
