// Every card of the corpus: read into the store field by field, then one phone changed locally and the
// contact written over the card: only that phone's line (and REV) may differ. The writer's cards and the
// merged ones must parse with python3-vobject.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "contacts/outlook_contact.h"
#include "contacts/outlook_groups_manager.h"
#include "contacts/vcard_merge.h"
#include "host/contact_object.h"
#include "support/scoped_time_zone.h"
#include "unit/contacts/card_corpus.h"

namespace {

using contacts_test::CorpusCard;
using testing_support::HostOutlook;

int Read(COutlookGroupsManager* groups, const outlook::ComPtr<outlook::ContactItem>& contact,
         const std::string& text) {
    COutlookContact wrapper(groups, contact, false, nullptr);
    wrapper.SetVCard(text);
    wrapper.SaveOutlookContact();
    return wrapper.GetPreferredSlot();
}

TEST(CardCorpus, ReadsEveryCardAndWritesOneEditOverItLeavingTheRest) {
    testing_support::ScopedTimeZone zone("UTC");
    HostOutlook outlook;
    const std::string written_folder = outlook.home.root() + "/written";
    std::filesystem::create_directories(written_folder);
    const std::vector<CorpusCard> cards = contacts_test::LoadCardCorpus();
    ASSERT_GE(cards.size(), 9u);
    for (const CorpusCard& card : cards) {
        SCOPED_TRACE(card.name);
        COutlookGroupsManager groups(outlook.contacts);
        auto contact = outlook.AddContact({});
        const std::string id = HostOutlook::EntryId(contact.get());
        const int pref = Read(&groups, contact, card.text);
        contacts_test::ExpectReadAsExpected(outlook, id, card, pref);

        outlook.Edit(contact.get(), {{card.edit_field, card.edit_value}});
        const std::string written = COutlookContact(&groups, contact, false, nullptr).GetVCard(card.name);
        const std::string merged = contacts::MergeVCard(card.text, written);
        contacts_test::ExpectOnlyTheEditDiffers(card, card.text, merged);
        std::ofstream(written_folder + "/" + card.name + ".vcf", std::ios::binary) << written;
        std::ofstream(written_folder + "/" + card.name + "-merged.vcf", std::ios::binary) << merged;

        // The merged card reads back as the edited contact.
        auto again = outlook.AddContact({});
        const std::string again_id = HostOutlook::EntryId(again.get());
        Read(&groups, again, merged);
        for (const std::string& field : host::ContactObject::TextFields()) {
            if (field != card.edit_field) {
                EXPECT_EQ(outlook.Field(again_id, field), outlook.Field(id, field)) << field;
            }
        }
        platform::DateTime first, second;
        ASSERT_EQ(outlook.Contact(id)->get_Birthday(&first), S_OK);
        ASSERT_EQ(again->get_Birthday(&second), S_OK);
        EXPECT_EQ(second.value(), first.value());
        ASSERT_EQ(again->Delete(), S_OK);
    }
    EXPECT_EQ(contacts_test::ParseWithVobject(written_folder), "");
}

}  // namespace
