// Appointments in the store: changes visible only after Save, stable keys, order, properties.
#include "host_fixture.h"
#include "outlook/mapi_message.h"
#include "outlook/property_accessor.h"
#include "outlook/recipient.h"
#include "outlook/recipients.h"
#include "outlook/storage_item.h"
#include "outlook/user_properties.h"
#include "outlook/user_property.h"

namespace host_test {
namespace {

class AppointmentStore : public HostTest {};

TEST_F(AppointmentStore, ChangesAreVisibleToOthersOnlyAfterSave) {
    auto calendar = Folder(outlook::olFolderCalendar);
    auto appointment = NewAppointment("Draft");
    EXPECT_EQ(CountOf(calendar.get()), 0);
    std::string entry_id;
    EXPECT_EQ(appointment->get_EntryID(&entry_id), outlook::MAPI_E_NOT_FOUND);
    ASSERT_EQ(appointment->Save(), S_OK);
    EXPECT_EQ(CountOf(calendar.get()), 1);

    ASSERT_EQ(appointment->put_Subject("Changed"), S_OK);
    EXPECT_FALSE(PROP(appointment, Saved));
    EXPECT_EQ(PROP(FirstAppointment(), Subject), "Draft");
    ASSERT_EQ(appointment->Save(), S_OK);
    EXPECT_EQ(PROP(FirstAppointment(), Subject), "Changed");
}

TEST_F(AppointmentStore, KeysAreStableAcrossRestartsAndHaveOutlooksForm) {
    auto appointment = NewAppointment("Keep");
    ASSERT_EQ(appointment->Save(), S_OK);
    const std::string entry_id = PROP(appointment, EntryID);
    const std::string global_id = PROP(appointment, GlobalAppointmentID);
    EXPECT_EQ(global_id.rfind("040000008200E00074C5B7101A82E008", 0), 0u);
    EXPECT_EQ(global_id.size(), 112u);
    EXPECT_EQ(global_id.find_first_not_of("0123456789ABCDEF"), std::string::npos);
    const std::string folder_id = PROP(Folder(outlook::olFolderCalendar), EntryID);

    appointment = nullptr;
    Open();
    EXPECT_EQ(PROP(FirstAppointment(), EntryID), entry_id);
    EXPECT_EQ(PROP(FirstAppointment(), GlobalAppointmentID), global_id);
    EXPECT_EQ(PROP(Folder(outlook::olFolderCalendar), EntryID), folder_id);
    ComPtr<outlook::IDispatch> found;
    ASSERT_EQ(ns_->GetItemFromID(entry_id, &found), S_OK);
    EXPECT_EQ(ns_->GetItemFromID("00", &found), outlook::MAPI_E_NOT_FOUND);
}

TEST_F(AppointmentStore, LastModificationTimeMovesAtEverySave) {
    auto appointment = NewAppointment("Stamp");
    ASSERT_EQ(appointment->Save(), S_OK);
    EXPECT_LE(
        std::llabs(platform::SecondsBetween(DateTime::NowLocal(), PROP(appointment, LastModificationTime))),
        5);

    // Age the stored stamp behind the store's back, then save again through the object model.
    host::ItemRecord record;
    ASSERT_EQ(app_->store().FindItem(PROP(appointment, EntryID), &record), S_OK);
    record.fields["LastModificationTimeUTC"] = DateTime::FromParts(2001, 6, 1, 12, 0);
    TamperWithStoreFile(StorePath(), "UPDATE items SET record = ?1", host::EncodeItemRecord(record));

    auto stored = FirstAppointment();
    EXPECT_EQ(PROP(stored, LastModificationTime).Format("%Y"), "2001");
    ASSERT_EQ(stored->put_Location("Room 1"), S_OK);
    ASSERT_EQ(stored->Save(), S_OK);
    EXPECT_LE(std::llabs(platform::SecondsBetween(DateTime::NowLocal(), PROP(stored, LastModificationTime))),
              5);
}

TEST_F(AppointmentStore, OpenCollectionKeepsFirstSaveOrderAndSeesAnotherSessionsSave) {
    for (const char* subject : {"one", "two", "three"})
        ASSERT_EQ(NewAppointment(subject)->Save(), S_OK);
    auto items = ItemsOf(Folder(outlook::olFolderCalendar).get());
    auto first = FirstAppointment();
    ASSERT_EQ(first->put_Subject("one again"), S_OK);  // changing it does not move it
    ASSERT_EQ(first->Save(), S_OK);
    ComPtr<outlook::IDispatch> item;

    // A second process on the same store file.
    ComPtr<host::ApplicationObject> other;
    std::string error;
    ASSERT_EQ(host::ApplicationObject::Create(StorePath(), 500, &other, &error), S_OK) << error;
    ComPtr<outlook::NameSpace> other_ns;
    ASSERT_EQ(other->get_Session(&other_ns), S_OK);
    ComPtr<outlook::MAPIFolder> other_calendar;
    ASSERT_EQ(other_ns->GetDefaultFolder(outlook::olFolderCalendar, &other_calendar), S_OK);
    ASSERT_EQ(NewAppointment("theirs", DateTime::FromParts(2024, 5, 7, 9),
                             DateTime::FromParts(2024, 5, 7, 10), other_calendar.get())
                  ->Save(),
              S_OK);

    std::vector<std::string> subjects;
    ASSERT_EQ(items->GetFirst(&item), S_OK);
    for (int i = 0; item && i < 10; ++i) {
        ComPtr<outlook::AppointmentItem> appointment;
        ASSERT_EQ(item.As(&appointment), S_OK);
        subjects.push_back(PROP(appointment, Subject));
        ASSERT_EQ(items->GetNext(&item), S_OK);
    }
    EXPECT_EQ(subjects, (std::vector<std::string>{"one again", "two", "three", "theirs"}));
    EXPECT_EQ(items->Item(0, &item), outlook::DISP_E_BADINDEX);
    EXPECT_EQ(items->Item(5, &item), outlook::DISP_E_BADINDEX);
}

TEST_F(AppointmentStore, StartKeepsTheDurationAndEndBeforeStartIsRefusedAtSave) {
    auto appointment =
        NewAppointment("Move", DateTime::FromParts(2024, 5, 6, 9), DateTime::FromParts(2024, 5, 6, 10, 30));
    ASSERT_EQ(appointment->put_Start(DateTime::FromParts(2024, 5, 7, 14)), S_OK);
    EXPECT_EQ(Text(PROP(appointment, End)), "2024-05-07 15:30:00");
    EXPECT_EQ(PROP(appointment, Duration), 90);
    EXPECT_EQ(appointment->put_Start(DateTime::Invalid()), E_INVALIDARG);

    ASSERT_EQ(appointment->put_End(DateTime::FromParts(2024, 5, 7, 13)), S_OK);
    EXPECT_EQ(appointment->Save(), E_INVALIDARG);
    EXPECT_EQ(CountOf(Folder(outlook::olFolderCalendar).get()), 0);
}

// A year of five digits cannot be written to a calendar server: such a time is refused at Save.
TEST_F(AppointmentStore, TimesBeyondTheYear9999AreRefusedAtSave) {
    auto appointment =
        NewAppointment("Far", DateTime::FromParts(2024, 5, 6, 9), DateTime::FromParts(2024, 5, 6, 10));
    ASSERT_EQ(appointment->put_StartUTC(DateTime::FromParts(9000, 12, 31, 12)), S_OK);
    EXPECT_EQ(appointment->Save(), S_OK);
    ASSERT_EQ(appointment->put_StartUTC(DateTime::FromParts(9999, 12, 31, 23, 59)), S_OK);
    EXPECT_EQ(appointment->Save(), E_INVALIDARG);
    ASSERT_EQ(appointment->put_StartUTC(DateTime::FromParts(9000, 12, 31, 12)), S_OK);
    ASSERT_EQ(appointment->put_EndUTC(DateTime::FromParts(9999, 12, 31, 23, 59).AddSeconds(3600)), S_OK);
    EXPECT_EQ(appointment->Save(), E_INVALIDARG);
}

TEST_F(AppointmentStore, UserPropertiesOfTheUsedTypesPersistWithTheItem) {
    auto appointment = NewAppointment("Props");
    auto properties = PROP(appointment, UserProperties);
    ComPtr<outlook::UserProperty> property;
    ASSERT_EQ(properties->Find("AllowCreate", true, &property), S_OK);
    EXPECT_FALSE(property);
    ASSERT_EQ(properties->Add("AllowCreate", outlook::olYesNo, false, 1, &property), S_OK);
    EXPECT_EQ(PROP(property, Value), outlook::Variant(false));
    ASSERT_EQ(property->put_Value(outlook::Variant(true)), S_OK);
    EXPECT_EQ(property->put_Value(outlook::Variant("perhaps")), outlook::DISP_E_TYPEMISMATCH);
    ASSERT_EQ(properties->Add("oidUID", outlook::olText, false, 1, &property), S_OK);
    EXPECT_EQ(properties->Add("oidUID", outlook::olYesNo, false, 1, &property), outlook::MAPI_E_COLLISION);
    EXPECT_EQ(properties->Add("", outlook::olText, false, 1, &property), E_INVALIDARG);
    ASSERT_EQ(appointment->Save(), S_OK);

    properties = PROP(FirstAppointment(), UserProperties);
    EXPECT_EQ(PROP(properties, Count), 2);
    ASSERT_EQ(properties->Find("allowcreate", true, &property), S_OK);
    ASSERT_TRUE(property);
    EXPECT_EQ(PROP(property, Value), outlook::Variant(true));
}

// The calendar folder tests keep a flag in it across opens; here: it stays hidden and comes back empty.
TEST_F(AppointmentStore, FolderStorageItemIsHiddenAndMadeAgainAfterDelete) {
    auto calendar = Folder(outlook::olFolderCalendar);
    ComPtr<outlook::StorageItem> storage;
    EXPECT_EQ(calendar->GetStorage("", outlook::olIdentifyBySubject, &storage), E_INVALIDARG);
    ASSERT_EQ(calendar->GetStorage("VelmarquinSyncStorage", outlook::olIdentifyBySubject, &storage), S_OK);
    ComPtr<outlook::UserProperty> shared;
    ASSERT_EQ(PROP(storage, UserProperties)->Add("IsShared", outlook::olYesNo, false, 1, &shared), S_OK);
    ASSERT_EQ(storage->Save(), S_OK);
    EXPECT_EQ(CountOf(calendar.get()), 0);
    ASSERT_EQ(storage->Delete(), S_OK);
    ASSERT_EQ(calendar->GetStorage("VelmarquinSyncStorage", outlook::olIdentifyBySubject, &storage), S_OK);
    EXPECT_EQ(PROP(PROP(storage, UserProperties), Count), 0);
}

TEST_F(AppointmentStore, RecipientsResolveAddressesAndContacts) {
    ASSERT_EQ(NewContact("Ada Lovelace", "ada@example.org")->Save(), S_OK);
    auto meeting = NewAppointment("Meet");
    auto recipients = PROP(meeting, Recipients);
    ComPtr<outlook::Recipient> recipient;
    ASSERT_EQ(recipients->Add("bob@example.com", &recipient), S_OK);
    ASSERT_EQ(recipients->Add("Ada Lovelace", &recipient), S_OK);
    ASSERT_EQ(recipients->Add("nobody at all", &recipient), S_OK);
    EXPECT_EQ(recipients->Add("", &recipient), E_INVALIDARG);
    EXPECT_EQ(PROP(recipient, Address), "");
    bool all = true;
    ASSERT_EQ(recipients->ResolveAll(&all), S_OK);
    EXPECT_FALSE(all);

    ASSERT_EQ(recipients->Item(2, &recipient), S_OK);
    EXPECT_EQ(PROP(recipient, Address), "ada@example.org");
    EXPECT_EQ(PROP(recipient, Name), "Ada Lovelace");
    const std::string entry_id = PROP(recipient, EntryID);
    EXPECT_FALSE(entry_id.empty());
    ASSERT_EQ(recipients->Remove(3), S_OK);
    EXPECT_EQ(recipients->Remove(3), outlook::DISP_E_BADINDEX);
    ASSERT_EQ(meeting->put_MeetingStatus(outlook::olMeeting), S_OK);
    ASSERT_EQ(meeting->Save(), S_OK);

    auto stored = FirstAppointment();
    recipients = PROP(stored, Recipients);
    EXPECT_EQ(PROP(recipients, Count), 2);
    ASSERT_EQ(recipients->Item(2, &recipient), S_OK);
    EXPECT_EQ(PROP(recipient, EntryID), entry_id);
    EXPECT_EQ(PROP(stored, ResponseStatus), outlook::olResponseOrganized);
}

// Resolving keeps what it learnt of the contacts only until they change.
TEST_F(AppointmentStore, RecipientsSeeContactChangesMadeAfterAResolve) {
    auto ada = NewContact("Ada Lovelace", "ada@example.org");
    ASSERT_EQ(ada->Save(), S_OK);
    auto recipients = PROP(NewAppointment("Meet"), Recipients);
    const auto resolve = [&](const std::string& text, std::string* address) {
        ComPtr<outlook::Recipient> recipient;
        bool resolved = false;
        EXPECT_EQ(recipients->Add(text, &recipient), S_OK);
        EXPECT_EQ(recipient->Resolve(&resolved), S_OK);
        *address = PROP(recipient, Address);
        return resolved ? PROP(recipient, Name) : std::string("(unresolved)");
    };
    std::string address;
    EXPECT_EQ(resolve("Ada Lovelace", &address), "Ada Lovelace");
    EXPECT_EQ(address, "ada@example.org");

    ASSERT_EQ(ada->put_Email1Address("ada@engine.example"), S_OK);
    ASSERT_EQ(ada->Save(), S_OK);
    EXPECT_EQ(resolve("ADA LOVELACE", &address), "Ada Lovelace");
    EXPECT_EQ(address, "ada@engine.example");
    EXPECT_EQ(resolve("ada@example.org", &address), "ada@example.org");  // now only an address

    ComPtr<outlook::MAPIFolder> team;
    ASSERT_EQ(PROP(Folder(outlook::olFolderContacts), Folders)->Add("Team", &team), S_OK);
    ASSERT_EQ(NewContact("Grace Hopper", "Grace@Navy.example", team.get())->Save(), S_OK);
    EXPECT_EQ(resolve("grace@navy.example", &address), "Grace Hopper");
    EXPECT_EQ(address, "Grace@Navy.example");

    ASSERT_EQ(ada->Delete(), S_OK);
    EXPECT_EQ(resolve("Ada Lovelace", &address), "(unresolved)");
}

// The iCalendar reader tests write these properties through the same objects; here: the refusals and
// what Outlook derives from them.
TEST_F(AppointmentStore, MapiMessageRefusesWrongTypesAndUnknownRowsAndFeedsDerivedProperties) {
    auto meeting = NewAppointment("Meet");
    ComPtr<outlook::Recipient> recipient;
    ASSERT_EQ(PROP(meeting, Recipients)->Add("carol@example.com", &recipient), S_OK);
    ComPtr<outlook::MapiMessage> message;
    ASSERT_EQ(PROP(meeting, MAPIOBJECT).As(&message), S_OK);
    outlook::PropValue value;
    EXPECT_EQ(outlook::HrGetOneProp(message.get(), outlook::PR_SENDER_EMAIL_ADDRESS_W, &value),
              outlook::MAPI_E_NOT_FOUND);
    ASSERT_EQ(outlook::HrSetOneProp(message.get(),
                                    {outlook::PR_SENDER_EMAIL_ADDRESS_W, outlook::Variant("org@x.y")}),
              S_OK);
    EXPECT_EQ(outlook::HrSetOneProp(message.get(), {outlook::PR_RECIPIENT_FLAGS, outlook::Variant("many")}),
              E_INVALIDARG);

    auto accessor = PROP(meeting, PropertyAccessor);
    const std::string response =
        "http://schemas.microsoft.com/mapi/id/{00062002-0000-0000-C000-000000000046}/82180003";
    outlook::Variant read;
    EXPECT_EQ(accessor->GetProperty(response, &read), outlook::MAPI_E_NOT_FOUND);
    ASSERT_EQ(accessor->SetProperty(response, outlook::Variant(std::int32_t{3})), S_OK);
    EXPECT_EQ(accessor->SetProperty(response, outlook::Variant("yes")), outlook::DISP_E_TYPEMISMATCH);
    EXPECT_EQ(accessor->SetProperty("urn:schemas:calendar:location", outlook::Variant("x")), E_INVALIDARG);
    EXPECT_EQ(PROP(meeting, ResponseStatus), outlook::olResponseAccepted);

    ComPtr<outlook::MapiTable> table;
    ASSERT_EQ(message->GetRecipientTable(outlook::MAPI_UNICODE, &table), S_OK);
    outlook::RowSet rows;
    ASSERT_EQ(outlook::HrQueryAllRows(table.get(), &rows), S_OK);
    ASSERT_EQ(rows.size(), 1u);
    const outlook::PropValue* row_id = outlook::FindColumn(rows[0], outlook::PR_ROWID);
    ASSERT_NE(row_id, nullptr);
    outlook::RowSet change = {
        {*row_id, {outlook::PR_RECIPIENT_TRACKSTATUS, outlook::Variant(std::int32_t{4})}}};
    EXPECT_EQ(message->ModifyRecipients(0, change), E_INVALIDARG);
    outlook::RowSet unknown = {{{outlook::PR_ROWID, outlook::Variant(std::int32_t{99})}}};
    EXPECT_EQ(message->ModifyRecipients(outlook::MODRECIP_MODIFY, unknown), outlook::MAPI_E_NOT_FOUND);
    ASSERT_EQ(message->ModifyRecipients(outlook::MODRECIP_MODIFY, change), S_OK);
    ASSERT_EQ(message->SaveChanges(outlook::KEEP_OPEN_READWRITE), S_OK);

    auto stored = FirstAppointment();
    ASSERT_EQ(PROP(stored, Recipients)->Item(1, &recipient), S_OK);
    EXPECT_EQ(PROP(recipient, MeetingResponseStatus), outlook::olResponseDeclined);
    EXPECT_EQ(PROP(stored, Organizer), "org@x.y");
}

TEST_F(AppointmentStore, FaultHookFailsOnlyTheChosenCall) {
    auto appointment = NewAppointment("Fault");
    host::SetFault("AppointmentItem.get_Subject", E_FAIL, 1);
    std::string subject;
    EXPECT_EQ(appointment->get_Subject(&subject), E_FAIL);
    EXPECT_EQ(PROP(appointment, Subject), "Fault");

    host::SetFault("OutlookItem.Save", outlook::MAPI_E_DISK_ERROR);
    EXPECT_EQ(appointment->Save(), outlook::MAPI_E_DISK_ERROR);
    EXPECT_EQ(CountOf(Folder(outlook::olFolderCalendar).get()), 0);
    host::ClearFaults();
    EXPECT_EQ(appointment->Save(), S_OK);
    EXPECT_EQ(CountOf(Folder(outlook::olFolderCalendar).get()), 1);
}

}  // namespace
}  // namespace host_test
