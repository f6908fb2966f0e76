// A fixture with a fresh host store in a temporary home and its default Calendar folder, for the
// calendar tests that need Outlook.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "host/application_object.h"
#include "outlook/folder.h"
#include "outlook/namespace.h"
#include "support/temp_home.h"

class HostCalendarTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_EQ(host::ApplicationObject::Create(home_.root() + "/outlook.db", 500, &app_, &error), S_OK)
            << error;
        outlook::ComPtr<outlook::NameSpace> session;
        ASSERT_EQ(app_->get_Session(&session), S_OK);
        ASSERT_EQ(session->GetDefaultFolder(outlook::olFolderCalendar, &calendar_), S_OK);
    }

    testing_support::TempHome home_;
    outlook::ComPtr<host::ApplicationObject> app_;
    outlook::ComPtr<outlook::MAPIFolder> calendar_;
};
