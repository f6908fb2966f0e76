// A fresh store in a temporary home, opened as one application, with helpers for common steps.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <type_traits>

#include "host/application_object.h"
#include "host/fault_hook.h"
#include "outlook/appointment_item.h"
#include "outlook/contact_item.h"
#include "outlook/folder.h"
#include "outlook/folders.h"
#include "outlook/items.h"
#include "outlook/namespace.h"
#include "outlook/status.h"
#include "platform/date_time.h"
#include "support/scoped_time_zone.h"
#include "support/temp_home.h"

namespace host_test {

using outlook::ComPtr;
using platform::DateTime;
using testing_support::ScopedTimeZone;

// What `getter` reads from `object`, which must answer S_OK.
template <class T, class C, class I>
T Get(const ComPtr<I>& object, HRESULT (C::*getter)(T*)) {
    T value{};
    EXPECT_EQ((object.get()->*getter)(&value), S_OK);
    return value;
}
// PROP(item, Subject): the item's get_Subject value.
#define PROP(object, name) \
    ::host_test::Get(object, &std::remove_pointer_t<decltype((object).get())>::get_##name)

// Runs `sql` on the store file behind the store's back, `text` bound as ?1.
inline void TamperWithStoreFile(const std::string& path, const char* sql, const std::string& text = "") {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    sqlite3_stmt* statement = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, sql, -1, &statement, nullptr), SQLITE_OK);
    sqlite3_bind_text(statement, 1, text.c_str(), -1, SQLITE_TRANSIENT);
    EXPECT_EQ(sqlite3_step(statement), SQLITE_DONE);
    sqlite3_finalize(statement);
    sqlite3_close(db);
}

class HostTest : public ::testing::Test {
  protected:
    void SetUp() override {
        host::ClearFaults();
        Open();
    }
    void TearDown() override { host::ClearFaults(); }

    std::string StorePath() const { return home_.root() + "/outlook.db"; }

    // (Re)opens the store as a new application, as a restart does.
    void Open() {
        ns_ = nullptr;
        app_ = nullptr;
        std::string error;
        ASSERT_EQ(host::ApplicationObject::Create(StorePath(), 500, &app_, &error), S_OK) << error;
        ASSERT_EQ(app_->get_Session(&ns_), S_OK);
    }

    ComPtr<outlook::MAPIFolder> Folder(outlook::OlDefaultFolders kind) {
        ComPtr<outlook::MAPIFolder> folder;
        EXPECT_EQ(ns_->GetDefaultFolder(kind, &folder), S_OK);
        return folder;
    }

    ComPtr<outlook::Items> ItemsOf(outlook::MAPIFolder* folder) {
        ComPtr<outlook::Items> items;
        EXPECT_EQ(folder->get_Items(&items), S_OK);
        return items;
    }

    std::int32_t CountOf(outlook::MAPIFolder* folder) { return PROP(ItemsOf(folder), Count); }

    // A new appointment in `folder` (Calendar when null), not saved.
    ComPtr<outlook::AppointmentItem> NewAppointment(
        const std::string& subject, const DateTime& start = DateTime::FromParts(2024, 5, 6, 9),
        const DateTime& end = DateTime::FromParts(2024, 5, 6, 10), outlook::MAPIFolder* folder = nullptr) {
        ComPtr<outlook::MAPIFolder> target =
            folder != nullptr ? ComPtr<outlook::MAPIFolder>(folder) : Folder(outlook::olFolderCalendar);
        ComPtr<outlook::IDispatch> item;
        EXPECT_EQ(ItemsOf(target.get())->Add(&item), S_OK);
        ComPtr<outlook::AppointmentItem> appointment;
        EXPECT_EQ(item.As(&appointment), S_OK);
        EXPECT_EQ(appointment->put_Subject(subject), S_OK);
        EXPECT_EQ(appointment->put_Start(start), S_OK);
        EXPECT_EQ(appointment->put_End(end), S_OK);
        return appointment;
    }

    ComPtr<outlook::ContactItem> NewContact(const std::string& full_name, const std::string& email,
                                            outlook::MAPIFolder* folder = nullptr) {
        ComPtr<outlook::MAPIFolder> target =
            folder != nullptr ? ComPtr<outlook::MAPIFolder>(folder) : Folder(outlook::olFolderContacts);
        ComPtr<outlook::IDispatch> item;
        EXPECT_EQ(ItemsOf(target.get())->Add(&item), S_OK);
        ComPtr<outlook::ContactItem> contact;
        EXPECT_EQ(item.As(&contact), S_OK);
        EXPECT_EQ(contact->put_FullName(full_name), S_OK);
        EXPECT_EQ(contact->put_Email1Address(email), S_OK);
        return contact;
    }

    // The item at `index` (from 1) of `folder` as `T`.
    template <class T>
    ComPtr<T> ItemAt(outlook::MAPIFolder* folder, std::int32_t index = 1) {
        ComPtr<outlook::IDispatch> item;
        EXPECT_EQ(ItemsOf(folder)->Item(index, &item), S_OK);
        ComPtr<T> typed;
        EXPECT_EQ(item.As(&typed), S_OK);
        return typed;
    }
    ComPtr<outlook::AppointmentItem> FirstAppointment() {
        return ItemAt<outlook::AppointmentItem>(Folder(outlook::olFolderCalendar).get());
    }

    static std::string Text(const DateTime& date) { return date.Format("%Y-%m-%d %H:%M:%S"); }

    testing_support::TempHome home_;
    ComPtr<host::ApplicationObject> app_;
    ComPtr<outlook::NameSpace> ns_;
};

}  // namespace host_test
