// Outlook calendar folders over the host's store: names, the "IsShared" flag, the folder tree.
#include <gtest/gtest.h>

#include "calendar/outlook_calendar.h"
#include "outlook/status.h"
#include "support/host_outlook.h"

namespace {

using outlook::ComPtr;

class OutlookCalendar : public ::testing::Test {
  protected:
    ComPtr<outlook::MAPIFolder> AddFolder(outlook::MAPIFolder* parent, const std::string& name) {
        return outlook_.AddFolder(name, parent);
    }
    testing_support::HostOutlook outlook_;
    ComPtr<outlook::MAPIFolder> calendar_ = outlook_.calendar;
};

TEST_F(OutlookCalendar, NewNamesAreMadeUniqueAmongSiblings) {
    AddFolder(calendar_.get(), "work");
    AddFolder(calendar_.get(), "Work(1)");
    const auto root = COutlookCalendar::Create(calendar_);
    EXPECT_EQ(root->CreateCalendar("Work", "", false)->GetName(), "Work(2)");
    EXPECT_EQ(root->CreateCalendar("Home", "", false)->GetName(), "Home");
    EXPECT_EQ(root->CreateCalendar("", "", false)->GetName(), "Unknown");
    EXPECT_EQ(root->CreateCalendar("", "", false)->GetName(), "Unknown(1)");
    EXPECT_EQ(root->SubCalendars().size(), 6u);
}

TEST_F(OutlookCalendar, SharedFlagOfANewCalendarPersistsAndAMissingOneReadsFalse) {
    const auto root = COutlookCalendar::Create(calendar_);
    EXPECT_FALSE(root->IsShared());
    EXPECT_TRUE(root->CreateCalendar("Team - anna (read only)", "Anna's plans", true)->IsShared());
    const auto again = COutlookCalendar::Create(calendar_);
    ASSERT_EQ(again->SubCalendars().size(), 1u);
    EXPECT_TRUE(again->SubCalendars()[0]->IsShared());
    EXPECT_EQ(again->SubCalendars()[0]->GetDescription(), "Anna's plans");
    again->SubCalendars()[0]->SetIsShared(false);
    EXPECT_FALSE(COutlookCalendar::Create(calendar_)->SubCalendars()[0]->IsShared());
}

TEST_F(OutlookCalendar, EnumerationIsDepthFirst) {
    const auto a = AddFolder(calendar_.get(), "A");
    AddFolder(a.get(), "A1");
    AddFolder(calendar_.get(), "B");
    std::vector<std::string> names;
    for (const auto& calendar : COutlookCalendar::Create(calendar_)->EnumerateCalendars())
        names.push_back(calendar->GetName());
    ASSERT_EQ(names.size(), 4u);
    EXPECT_EQ(names[1], "A");
    EXPECT_EQ(names[2], "A1");
    EXPECT_EQ(names[3], "B");
}

TEST_F(OutlookCalendar, RenameToASiblingNameIsRefusedAndDefaultFolderIsNotDeleted) {
    AddFolder(calendar_.get(), "Taken");
    const auto root = COutlookCalendar::Create(calendar_);
    const auto other = root->CreateCalendar("Other", "", false);
    EXPECT_FALSE(other->SetName("taken"));
    EXPECT_EQ(other->GetName(), "Other");
    EXPECT_FALSE(other->SetName(""));
    EXPECT_TRUE(other->SetName("Renamed"));
    EXPECT_EQ(root->Delete(), outlook::MAPI_E_NO_SUPPORT);
    EXPECT_EQ(other->Delete(), S_OK);
    EXPECT_EQ(COutlookCalendar::Create(calendar_)->SubCalendars().size(), 1u);
}

}  // namespace
