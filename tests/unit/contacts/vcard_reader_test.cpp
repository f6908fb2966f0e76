#include <gtest/gtest.h>

#include "contact_test_support.h"
#include "contacts/outlook_contact.h"
#include "contacts/outlook_groups_manager.h"
#include "host/fault_hook.h"
#include "outlook/status.h"
#include "platform/text.h"
#include "settings/addin_exception.h"
#include "unit/contacts/host_outlook.h"

namespace {

using contacts_test::ErrorOf;
using contacts_test::Fields;
using contacts_test::HostOutlook;
using outlook::ComPtr;
using platform::DateTime;

std::string Card(const std::vector<const char*>& lines) {
    std::string text = "BEGIN:VCARD\r\nVERSION:3.0\r\n";
    for (const char* line : lines)
        text += std::string(line) + "\r\n";
    return text + "END:VCARD\r\n";
}

class VCardReader : public ::testing::Test {
  protected:
    VCardReader() {
        contact_ = outlook_.AddContact({{"FullName", "Old Name"}, {"Email1Address", "old@x.example"}});
        id_ = HostOutlook::EntryId(contact_.get());
    }

    // Reads the text into the contact (by default the fixture's) and saves it; the preferred slot after.
    int Apply(const std::string& text, const ComPtr<outlook::ContactItem>& contact = nullptr) {
        COutlookContact wrapper(&groups_, contact ? contact : contact_, false, &guards_);
        wrapper.SetVCard(text);
        wrapper.SaveOutlookContact();
        return wrapper.GetPreferredSlot();
    }
    std::string Field(const char* name) { return outlook_.Field(id_, name); }
    double Birthday() {
        DateTime value;
        EXPECT_EQ(outlook_.Contact(id_)->get_Birthday(&value), S_OK);
        return value.value();
    }

