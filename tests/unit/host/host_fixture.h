// A fresh store in a temporary home, opened as one application, with helpers for common steps.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

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
#include "support/temp_home.h"

namespace host_test {

using outlook::ComPtr;
using platform::DateTime;

// Sets TZ for one test and restores it afterwards.
class ScopedTimeZone {
  public:
    explicit ScopedTimeZone(const char* zone) {
        const char* old = std::getenv("TZ");
        had_ = old != nullptr;
        if (had_) {
            saved_ = old;
        }
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTimeZone() {
        if (had_) {
            setenv("TZ", saved_.c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

  private:
    bool had_ = false;
    std::string saved_;
};

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

    std::int32_t CountOf(outlook::MAPIFolder* folder) {
        std::int32_t count = -1;
        EXPECT_EQ(ItemsOf(folder)->get_Count(&count), S_OK);
        return count;
    }

    // A new appointment in `folder` (Calendar when null), not saved.
    ComPtr<outlook::AppointmentItem> NewAppointment(const std::string& subject, const DateTime& start,
                                                    const DateTime& end,
                                                    outlook::MAPIFolder* folder = nullptr) {
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

    // The first item of `folder` as `T`.
    template <class T>
    ComPtr<T> FirstItem(outlook::MAPIFolder* folder) {
        ComPtr<outlook::IDispatch> item;
        EXPECT_EQ(ItemsOf(folder)->Item(1, &item), S_OK);
        ComPtr<T> typed;
        EXPECT_EQ(item.As(&typed), S_OK);
        return typed;
    }

    static std::string Text(const DateTime& date) { return date.Format("%Y-%m-%d %H:%M:%S"); }

    testing_support::TempHome home_;
    ComPtr<host::ApplicationObject> app_;
    ComPtr<outlook::NameSpace> ns_;
};

}  // namespace host_test
