#include <gtest/gtest.h>

#include "contact_test_support.h"
#include "contacts/outlook_contact.h"
#include "contacts/outlook_groups_manager.h"
#include "outlook/status.h"
#include "platform/text.h"
#include "settings/addin_exception.h"
#include "unit/contacts/fake_outlook.h"

namespace {

using outlook::ComPtr;

std::string Card(std::initializer_list<const char*> lines) {
    std::string text = "BEGIN:VCARD\r\nVERSION:3.0\r\n";
    for (const char* line : lines)
        text += std::string(line) + "\r\n";
    return text + "END:VCARD\r\n";
}

class VCardReader : public ::testing::Test {
  protected:
    VCardReader() { contact_ = store_.contacts->AddContact("Old Name", "old@x.example"); }

    void Apply(const std::string& text) {
        COutlookContact wrapper(&groups_, contact_, false, &guards_);
        wrapper.SetVCard(text);
        wrapper.SaveOutlookContact();
    }
    int Pref() {
        COutlookContact wrapper(&groups_, contact_, false, nullptr);
        return wrapper.GetPreferredSlot();
    }
    std::string Field(const char* name) const { return contact_->Field(name); }

    fake::FakeStore store_;
    ComPtr<fake::FakeContact> contact_;
    COutlookGroupsManager groups_{store_.contacts};
    contacts_test::RecordingGuards guards_;
};

TEST_F(VCardReader, HomeEmailSetsPreferredSlotOnlyForUpperCasePref) {
    Apply(Card({"EMAIL;TYPE=INTERNET;TYPE=HOME;TYPE=pref:a@x.example"}));
    EXPECT_EQ(Field("Email1Address"), "a@x.example");
    EXPECT_EQ(Pref(), 0);
    Apply(Card({"EMAIL;TYPE=INTERNET,HOME,PREF:a@x.example"}));
    EXPECT_EQ(Pref(), 1);
    // Never reset by a card without preference.
    Apply(Card({"EMAIL;TYPE=HOME:a@x.example"}));
    EXPECT_EQ(Pref(), 1);
}

TEST_F(VCardReader, LastPreferredAddressWins) {
    Apply(Card({"EMAIL;TYPE=home,PREF:a@x.example", "EMAIL;TYPE=work,PREF:b@x.example"}));
    EXPECT_EQ(Pref(), 2);
    EXPECT_EQ(Field("Email2Address"), "b@x.example");
}

TEST_F(VCardReader, UntypedAddressesFillTheSlotsTypedOnesLeaveEmpty) {
    contact_->fields["Email3Address"] = "three@x.example";
    Apply(Card({"EMAIL:plain@x.example"}));
    EXPECT_EQ(Field("Email1Address"), "plain@x.example");
    EXPECT_EQ(Field("Email2Address"), "");
    EXPECT_EQ(Field("Email3Address"), "three@x.example");

    Apply(Card({"EMAIL;TYPE=INTERNET:first@x.example", "EMAIL;TYPE=work:work@x.example",
                "EMAIL;TYPE=INTERNET,PREF:second@x.example", "EMAIL:third@x.example"}));
    EXPECT_EQ(Field("Email1Address"), "first@x.example");
    EXPECT_EQ(Field("Email2Address"), "work@x.example");
    EXPECT_EQ(Field("Email3Address"), "second@x.example");
    EXPECT_EQ(Pref(), 3);
}

TEST_F(VCardReader, ThirdAddressFromOtherEmailTypedOtherOrLabel) {
    struct Row {
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
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fake::FakeStore store;
        ComPtr<fake::FakeContact> contact = store.contacts->AddContact("", "");
        COutlookGroupsManager groups(store.contacts);
        COutlookContact wrapper(&groups, contact, false, nullptr);
        wrapper.SetVCard(row.card);
        wrapper.SaveOutlookContact();
        EXPECT_EQ(contact->Field("Email3Address"), row.address);
        EXPECT_EQ(wrapper.GetPreferredSlot(), row.pref);
    }
}

TEST_F(VCardReader, StrictAddressLookupNeedsExactlyOneType) {
    contact_->fields["HomeAddressStreet"] = "Old street";
    Apply(Card({"ADR;TYPE=home,pref:;;Street;City"}));
    EXPECT_EQ(Field("HomeAddressStreet"), "");
    EXPECT_EQ(Field("HomeAddressCity"), "");
}

TEST_F(VCardReader, ShortAddressLeavesTheMissingParts) {
    contact_->fields["HomeAddressState"] = "IL";
    contact_->fields["HomeAddressCountry"] = "USA";
    Apply(Card({"ADR;TYPE=HOME:;;Main St 1;Springfield"}));
    EXPECT_EQ(Field("HomeAddressStreet"), "Main St 1");
    EXPECT_EQ(Field("HomeAddressCity"), "Springfield");
    EXPECT_EQ(Field("HomeAddressState"), "IL");
    EXPECT_EQ(Field("HomeAddressCountry"), "USA");
}

TEST_F(VCardReader, WorkAddressKeepsOfficeWhenCleared) {
    contact_->fields["OfficeLocation"] = "Room 4";
    contact_->fields["BusinessAddressCity"] = "Old";
    Apply(Card({}));
    EXPECT_EQ(Field("OfficeLocation"), "Room 4");
    EXPECT_EQ(Field("BusinessAddressCity"), "");
    Apply(Card({"ADR;TYPE=work:;Room 5;2 Side St\\; Unit 3;Shelbyville;IL;62565;USA"}));
    EXPECT_EQ(Field("OfficeLocation"), "Room 5");
    EXPECT_EQ(Field("BusinessAddressStreet"), "2 Side St; Unit 3");
    EXPECT_EQ(Field("BusinessAddressCountry"), "USA");
}

TEST_F(VCardReader, OrganizationComponents) {
    contact_->fields["Department"] = "Kept";
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
        "literal\r\n"
        "END:VCARD\r\n");
    EXPECT_EQ(contact_->body, "first part , with comma\r\nsecond line and \\n literal");
}

