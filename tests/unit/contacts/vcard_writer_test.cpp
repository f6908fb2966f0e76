#include <gtest/gtest.h>

#include "contact_test_support.h"
#include "contacts/outlook_contact.h"
#include "contacts/outlook_groups_manager.h"
#include "settings/addin_exception.h"
#include "unit/contacts/fake_outlook.h"

namespace {

using contacts_test::ScopedTimeZone;
using outlook::ComPtr;

class VCardWriter : public ::testing::Test {
  protected:
    VCardWriter() : zone_("UTC") {
        contact_ = store_.contacts->AddContact("", "");
        contact_->modified = platform::DateTime::FromParts(2024, 3, 5, 14, 28, 0);
    }

    std::string Write(const std::string& default_uid = "DEFAULT") {
        COutlookGroupsManager groups(store_.contacts);
        COutlookContact wrapper(&groups, contact_, false, nullptr);
        return wrapper.GetVCard(default_uid);
    }

    ScopedTimeZone zone_;
    fake::FakeStore store_;
    ComPtr<fake::FakeContact> contact_;
};

constexpr const char* kEmptyCard =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:\r\nN:;;;;\r\nADR;TYPE=home:;;;;;;\r\nADR;TYPE=work:;;;;;;\r\n"
    "REV:20240305T142800Z\r\nUID:DEFAULT\r\nEND:VCARD\r\n";

TEST_F(VCardWriter, EmptyContactWritesTheFixedLinesOnly) {
    EXPECT_EQ(Write(), kEmptyCard);
}

TEST_F(VCardWriter, FullContactMatchesGoldenFile) {
    auto& f = contact_->fields;
    f["FullName"] = "Ann Lee";
    f["Email1Address"] = "ann@home.example";
    f["Email2Address"] = "ann@work.example";
    f["Email3Address"] = "ann@other.example";
    f["HomeAddressStreet"] = "1 Main St";
    f["HomeAddressCity"] = "Springfield";
    f["HomeAddressState"] = "IL";
    f["HomeAddressPostalCode"] = "62701";
    f["HomeAddressCountry"] = "USA";
    f["HomeTelephoneNumber"] = "+1 555 0100";
    f["HomeFaxNumber"] = "+1 555 0101";
    f["MobileTelephoneNumber"] = "+1 555 0102";
    f["PersonalHomePage"] = "http://ann.example/";
    f["OfficeLocation"] = "Room 4";
    f["BusinessAddressStreet"] = "2 Side St";
    f["BusinessAddressCity"] = "Shelbyville";
    f["BusinessAddressState"] = "IL";
    f["BusinessAddressPostalCode"] = "62565";
    f["BusinessAddressCountry"] = "USA";
    f["CompanyName"] = "Acme, Inc";
    f["Department"] = "Sales";
    f["JobTitle"] = "Manager";
    f["BusinessTelephoneNumber"] = "+1 555 0200";
    f["BusinessFaxNumber"] = "+1 555 0201";
    f["BusinessHomePage"] = "http://acme.example/";
    contact_->body = "Met at the fair;\r\ncall back";
    contact_->birthday = platform::DateTime::FromParts(1985, 3, 7);
    EXPECT_EQ(Write("ABC123"), contacts_test::ReadData("writer-full-contact.vcf"));
}

TEST_F(VCardWriter, PreferredSlotMarksOnlyThatAddress) {
    contact_->fields["Email1Address"] = "a@x.example";
    contact_->fields["Email2Address"] = "b@x.example";
    contact_->fields["Email3Address"] = "c@x.example";
    struct Row {
        int pref;
        const char* home;
        const char* work;
        const char* other;
    } rows[] = {
        {0, "EMAIL;TYPE=internet;TYPE=home:", "EMAIL;TYPE=internet;TYPE=work:", "EMAIL;TYPE=OTHER:"},
        {1, "EMAIL;TYPE=internet;TYPE=home,PREF:", "EMAIL;TYPE=internet;TYPE=work:", "EMAIL;TYPE=OTHER:"},
        {2, "EMAIL;TYPE=internet;TYPE=home:", "EMAIL;TYPE=internet;TYPE=work,PREF:", "EMAIL;TYPE=OTHER:"},
        {3, "EMAIL;TYPE=internet;TYPE=home:", "EMAIL;TYPE=internet;TYPE=work:", "EMAIL;TYPE=OTHER,PREF:"},
        {7, "EMAIL;TYPE=internet;TYPE=home:", "EMAIL;TYPE=internet;TYPE=work:", "EMAIL;TYPE=OTHER:"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.pref);
        COutlookGroupsManager groups(store_.contacts);
        COutlookContact wrapper(&groups, contact_, false, nullptr);
        wrapper.SetPreferredSlot(row.pref);
        const std::string card = wrapper.GetVCard("U");
        EXPECT_NE(card.find(std::string("\r\n") + row.home + "a@x.example\r\n"), std::string::npos) << card;
        EXPECT_NE(card.find(std::string("\r\n") + row.work + "b@x.example\r\n"), std::string::npos) << card;
        EXPECT_NE(card.find(std::string("\r\n") + row.other + "c@x.example\r\n"), std::string::npos) << card;
    }
}

TEST_F(VCardWriter, PreferredEmptySlotWritesNothing) {
    contact_->fields["Email2Address"] = "b@x.example";
    COutlookGroupsManager groups(store_.contacts);
    COutlookContact wrapper(&groups, contact_, false, nullptr);
    wrapper.SetPreferredSlot(1);
    const std::string card = wrapper.GetVCard("U");
    EXPECT_EQ(card.find("PREF"), std::string::npos);
    EXPECT_EQ(card.find("TYPE=home:"), card.find("ADR;TYPE=home:") + 4);
}

TEST_F(VCardWriter, LongHomeAddressFoldsAfterPrefixAndEvery75Units) {
    const std::string address = std::string(90, 'a') + "@x.example";  // 100 characters
    contact_->fields["Email1Address"] = address;
    const std::string card = Write();
    const std::string expected =
        "\r\nEMAIL;TYPE=internet;TYPE=home:" + address.substr(0, 45) + "\r\n\t" + address.substr(45) + "\r\n";
    EXPECT_NE(card.find(expected), std::string::npos) << card;
}

TEST_F(VCardWriter, LongNoteFoldsEvery75UnitsAndNeverSplitsASurrogatePair) {
    // 69 ASCII characters put the emoji's two code units across the first cut (75 - 5 = 70).
    const std::string note = std::string(69, 'n') + "\xF0\x9F\x98\x80" + std::string(160, 'm');
    contact_->body = note;
    const std::string card = Write();
    const std::string expected = "\r\nNOTE:" + std::string(69, 'n') + "\r\n\t\xF0\x9F\x98\x80" +
                                 std::string(73, 'm') + "\r\n\t" + std::string(75, 'm') + "\r\n\t" +
                                 std::string(12, 'm') + "\r\n";
    EXPECT_NE(card.find(expected), std::string::npos) << card;
}

TEST_F(VCardWriter, StructuredComponentsFoldEachByItself) {
    contact_->fields["HomeAddressStreet"] = std::string(70, 's');
    const std::string card = Write();
    EXPECT_NE(card.find("\r\nADR;TYPE=home:;;" + std::string(61, 's') + "\r\n\t" + std::string(9, 's') +
                        ";;;;\r\n"),
              std::string::npos)
        << card;
}

TEST_F(VCardWriter, EscapesTextValues) {
    contact_->body = "a;b\r\nc";
    contact_->fields["Department"] = "Sales";
    contact_->fields["JobTitle"] = "Head, \\Ops";
    const std::string card = Write();
    EXPECT_NE(card.find("\r\nNOTE:a\\;b\\nc\r\n"), std::string::npos) << card;
    EXPECT_NE(card.find("\r\nORG:;Sales\r\n"), std::string::npos) << card;
    EXPECT_NE(card.find("\r\nTITLE:Head\\, \\\\Ops\r\n"), std::string::npos) << card;
}

TEST_F(VCardWriter, LoneCarriageReturnIsEscapedToo) {
    contact_->body = "a\rb";
    EXPECT_NE(Write().find("\r\nNOTE:a\\nb\r\n"), std::string::npos);
}

TEST_F(VCardWriter, CompanyWithoutDepartmentIsOneComponent) {
    contact_->fields["CompanyName"] = "Acme";
    const std::string card = Write();
    EXPECT_NE(card.find("\r\nORG:Acme\r\n"), std::string::npos) << card;
}

// The reader trims each line, so blanks ending a line would change the contact on the way back.
TEST_F(VCardWriter, BlanksEndingALineAreLeftOutBlanksInsideAreKept) {
    auto& f = contact_->fields;
    f["FullName"] = "Ann \t ";
    f["CompanyName"] = "Acme ";
    f["Department"] = "Sales\t";
    f["HomeAddressCountry"] = "USA  ";
    f["BusinessAddressStreet"] = "2 Side St ";
    const std::string card = Write();
    EXPECT_NE(card.find("\r\nFN:Ann\r\n"), std::string::npos) << card;
    EXPECT_NE(card.find("\r\nORG:Acme ;Sales\r\n"), std::string::npos) << card;
    EXPECT_NE(card.find("\r\nADR;TYPE=home:;;;;;;USA\r\n"), std::string::npos) << card;
    EXPECT_NE(card.find("\r\nADR;TYPE=work:;;2 Side St ;;;;\r\n"), std::string::npos) << card;
}

TEST_F(VCardWriter, FullNameFallsBackToFileAsCompanyAndAddress) {
    struct Row {
        const char* name;
        std::map<std::string, std::string> fields;
        const char* fn;
    } rows[] = {
        {"full name", {{"FullName", "Ann"}, {"FileAs", "Lee, Ann"}}, "FN:Ann\r\n"},
        {"file as", {{"FileAs", "Lee, Ann"}, {"CompanyName", "Acme"}}, "FN:Lee\\, Ann\r\n"},
        {"company", {{"CompanyName", "Acme"}, {"Email2Address", "b@x.example"}}, "FN:Acme\r\n"},
        {"second address", {{"Email2Address", "b@x.example"}}, "FN:b@x.example\r\n"},
        {"nothing", {}, "FN:\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        contact_->fields = row.fields;
        const std::string card = Write();
        EXPECT_NE(card.find(std::string("\r\n") + row.fn + "N:;;;;\r\n"), std::string::npos) << card;
    }
}

TEST_F(VCardWriter, BirthdayIsWrittenUnlessOutlooksEmptyDate) {
    contact_->birthday = platform::DateTime::FromParts(4501, 1, 1);
    EXPECT_EQ(Write().find("BDAY"), std::string::npos);
    contact_->birthday = platform::DateTime::FromParts(4500, 12, 31);
    EXPECT_NE(Write().find("\r\nBDAY:4500-12-31\r\n"), std::string::npos);
}

TEST_F(VCardWriter, RevisionIsModificationTimeInUtc) {
    ScopedTimeZone berlin("Europe/Berlin");
    contact_->modified = platform::DateTime::FromParts(2024, 7, 1, 12, 0, 0);
    EXPECT_NE(Write().find("\r\nREV:20240701T100000Z\r\n"), std::string::npos);
}

TEST_F(VCardWriter, CategoriesListTheGroupsSortedAndEscaped) {
    contact_->fields["Email1Address"] = "ann@x.example";
    for (const char* group : {"Work", "Friends", "Smith, Jones"}) {
        COutlookGroupsManager setup(store_.contacts);
        setup.AddContactToGroup("ann@x.example", group);
    }
    EXPECT_NE(Write().find("\r\nCATEGORIES:Friends,Smith\\, Jones,Work\r\n"), std::string::npos) << Write();
}

TEST_F(VCardWriter, UidPropertyWinsOverDefault) {
    COutlookGroupsManager groups(store_.contacts);
    COutlookContact wrapper(&groups, contact_, false, nullptr);
    wrapper.SetUid("server-uid-1");
    const std::string card = wrapper.GetVCard("DEFAULT");
    EXPECT_NE(card.find("\r\nUID:server-uid-1\r\n"), std::string::npos) << card;
}

TEST_F(VCardWriter, NoItemWritesNothing) {
    COutlookContact wrapper(nullptr, nullptr, false, nullptr);
    EXPECT_EQ(wrapper.GetVCard("U"), "");
}

TEST_F(VCardWriter, PreferredSlotOfWrongTypeIsAnError) {
    COutlookGroupsManager groups(store_.contacts);
    COutlookContact wrapper(&groups, contact_, false, nullptr);
    contact_->properties->FindFake("oidPREF")->ForceValue(outlook::Variant(std::string("many")));
    try {
        static_cast<void>(wrapper.GetVCard("U"));
        FAIL() << "no exception";
    } catch (const CAddinException& error) {
        EXPECT_EQ(error.GetCode(), kErrorUnknown);
    }
}

TEST_F(VCardWriter, NewContactIsMarkedAllowCreate) {
    COutlookGroupsManager groups(store_.contacts);
    COutlookContact wrapper(&groups, contact_, true, nullptr);
    outlook::Variant value;
    ASSERT_NE(contact_->properties->FindFake("AllowCreate"), nullptr);
    ASSERT_EQ(contact_->properties->FindFake("AllowCreate")->get_Value(&value), S_OK);
    EXPECT_EQ(value, outlook::Variant(true));
}

}  // namespace
