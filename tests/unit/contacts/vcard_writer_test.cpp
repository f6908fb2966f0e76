#include <gtest/gtest.h>

#include <regex>

#include "contact_test_support.h"
#include "contacts/outlook_contact.h"
#include "contacts/outlook_groups_manager.h"
#include "outlook/user_properties.h"
#include "outlook/user_property.h"
#include "platform/file_system.h"
#include "settings/addin_exception.h"
#include "unit/contacts/host_outlook.h"

namespace {

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
    std::string Write(const Fields& fields = {}, const std::string& default_uid = "DEFAULT", int pref = -1) {
        auto contact = outlook_.AddContact(fields);
        COutlookGroupsManager groups(outlook_.contacts);
        COutlookContact wrapper(&groups, contact, false, nullptr);
        if (pref >= 0)
            wrapper.SetPreferredSlot(pref);
        return MaskRevision(wrapper.GetVCard(default_uid));
    }

    ScopedTimeZone zone_{"UTC"};
    contacts_test::HostOutlook outlook_;
};

TEST_F(VCardWriter, EmptyContactWritesTheFixedLinesOnly) {
    EXPECT_EQ(Write(),
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
    const std::string id = contacts_test::HostOutlook::EntryId(contact.get());
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

TEST_F(VCardWriter, LinesForFields) {
    const std::string long_address = std::string(90, 'a') + "@x.example";  // 100 characters
    // 69 ASCII characters put the emoji's two code units across the first cut (75 - 5 = 70).
    const std::string note = std::string(69, 'n') + "\xF0\x9F\x98\x80" + std::string(160, 'm');
    const struct {
        const char* name;
        Fields fields;
        std::string line;
    } rows[] = {
        {"lone CR", {{"Body", "a\rb"}}, "NOTE:a\\nb"},
        {"title escapes", {{"JobTitle", "Head, \\Ops"}}, "TITLE:Head\\, \\\\Ops"},
        {"company only", {{"CompanyName", "Acme"}}, "ORG:Acme"},
        {"department only", {{"Department", "Sales"}}, "ORG:;Sales"},
        // The reader trims each line, so blanks ending a line would change the contact on the way back.
        {"blanks end FN", {{"FullName", "Ann \t "}}, "FN:Ann"},
        {"blanks end ORG", {{"CompanyName", "Acme "}, {"Department", "Sales\t"}}, "ORG:Acme ;Sales"},
        {"blanks end ADR", {{"HomeAddressCountry", "USA  "}}, "ADR;TYPE=home:;;;;;;USA"},
        {"blanks inside ADR", {{"BusinessAddressStreet", "2 Side St "}}, "ADR;TYPE=work:;;2 Side St ;;;;"},
        {"FN from full name", {{"FullName", "Ann"}, {"FileAs", "Lee, Ann"}}, "FN:Ann\r\nN:;;;;"},
        {"FN from file as", {{"FileAs", "Lee, Ann"}, {"CompanyName", "Acme"}}, "FN:Lee\\, Ann\r\nN:;;;;"},
        {"FN from company", {{"CompanyName", "Acme"}, {"Email2Address", "b@x.example"}}, "FN:Acme\r\nN:;;;;"},
        {"FN from second address", {{"Email2Address", "b@x.example"}}, "FN:b@x.example\r\nN:;;;;"},
        {"fold after prefix",
         {{"Email1Address", long_address}},
         "EMAIL;TYPE=internet;TYPE=home:" + long_address.substr(0, 45) + "\r\n\t" + long_address.substr(45)},
        {"fold keeps surrogate pair",
         {{"Body", note}},
         "NOTE:" + std::string(69, 'n') + "\r\n\t\xF0\x9F\x98\x80" + std::string(73, 'm') + "\r\n\t" +
             std::string(75, 'm') + "\r\n\t" + std::string(12, 'm')},
        {"fold per component",
         {{"HomeAddressStreet", std::string(70, 's')}},
         "ADR;TYPE=home:;;" + std::string(61, 's') + "\r\n\t" + std::string(9, 's') + ";;;;"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string card = Write(row.fields);
        EXPECT_NE(card.find("\r\n" + row.line + "\r\n"), std::string::npos) << card;
    }
}

TEST_F(VCardWriter, PreferredSlotMarksOnlyThatAddress) {
    const Fields three = {
        {"Email1Address", "a@x.example"}, {"Email2Address", "b@x.example"}, {"Email3Address", "c@x.example"}};
    const std::string lines[] = {"EMAIL;TYPE=internet;TYPE=home", "EMAIL;TYPE=internet;TYPE=work",
                                 "EMAIL;TYPE=OTHER"};
    for (int pref : {0, 1, 2, 3, 7}) {
        const std::string card = Write(three, "U", pref);
        for (int slot = 1; slot <= 3; ++slot)
            EXPECT_NE(card.find(lines[slot - 1] + (pref == slot ? ",PREF:" : ":")), std::string::npos)
                << pref << "\n"
                << card;
    }
    // A preferred slot without an address writes neither the line nor PREF.
    const std::string card = Write({{"Email2Address", "b@x.example"}}, "U", 1);
    EXPECT_EQ(card.find("PREF"), std::string::npos) << card;
    EXPECT_EQ(card.find(lines[0]), std::string::npos) << card;
}

TEST_F(VCardWriter, BirthdayIsWrittenUnlessOutlooksEmptyDate) {
    auto contact = outlook_.AddContact({});
    COutlookGroupsManager groups(outlook_.contacts);
    COutlookContact wrapper(&groups, contact, false, nullptr);
    EXPECT_EQ(wrapper.GetVCard("U").find("BDAY"), std::string::npos);
    ASSERT_EQ(contact->put_Birthday(platform::DateTime::FromParts(4500, 12, 31)), S_OK);
    EXPECT_NE(wrapper.GetVCard("U").find("\r\nBDAY:4500-12-31\r\n"), std::string::npos);
    ASSERT_EQ(contact->put_Birthday(platform::DateTime::FromParts(4501, 1, 1)), S_OK);
    EXPECT_EQ(wrapper.GetVCard("U").find("BDAY"), std::string::npos);
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