    contacts_test::HostOutlook outlook_;
    ComPtr<outlook::ContactItem> contact_;
    std::string id_;
    COutlookGroupsManager groups_{outlook_.contacts};
    contacts_test::RecordingGuards guards_;
};

TEST_F(VCardReader, HomeEmailSetsPreferredSlotOnlyForUpperCasePref) {
    EXPECT_EQ(Apply(Card({"EMAIL;TYPE=INTERNET;TYPE=HOME;TYPE=pref:a@x.example"})), 0);
    EXPECT_EQ(Field("Email1Address"), "a@x.example");
    EXPECT_EQ(Apply(Card({"EMAIL;TYPE=INTERNET,HOME,PREF:a@x.example"})), 1);
    // Never reset by a card without preference.
    EXPECT_EQ(Apply(Card({"EMAIL;TYPE=HOME:a@x.example"})), 1);
    // The last preferred address wins.
    EXPECT_EQ(Apply(Card({"EMAIL;TYPE=home,PREF:a@x.example", "EMAIL;TYPE=work,PREF:b@x.example"})), 2);
    EXPECT_EQ(Field("Email2Address"), "b@x.example");
}

TEST_F(VCardReader, FieldsFromCard) {
    const struct {
        const char* name;
        Fields before;
        std::vector<const char*> lines;
        Fields after;
        int pref = -1;  // -1: not checked
    } rows[] = {
        {"untyped address takes the first slot",
         {{"Email3Address", "three@x.example"}},
         {"EMAIL:plain@x.example"},
         {{"Email1Address", "plain@x.example"}, {"Email2Address", ""}, {"Email3Address", "three@x.example"}}},
        {"untyped addresses fill the slots typed ones leave",
         {},
         {"EMAIL;TYPE=INTERNET:first@x.example", "EMAIL;TYPE=work:work@x.example",
          "EMAIL;TYPE=INTERNET,PREF:second@x.example", "EMAIL:third@x.example"},
         {{"Email1Address", "first@x.example"},
          {"Email2Address", "work@x.example"},
          {"Email3Address", "second@x.example"}},
         3},
        {"OTHER.EMAIL",
         {},
         {"OTHER.EMAIL;TYPE=PREF:o@x.example"},
         {{"Email3Address", "o@x.example"}, {"Email1Address", ""}},
         3},
        {"typed OTHER", {}, {"EMAIL;TYPE=OTHER:t@x.example"}, {{"Email3Address", "t@x.example"}}, 0},
        {"label",
         {},
         {"item2.EMAIL;TYPE=INTERNET:l@x.example", "item2.X-ABLABEL:_$!<Other>!$_"},
         {{"Email3Address", "l@x.example"}, {"Email1Address", ""}},
         0},
        {"label pref",
         {},
         {"item2.EMAIL;TYPE=INTERNET,pref:m@x.example", "item2.X-ABLABEL:other"},
         {{"Email3Address", "m@x.example"}},
         3},
        {"short address leaves the missing parts",
         {{"HomeAddressState", "IL"}, {"HomeAddressCountry", "USA"}},
         {"ADR;TYPE=HOME:;;Main St 1;Springfield"},
         {{"HomeAddressStreet", "Main St 1"},
          {"HomeAddressCity", "Springfield"},
          {"HomeAddressState", "IL"},
          {"HomeAddressCountry", "USA"}}},
        {"cleared work address keeps the office",
         {{"OfficeLocation", "Room 4"}, {"BusinessAddressCity", "Old"}},
         {},
         {{"OfficeLocation", "Room 4"}, {"BusinessAddressCity", ""}}},
        {"work address",
         {},
         {"ADR;TYPE=work:;Room 5;2 Side St\\; Unit 3;Shelbyville;IL;62565;USA"},
         {{"OfficeLocation", "Room 5"},
          {"BusinessAddressStreet", "2 Side St; Unit 3"},
          {"BusinessAddressCountry", "USA"}}},
        {"N gives the name parts, a short one clears those it lacks",
         {},
         {"FN:Dr. Jane Q. Doe Jr.", "N:Doe;Jane"},
         {{"LastName", "Doe"}, {"FirstName", "Jane"}, {"MiddleName", ""}, {"Title", ""}, {"Suffix", ""}}},
        {"company alone keeps the department",
         {{"Department", "Kept"}},
         {"ORG:Acme\\;Inc"},
         {{"CompanyName", "Acme;Inc"}, {"Department", "Kept"}}},
        {"no ORG clears both",
         {{"CompanyName", "Acme"}, {"Department", "Sales"}},
         {},
         {{"CompanyName", ""}, {"Department", ""}}},
        {"telephones fill the first free slot of their kind",
         {{"OtherTelephoneNumber", "old"}},
         {"TEL;TYPE=CELL:1", "TEL;TYPE=CELL:2", "TEL;TYPE=HOME,VOICE,PREF:3", "TEL;TYPE=HOME:4",
          "TEL;TYPE=work;TYPE=fax:5", "TEL;TYPE=VOICE,WORK:6", "TEL;TYPE=home;TYPE=fax:7", "TEL;TYPE=CELL:8",
          "TEL;TYPE=PAGER:9"},
         {{"MobileTelephoneNumber", "1"},
          {"OtherTelephoneNumber", "2"},
          {"HomeTelephoneNumber", "3"},
          {"Home2TelephoneNumber", "4"},
          {"BusinessFaxNumber", "5"},
          {"BusinessTelephoneNumber", "6"},
          {"Business2TelephoneNumber", ""},
          {"HomeFaxNumber", "7"}}},
        {"vCard 2.1 bare types",
         {},
         {"TEL;HOME;VOICE:1", "TEL;WORK;FAX:2", "TEL;CELL:3", "EMAIL;INTERNET;WORK:w@x.example"},
         {{"HomeTelephoneNumber", "1"},
          {"BusinessFaxNumber", "2"},
          {"MobileTelephoneNumber", "3"},
          {"Email2Address", "w@x.example"}}},
        {"folded note",
         {},
         {"NOTE:first part \\, with comma\\nsecond\r\n\t line and \\\\n literal"},
         {{"Body", "first part , with comma\r\nsecond line and \\n literal"}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto contact = outlook_.AddContact(row.before);
        const int pref = Apply(Card(row.lines), contact);
        for (const auto& [key, value] : row.after)
            EXPECT_EQ(outlook_.Field(HostOutlook::EntryId(contact.get()), key), value) << key;
        if (row.pref >= 0) {
            EXPECT_EQ(pref, row.pref);
        }
    }
}

TEST_F(VCardReader, BirthdayForms) {
    const double unset = DateTime::FromParts(4501, 1, 1).value();
    const double before = DateTime::FromParts(2000, 1, 1).value();
    const struct {
        const char* line;
        double expected;
    } rows[] = {
        {"BDAY:1985-03-07", DateTime::FromParts(1985, 3, 7).value()},
        {"BDAY:85-03-07", DateTime::FromParts(1985, 3, 7).value()},
        {"BDAY:2001-02-30", unset},
        {"BDAY:1990-05-06T00:00:00Z", DateTime::FromParts(1990, 5, 6).value()},
        {"BDAY:19850307", DateTime::FromParts(1985, 3, 7).value()},
        {"BDAY:--0229", DateTime::FromParts(1604, 2, 29).value()},
        {"BDAY;VALUE=text:circa 1800", before},  // not a date: the birthday stays
        {"NOTE:no birthday", unset},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        ASSERT_EQ(contact_->put_Birthday(DateTime::FromParts(2000, 1, 1)), S_OK);
        Apply(Card({row.line}));
        EXPECT_EQ(Birthday(), row.expected);
    }
}

TEST_F(VCardReader, UidIsKeptAndMissingUidLeavesIt) {
    Apply(Card({"UID:abc-1"}));
    COutlookContact wrapper(&groups_, contact_, false, nullptr);
    EXPECT_EQ(wrapper.GetUid(), "abc-1");
    Apply(Card({}));
    EXPECT_EQ(wrapper.GetUid(), "abc-1");
}

TEST_F(VCardReader, HostileTextIsReadAsFarAsItGoes) {
    const struct {
        const char* name;
        std::string text;
    } rows[] = {
        {"no colon", "BEGIN:VCARD\r\nFN Ann\r\nNOTE:kept\r\nEND:VCARD\r\n"},
        {"invalid UTF-8", "BEGIN:VCARD\r\nFN:\xC3\x28\xFF\r\nNOTE:kept\r\nEND:VCARD\r\n"},
        {"vCard 2.1", "BEGIN:VCARD\r\nVERSION:2.1\r\nTEL;HOME;VOICE:1\r\nNOTE:kept\r\nEND:VCARD\r\n"},
        {"vCard 4.0",
         "BEGIN:VCARD\r\nVERSION:4.0\r\nEMAIL;TYPE=home;PREF=1:a@x\r\nNOTE:kept\r\nEND:VCARD\r\n"},
        {"huge photo", "BEGIN:VCARD\r\nPHOTO;ENCODING=b:" + std::string(4 << 20, 'A') + "\r\nNOTE:kept\r\n"},
        {"lone LF and blank lines", "BEGIN:VCARD\n\n\nNOTE:kept\n \t\nEND:VCARD"},
        {"only folds", "\t\r\n \r\nNOTE:kept"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Apply(row.text);
        EXPECT_EQ(Field("Body"), "kept");
        EXPECT_EQ(platform::SanitizeUtf8(Field("FullName")), Field("FullName"));
        outlook_.Edit(contact_.get(), {{"Body", ""}});
    }
}

TEST_F(VCardReader, SaveAndDeleteAreOwnChangesAndDeleteLeavesGroups) {
    Apply(Card({"EMAIL;TYPE=home:ann@x.example", "CATEGORIES:Friends"}));
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
    wrapper.SetVCard(Card({"FN:New", "CATEGORIES:Friends"}));
    auto error = ErrorOf([&] { wrapper.SaveOutlookContact(); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->GetCode(), kErrorUnknown);
    EXPECT_EQ(guards_.calls, "own(" + id_ + ");clear;");
    EXPECT_TRUE(outlook_.Lists().empty());
    EXPECT_EQ(Field("FullName"), "Old Name");
}

}  // namespace
