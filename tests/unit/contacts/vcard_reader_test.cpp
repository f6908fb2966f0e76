#include <gtest/gtest.h>

#include "contact_test_support.h"
#include "contacts/outlook_contact.h"
#include "contacts/outlook_groups_manager.h"
#include "host/fault_hook.h"
#include "outlook/status.h"
#include "platform/text.h"
#include "settings/addin_exception.h"
#include "support/data_rows.h"
#include "unit/contacts/card_rows.h"

namespace {

using contacts_test::CardRow;
using contacts_test::ErrorOf;
using contacts_test::Fields;
using outlook::ComPtr;
using platform::DateTime;
using testing_support::HostOutlook;

class VCardReader : public ::testing::Test {
  protected:
    VCardReader() {
        contact_ = outlook_.AddContact({{"FullName", "Old Name"}, {"Email1Address", "old@x.example"}});
        id_ = HostOutlook::EntryId(contact_.get());
    }

    // Reads the text into the fixture's contact and saves it.
    void Apply(const std::string& text) {
        COutlookContact wrapper(&groups_, contact_, false, &guards_);
        wrapper.SetVCard(text);
        wrapper.SaveOutlookContact();
    }
    std::string Field(const char* name) { return outlook_.Field(id_, name); }

    testing_support::HostOutlook outlook_;
    ComPtr<outlook::ContactItem> contact_;
    std::string id_;
    COutlookGroupsManager groups_{outlook_.contacts};
    contacts_test::RecordingGuards guards_;
};

TEST_F(VCardReader, RowsOfTheDataFile) {
    const std::vector<CardRow> rows = contacts_test::LoadCardRows(VELSYNC_CONTACTS_DATA "/reader-rows.txt");
    ASSERT_EQ(rows.size(), 27u);
    for (const CardRow& row : rows) {
        SCOPED_TRACE(row.name);
        auto contact = contacts_test::AddContactBefore(outlook_, row);
        COutlookContact wrapper(&groups_, contact, false, &guards_);
        if (row.before.count("pref") != 0)
            wrapper.SetPreferredSlot(std::stoi(row.before.at("pref")));
        wrapper.SetVCard(contacts_test::CardOf(row.lines));
        wrapper.SaveOutlookContact();
        const std::string id = HostOutlook::EntryId(contact.get());
        for (const auto& [key, value] : row.after) {
            if (key == "pref") {
                EXPECT_EQ(wrapper.GetPreferredSlot(), std::stoi(value));
            } else if (key == "Birthday") {
                DateTime birthday;
                ASSERT_EQ(outlook_.Contact(id)->get_Birthday(&birthday), S_OK);
                EXPECT_EQ(birthday.Format("%Y-%m-%d"), value);
            } else {
                EXPECT_EQ(outlook_.Field(id, key), value) << key;
            }
        }
    }
}

TEST_F(VCardReader, UidIsKeptAndMissingUidLeavesIt) {
    Apply(contacts_test::CardOf({"UID:abc-1"}));
    COutlookContact wrapper(&groups_, contact_, false, nullptr);
    EXPECT_EQ(wrapper.GetUid(), "abc-1");
    Apply(contacts_test::CardOf({}));
    EXPECT_EQ(wrapper.GetUid(), "abc-1");
}

TEST_F(VCardReader, HostileTextIsReadAsFarAsItGoes) {
    auto rows = testing_support::ReadDataRows(VELSYNC_TEST_DATA "/contacts/hostile-card-rows.txt", 2);
    rows.push_back(
        {"huge photo", "BEGIN:VCARD\r\nPHOTO;ENCODING=b:" + std::string(4 << 20, 'A') + "\r\nNOTE:kept\r\n"});
    for (const auto& row : rows) {
        SCOPED_TRACE(row[0]);
        Apply(row[1]);
        EXPECT_EQ(Field("Body"), "kept");
        EXPECT_EQ(platform::SanitizeUtf8(Field("FullName")), Field("FullName"));
        outlook_.Edit(contact_.get(), {{"Body", ""}});
    }
}

TEST_F(VCardReader, SaveAndDeleteAreOwnChangesAndDeleteLeavesGroups) {
    Apply(contacts_test::CardOf({"EMAIL;TYPE=home:ann@x.example", "CATEGORIES:Friends"}));
    EXPECT_EQ(guards_.calls, "own(" + id_ + ");clear;");
    ASSERT_EQ(outlook_.Lists().count("Friends"), 1u);
    guards_.calls.clear();
    COutlookContact(&groups_, contact_, false, &guards_).DeleteOutlookContact();
    EXPECT_EQ(Field("FullName"), "<gone>");
    EXPECT_TRUE(outlook_.Lists().empty());
    EXPECT_EQ(guards_.calls, "own(" + id_ + ");clear;");
}

TEST_F(VCardReader, FailedSaveIsAnErrorOfTheContactAndJoinsNoGroup) {
    host::SetFault("OutlookItem.Save", outlook::MAPI_E_USER_CANCEL, 1);
    COutlookContact wrapper(&groups_, contact_, false, &guards_);
    wrapper.SetVCard(contacts_test::CardOf({"FN:New", "CATEGORIES:Friends"}));
    auto error = ErrorOf([&] { wrapper.SaveOutlookContact(); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->GetCode(), kErrorUnknown);
    EXPECT_EQ(guards_.calls, "own(" + id_ + ");clear;");
    EXPECT_TRUE(outlook_.Lists().empty());
    EXPECT_EQ(Field("FullName"), "Old Name");
}

}  // namespace
