#include <gtest/gtest.h>

#include <regex>

#include "contact_test_support.h"
#include "contacts/outlook_contact.h"
#include "contacts/outlook_groups_manager.h"
#include "outlook/user_properties.h"
#include "outlook/user_property.h"
#include "platform/file_system.h"
#include "settings/addin_exception.h"
#include "unit/contacts/card_rows.h"

namespace {

using contacts_test::CardRow;
using contacts_test::ErrorOf;
using contacts_test::Fields;
using contacts_test::ScopedTimeZone;
using outlook::ComPtr;

// REV is the time of the last save, which the store sets: masked here, checked by its own test.
std::string MaskRevision(const std::string& card) {
    return std::regex_replace(card, std::regex("\r\nREV:[0-9]{8}T[0-9]{6}Z\r\n"), "\r\nREV:-\r\n");
}

class VCardWriter : public ::testing::Test {
  protected:
    ScopedTimeZone zone_{"UTC"};
    testing_support::HostOutlook outlook_;
};

TEST_F(VCardWriter, EmptyContactWritesTheFixedLinesOnly) {
    COutlookGroupsManager groups(outlook_.contacts);
    EXPECT_EQ(
        MaskRevision(COutlookContact(&groups, outlook_.AddContact({}), false, nullptr).GetVCard("DEFAULT")),
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:\r\nN:;;;;\r\nADR;TYPE=home:;;;;;;\r\n"
        "ADR;TYPE=work:;;;;;;\r\nREV:-\r\nUID:DEFAULT\r\nEND:VCARD\r\n");
    COutlookContact none(nullptr, nullptr, false, nullptr);
    EXPECT_EQ(none.GetVCard("U"), "");
}

TEST_F(VCardWriter, FullContactReadsAndWritesAsTheGoldenFile) {
    std::string golden;
    ASSERT_EQ(platform::ReadWholeFile(VELSYNC_CONTACTS_DATA "/writer-full-contact.vcf", &golden), 0);
    auto contact = outlook_.AddContact({});
    COutlookGroupsManager groups(outlook_.contacts);
    COutlookContact reader(&groups, contact, false, nullptr);
    reader.SetVCard(golden);
    reader.SaveOutlookContact();
    const std::string id = testing_support::HostOutlook::EntryId(contact.get());
    const Fields expected = {{"FullName", "Ann Lee"},
                             {"Email3Address", "ann@other.example"},
                             {"HomeAddressPostalCode", "62701"},
                             {"MobileTelephoneNumber", "+1 555 0102"},
                             {"OfficeLocation", "Room 4"},
                             {"CompanyName", "Acme, Inc"},
                             {"BusinessFaxNumber", "+1 555 0201"},
                             {"BusinessHomePage", "http://acme.example/"},
                             {"Body", "Met at the fair;\r\ncall back"}};
    for (const auto& [key, value] : expected)
        EXPECT_EQ(outlook_.Field(id, key), value) << key;
    // Everything but the time of the save comes back as it was; the card's UID wins over the default.
    EXPECT_EQ(MaskRevision(COutlookContact(&groups, outlook_.Contact(id), false, nullptr).GetVCard("other")),
              MaskRevision(golden));
}

TEST_F(VCardWriter, RowsOfTheDataFile) {
    const std::vector<CardRow> rows = contacts_test::LoadCardRows(VELSYNC_CONTACTS_DATA "/writer-rows.txt");
    ASSERT_EQ(rows.size(), 23u);
    for (const CardRow& row : rows) {
        SCOPED_TRACE(row.name);
        auto contact = contacts_test::AddContactBefore(outlook_, row);
        COutlookGroupsManager groups(outlook_.contacts);
        COutlookContact wrapper(&groups, contact, false, nullptr);
        if (row.before.count("pref") != 0)
            wrapper.SetPreferredSlot(std::stoi(row.before.at("pref")));
        const std::string card = wrapper.GetVCard("U");
        std::string lines;
        for (const std::string& line : row.lines)
            lines += line + "\r\n";
        EXPECT_NE(card.find("\r\n" + lines), std::string::npos) << card;
        if (row.after.count("absent") != 0) {
            EXPECT_EQ(card.find(row.after.at("absent")), std::string::npos) << card;
        }
    }
}

TEST_F(VCardWriter, RevisionIsTheLastSaveInUtc) {
    ScopedTimeZone berlin("Europe/Berlin");
    const char* const format = "%Y%m%dT%H%M%SZ";
    const std::string before = platform::DateTime::NowUtc().AddSeconds(-5).Format(format);
    auto contact = outlook_.AddContact({{"FullName", "Ann"}});
    COutlookGroupsManager groups(outlook_.contacts);
    const std::string card = COutlookContact(&groups, contact, false, nullptr).GetVCard("U");
    std::smatch rev;
    ASSERT_TRUE(std::regex_search(card, rev, std::regex("\r\nREV:([0-9]{8}T[0-9]{6}Z)\r\n"))) << card;
    EXPECT_GE(rev[1].str(), before);
    EXPECT_LE(rev[1].str(), platform::DateTime::NowUtc().AddSeconds(5).Format(format));
}

TEST_F(VCardWriter, CategoriesListTheGroupsSortedAndEscaped) {
    auto contact = outlook_.AddContact({{"Email1Address", "ann@x.example"}});
    for (const char* group : {"Work", "Friends", "Smith, Jones"})
        COutlookGroupsManager(outlook_.contacts).AddContactToGroup("ann@x.example", group);
    COutlookGroupsManager groups(outlook_.contacts);
    const std::string card = COutlookContact(&groups, contact, false, nullptr).GetVCard("U");
    EXPECT_NE(card.find("\r\nCATEGORIES:Friends,Smith\\, Jones,Work\r\n"), std::string::npos) << card;
}

TEST_F(VCardWriter, PreferredSlotOfWrongTypeIsAnError) {
    // Another program stored the preference as text.
    auto contact = outlook_.AddContact({});
    ComPtr<outlook::UserProperties> properties;
    ComPtr<outlook::UserProperty> pref;
    ASSERT_EQ(contact->get_UserProperties(&properties), S_OK);
    ASSERT_EQ(properties->Add("oidPREF", outlook::olText, false, 1, &pref), S_OK);
    ASSERT_EQ(pref->put_Value(outlook::Variant(std::string("many"))), S_OK);
    ASSERT_EQ(contact->Save(), S_OK);
    COutlookGroupsManager groups(outlook_.contacts);
    auto error =
        ErrorOf([&] { static_cast<void>(COutlookContact(&groups, contact, false, nullptr).GetVCard("U")); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->GetCode(), kErrorUnknown);
}

}  // namespace