TEST_F(VCardReader, BirthdayForms) {
    struct Row {
        const char* value;
        platform::DateTime expected;
    } rows[] = {
        {"BDAY:1985-03-07", platform::DateTime::FromParts(1985, 3, 7)},
        {"BDAY:85-03-07", platform::DateTime::FromParts(1985, 3, 7)},
        {"BDAY:2001-02-30", platform::DateTime::FromParts(4501, 1, 1)},
        {"BDAY:1990-05-06T00:00:00Z", platform::DateTime::FromParts(1990, 5, 6)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.value);
        contact_->birthday = platform::DateTime::FromParts(2000, 1, 1);
        Apply(Card({row.value}));
        EXPECT_EQ(contact_->birthday.value(), row.expected.value());
    }
}

TEST_F(VCardReader, BirthdayWithoutHyphensOrMissing) {
    contact_->birthday = platform::DateTime::FromParts(2000, 1, 1);
    Apply(Card({"BDAY:19850307"}));
    EXPECT_EQ(contact_->birthday.value(), platform::DateTime::FromParts(2000, 1, 1).value());
    Apply(Card({}));
    EXPECT_EQ(contact_->birthday.value(), platform::DateTime::FromParts(4501, 1, 1).value());
}

TEST_F(VCardReader, UidIsKeptAndMissingUidLeavesIt) {
    Apply(Card({"UID:abc-1"}));
    COutlookContact wrapper(&groups_, contact_, false, nullptr);
    EXPECT_EQ(wrapper.GetUid(), "abc-1");
    Apply(Card({}));
    EXPECT_EQ(wrapper.GetUid(), "abc-1");
}

TEST_F(VCardReader, RoundTripThroughTheWriterKeepsEveryField) {
    fake::FakeStore store;
    ComPtr<fake::FakeContact> target = store.contacts->AddContact("", "");
    COutlookGroupsManager groups(store.contacts);
    COutlookContact wrapper(&groups, target, false, nullptr);
    wrapper.SetVCard(contacts_test::ReadData("writer-full-contact.vcf"));
    wrapper.SaveOutlookContact();
    EXPECT_EQ(target->Field("FullName"), "Ann Lee");
    EXPECT_EQ(target->Field("CompanyName"), "Acme, Inc");
    EXPECT_EQ(target->Field("BusinessAddressPostalCode"), "62565");
    EXPECT_EQ(target->Field("Email3Address"), "ann@other.example");
    EXPECT_EQ(target->body, "Met at the fair;\r\ncall back");
    target->modified = platform::DateTime::FromParts(2024, 3, 5, 14, 28, 0);
    contacts_test::ScopedTimeZone utc("UTC");
    EXPECT_EQ(wrapper.GetVCard("ignored"), contacts_test::ReadData("writer-full-contact.vcf"));
}

TEST_F(VCardReader, HostileTextIsReadAsFarAsItGoes) {
    struct Row {
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
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        contact_->body.clear();
        Apply(row.text);
        EXPECT_EQ(contact_->body, "kept");
        EXPECT_EQ(platform::SanitizeUtf8(Field("FullName")), Field("FullName"));
    }
}

TEST_F(VCardReader, OwnChangeIsRegisteredAroundTheSave) {
    Apply(Card({"FN:New"}));
    EXPECT_EQ(guards_.calls, "own(" + contact_->entry_id + ");clear;");
}

TEST_F(VCardReader, FailedSaveIsAnErrorOfTheContact) {
    store_.fail_contact_save = outlook::MAPI_E_USER_CANCEL;
    COutlookContact wrapper(&groups_, contact_, false, &guards_);
    wrapper.SetVCard(Card({"FN:New", "CATEGORIES:Friends"}));
    try {
        wrapper.SaveOutlookContact();
        FAIL() << "no exception";
    } catch (const CAddinException& error) {
        EXPECT_EQ(error.GetCode(), kErrorUnknown);
    }
    EXPECT_EQ(guards_.calls, "own(" + contact_->entry_id + ");clear;");
    EXPECT_EQ(store_.contacts->FindList("Friends"), nullptr);
}

TEST_F(VCardReader, DeleteLeavesGroupsAndRemovesTheItem) {
    Apply(Card({"EMAIL;TYPE=home:ann@x.example", "CATEGORIES:Friends"}));
    ASSERT_NE(store_.contacts->FindList("Friends"), nullptr);
    guards_.calls.clear();
    COutlookContact wrapper(&groups_, contact_, false, &guards_);
    wrapper.DeleteOutlookContact();
    EXPECT_TRUE(contact_->deleted);
    EXPECT_EQ(store_.contacts->FindList("Friends"), nullptr);
    EXPECT_EQ(guards_.calls, "own(" + contact_->entry_id + ");clear;");
}

}  // namespace
