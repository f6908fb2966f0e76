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
using outlook::ComPtr;
using platform::DateTime;

std::string Card(std::initializer_list<const char*> lines) {
    std::string text = "BEGIN:VCARD\r\nVERSION:3.0\r\n";
    for (const char* line : lines)
        text += std::string(line) + "\r\n";
    return text + "END:VCARD\r\n";
}

class VCardReader : public ::testing::Test {
  protected:
    VCardReader() {
        contact_ = outlook_.AddContact({{"FullName", "Old Name"}, {"Email1Address", "old@x.example"}});
        id_ = contacts_test::HostOutlook::EntryId(contact_.get());
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

TEST_F(VCardReader, UntypedAddressesFillTheSlotsTypedOnesLeaveEmpty) {
    outlook_.Edit(contact_.get(), {{"Email3Address", "three@x.example"}});
    Apply(Card({"EMAIL:plain@x.example"}));
    EXPECT_EQ(Field("Email1Address"), "plain@x.example");
    EXPECT_EQ(Field("Email2Address"), "");
    EXPECT_EQ(Field("Email3Address"), "three@x.example");

    EXPECT_EQ(Apply(Card({"EMAIL;TYPE=INTERNET:first@x.example", "EMAIL;TYPE=work:work@x.example",
                          "EMAIL;TYPE=INTERNET,PREF:second@x.example", "EMAIL:third@x.example"})),
              3);
    EXPECT_EQ(Field("Email1Address"), "first@x.example");
    EXPECT_EQ(Field("Email2Address"), "work@x.example");
    EXPECT_EQ(Field("Email3Address"), "second@x.example");
}

TEST_F(VCardReader, ThirdAddressFromOtherEmailTypedOtherOrLabel) {
    const struct {
        const char* name;
        std::string card;
        const char* address;
        int pref;
    } rows[] = {
        {"OTHER.EMAIL", Card({"OTHER.EMAIL;TYPE=PREF:o@x.example"}), "o@x.example", 3},
        {"typed OTHER", Card({"EMAIL;TYPE=OTHER:t@x.example"}), "t@x.example", 0},
        {"typed OTHER,PREF", Card({"EMAIL;TYPE=OTHER,PREF:p@x.example"}), "p@x.example", 3},
        {"label", Card({"item2.EMAIL;TYPE=INTERNET:l@x.example", "item2.X-ABLABEL:_$!<Other>!$_"}),
         "l@x.example", 0},
        {"label pref", Card({"item2.EMAIL;TYPE=INTERNET,pref:m@x.example", "item2.X-ABLABEL:other"}),
         "m@x.example", 3},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto contact = outlook_.AddContact({});
        EXPECT_EQ(Apply(row.card, contact), row.pref);
        EXPECT_EQ(outlook_.Field(contacts_test::HostOutlook::EntryId(contact.get()), "Email3Address"),
                  row.address);
    }
}

TEST_F(VCardReader, Addresses) {
    // Strict lookup: a line with two types is no home address, so the old one is cleared.
    outlook_.Edit(contact_.get(), {{"HomeAddressStreet", "Old street"}});
    Apply(Card({"ADR;TYPE=home,pref:;;Street;City"}));
    EXPECT_EQ(Field("HomeAddressStreet"), "");
    EXPECT_EQ(Field("HomeAddressCity"), "");
    // A short address leaves the missing parts.
    outlook_.Edit(contact_.get(), {{"HomeAddressState", "IL"}, {"HomeAddressCountry", "USA"}});
    Apply(Card({"ADR;TYPE=HOME:;;Main St 1;Springfield"}));
    EXPECT_EQ(Field("HomeAddressStreet"), "Main St 1");
    EXPECT_EQ(Field("HomeAddressCity"), "Springfield");
    EXPECT_EQ(Field("HomeAddressState"), "IL");
    EXPECT_EQ(Field("HomeAddressCountry"), "USA");
    // A cleared work address keeps the office.
    outlook_.Edit(contact_.get(), {{"OfficeLocation", "Room 4"}, {"BusinessAddressCity", "Old"}});
    Apply(Card({}));
    EXPECT_EQ(Field("OfficeLocation"), "Room 4");
    EXPECT_EQ(Field("BusinessAddressCity"), "");
    Apply(Card({"ADR;TYPE=work:;Room 5;2 Side St\\; Unit 3;Shelbyville;IL;62565;USA"}));
    EXPECT_EQ(Field("OfficeLocation"), "Room 5");
    EXPECT_EQ(Field("BusinessAddressStreet"), "2 Side St; Unit 3");
    EXPECT_EQ(Field("BusinessAddressCountry"), "USA");
}

TEST_F(VCardReader, OrganizationComponents) {
    outlook_.Edit(contact_.get(), {{"Department", "Kept"}});
    Apply(Card({"ORG:Acme\\;Inc"}));
    EXPECT_EQ(Field("CompanyName"), "Acme;Inc");
    EXPECT_EQ(Field("Department"), "Kept");
    Apply(Card({"ORG:Acme;Sales"}));
    EXPECT_EQ(Field("Department"), "Sales");
    Apply(Card({}));
    EXPECT_EQ(Field("CompanyName"), "");
    EXPECT_EQ(Field("Department"), "");
}

TEST_F(VCardReader, TelephoneTakesTheLastLineWithAllWantedTypes) {
    Apply(Card({"TEL;TYPE=CELL:1", "TEL;TYPE=CELL:2", "TEL;TYPE=HOME,VOICE,PREF:3", "TEL;TYPE=HOME:4",
                "TEL;TYPE=work;TYPE=fax:5", "TEL;TYPE=VOICE,WORK:6", "TEL;TYPE=home;TYPE=fax:7"}));
    EXPECT_EQ(Field("MobileTelephoneNumber"), "2");
    EXPECT_EQ(Field("HomeTelephoneNumber"), "3");
    EXPECT_EQ(Field("BusinessFaxNumber"), "5");
    EXPECT_EQ(Field("BusinessTelephoneNumber"), "6");
    EXPECT_EQ(Field("HomeFaxNumber"), "7");
}

TEST_F(VCardReader, FoldedNoteIsJoinedAndDecoded) {
    Apply(
        "BEGIN:VCARD\r\nVERSION:3.0\r\nNOTE:first part \\, with comma\\nsecond\r\n\t line and \\\\n "
        "literal\r\nEND:VCARD\r\n");
    EXPECT_EQ(Field("Body"), "first part , with comma\r\nsecond line and \\n literal");
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
        {"BDAY:19850307", before},  // not a form the reader knows: the birthday stays
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
