// Appointments in the store: changes visible only after Save, stable keys, order, properties.
#include <sqlite3.h>

#include "host_fixture.h"
#include "outlook/mapi_message.h"
#include "outlook/property_accessor.h"
#include "outlook/recipient.h"
#include "outlook/recipients.h"
#include "outlook/storage_item.h"
#include "outlook/time_zone.h"
#include "outlook/time_zones.h"
#include "outlook/user_properties.h"
#include "outlook/user_property.h"

namespace host_test {
namespace {

class AppointmentStore : public HostTest {};

TEST_F(AppointmentStore, ChangesAreVisibleToOthersOnlyAfterSave) {
    auto calendar = Folder(outlook::olFolderCalendar);
    auto appointment =
        NewAppointment("Draft", DateTime::FromParts(2024, 5, 6, 9), DateTime::FromParts(2024, 5, 6, 10));
    EXPECT_EQ(CountOf(calendar.get()), 0);
    std::string entry_id;
    EXPECT_EQ(appointment->get_EntryID(&entry_id), outlook::MAPI_E_NOT_FOUND);

    ASSERT_EQ(appointment->Save(), S_OK);
    EXPECT_EQ(CountOf(calendar.get()), 1);
    ASSERT_EQ(appointment->get_EntryID(&entry_id), S_OK);

    ASSERT_EQ(appointment->put_Subject("Changed"), S_OK);
    bool saved = true;
    ASSERT_EQ(appointment->get_Saved(&saved), S_OK);
    EXPECT_FALSE(saved);
    auto other = FirstItem<outlook::AppointmentItem>(calendar.get());
    std::string subject;
    ASSERT_EQ(other->get_Subject(&subject), S_OK);
    EXPECT_EQ(subject, "Draft");

    ASSERT_EQ(appointment->Save(), S_OK);
    other = FirstItem<outlook::AppointmentItem>(calendar.get());
    ASSERT_EQ(other->get_Subject(&subject), S_OK);
    EXPECT_EQ(subject, "Changed");
}

TEST_F(AppointmentStore, KeysAreStableAcrossRestartsAndHaveOutlooksForm) {
    auto appointment =
        NewAppointment("Keep", DateTime::FromParts(2024, 5, 6, 9), DateTime::FromParts(2024, 5, 6, 10));
    ASSERT_EQ(appointment->Save(), S_OK);
    std::string entry_id;
    std::string global_id;
    ASSERT_EQ(appointment->get_EntryID(&entry_id), S_OK);
    ASSERT_EQ(appointment->get_GlobalAppointmentID(&global_id), S_OK);
    EXPECT_EQ(global_id.rfind("040000008200E00074C5B7101A82E008", 0), 0u);
    EXPECT_EQ(global_id.size(), 112u);
    EXPECT_EQ(global_id.find_first_not_of("0123456789ABCDEF"), std::string::npos);
    std::string folder_id;
    ASSERT_EQ(Folder(outlook::olFolderCalendar)->get_EntryID(&folder_id), S_OK);

    appointment = nullptr;
    Open();
    auto again = FirstItem<outlook::AppointmentItem>(Folder(outlook::olFolderCalendar).get());
    std::string entry_again;
    std::string global_again;
    ASSERT_EQ(again->get_EntryID(&entry_again), S_OK);
    ASSERT_EQ(again->get_GlobalAppointmentID(&global_again), S_OK);
    EXPECT_EQ(entry_again, entry_id);
    EXPECT_EQ(global_again, global_id);
    std::string folder_again;
    ASSERT_EQ(Folder(outlook::olFolderCalendar)->get_EntryID(&folder_again), S_OK);
    EXPECT_EQ(folder_again, folder_id);

    outlook::ComPtr<outlook::IDispatch> found;
    ASSERT_EQ(ns_->GetItemFromID(entry_id, &found), S_OK);
    EXPECT_EQ(ns_->GetItemFromID("00", &found), outlook::MAPI_E_NOT_FOUND);
}

TEST_F(AppointmentStore, LastModificationTimeMovesAtEverySave) {
    auto appointment =
        NewAppointment("Stamp", DateTime::FromParts(2024, 5, 6, 9), DateTime::FromParts(2024, 5, 6, 10));
    ASSERT_EQ(appointment->Save(), S_OK);
    DateTime first;
    ASSERT_EQ(appointment->get_LastModificationTime(&first), S_OK);
    EXPECT_LE(std::llabs(platform::SecondsBetween(DateTime::NowLocal(), first)), 5);

    // Age the stored stamp behind the store's back, then save again through the object model.
    std::string entry_id;
    ASSERT_EQ(appointment->get_EntryID(&entry_id), S_OK);
    host::ItemRecord record;
    ASSERT_EQ(app_->store().FindItem(entry_id, &record), S_OK);
    record.fields["LastModificationTimeUTC"] = DateTime::FromParts(2001, 1, 1);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(StorePath().c_str(), &db), SQLITE_OK);
    sqlite3_stmt* update = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "UPDATE items SET record = ?1", -1, &update, nullptr), SQLITE_OK);
    const std::string text = host::EncodeItemRecord(record);
    sqlite3_bind_text(update, 1, text.c_str(), -1, SQLITE_TRANSIENT);
    ASSERT_EQ(sqlite3_step(update), SQLITE_DONE);
    sqlite3_finalize(update);
    sqlite3_close(db);

    auto stored = FirstItem<outlook::AppointmentItem>(Folder(outlook::olFolderCalendar).get());
    DateTime aged;
    ASSERT_EQ(stored->get_LastModificationTime(&aged), S_OK);
    EXPECT_EQ(aged.Format("%Y"), "2001");
    ASSERT_EQ(stored->put_Location("Room 1"), S_OK);
    ASSERT_EQ(stored->Save(), S_OK);
    DateTime second;
    ASSERT_EQ(stored->get_LastModificationTime(&second), S_OK);
    EXPECT_LE(std::llabs(platform::SecondsBetween(DateTime::NowLocal(), second)), 5);
}

TEST_F(AppointmentStore, ItemsKeepTheOrderTheyWereFirstSavedIn) {
    for (const char* subject : {"one", "two", "three"}) {
        ASSERT_EQ(
            NewAppointment(subject, DateTime::FromParts(2024, 5, 6, 9), DateTime::FromParts(2024, 5, 6, 10))
                ->Save(),
            S_OK);
    }
    auto items = ItemsOf(Folder(outlook::olFolderCalendar).get());
    // Changing the first does not move it.
    ComPtr<outlook::IDispatch> item;
    ASSERT_EQ(items->Item(1, &item), S_OK);
    ComPtr<outlook::AppointmentItem> first;
    ASSERT_EQ(item.As(&first), S_OK);
    ASSERT_EQ(first->put_Subject("one again"), S_OK);
    ASSERT_EQ(first->Save(), S_OK);

    std::vector<std::string> subjects;
    ASSERT_EQ(items->GetFirst(&item), S_OK);
    while (item) {
        ComPtr<outlook::AppointmentItem> appointment;
        ASSERT_EQ(item.As(&appointment), S_OK);
        std::string subject;
        ASSERT_EQ(appointment->get_Subject(&subject), S_OK);
        subjects.push_back(subject);
        ASSERT_EQ(items->GetNext(&item), S_OK);
    }
    EXPECT_EQ(subjects, (std::vector<std::string>{"one again", "two", "three"}));
    EXPECT_EQ(items->Item(0, &item), outlook::DISP_E_BADINDEX);
    EXPECT_EQ(items->Item(4, &item), outlook::DISP_E_BADINDEX);
}

TEST_F(AppointmentStore, AnotherSessionsSaveShowsInAnOpenItemsCollection) {
    ASSERT_EQ(NewAppointment("mine", DateTime::FromParts(2024, 5, 6, 9), DateTime::FromParts(2024, 5, 6, 10))
                  ->Save(),
              S_OK);
    auto items = ItemsOf(Folder(outlook::olFolderCalendar).get());
    ComPtr<outlook::IDispatch> item;
    ASSERT_EQ(items->Item(1, &item), S_OK);
    EXPECT_EQ(items->Item(2, &item), outlook::DISP_E_BADINDEX);

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

    ASSERT_EQ(items->Item(2, &item), S_OK);
    ComPtr<outlook::AppointmentItem> theirs;
    ASSERT_EQ(item.As(&theirs), S_OK);
    std::string subject;
    ASSERT_EQ(theirs->get_Subject(&subject), S_OK);
    EXPECT_EQ(subject, "theirs");
}

TEST_F(AppointmentStore, EndBeforeStartIsRefusedAtSave) {
    auto appointment =
        NewAppointment("Back", DateTime::FromParts(2024, 5, 6, 9), DateTime::FromParts(2024, 5, 6, 8));
    EXPECT_EQ(appointment->Save(), E_INVALIDARG);
    EXPECT_EQ(CountOf(Folder(outlook::olFolderCalendar).get()), 0);
    EXPECT_EQ(appointment->put_Start(DateTime::Invalid()), E_INVALIDARG);
}

TEST_F(AppointmentStore, PuttingStartKeepsTheDuration) {
    auto appointment =
        NewAppointment("Move", DateTime::FromParts(2024, 5, 6, 9), DateTime::FromParts(2024, 5, 6, 10, 30));
    ASSERT_EQ(appointment->put_Start(DateTime::FromParts(2024, 5, 7, 14)), S_OK);
    DateTime end;
    ASSERT_EQ(appointment->get_End(&end), S_OK);
    EXPECT_EQ(Text(end), "2024-05-07 15:30:00");
    std::int32_t duration = 0;
    ASSERT_EQ(appointment->get_Duration(&duration), S_OK);
    EXPECT_EQ(duration, 90);
}

TEST_F(AppointmentStore, StartTimeZonePutsConvertToLocalStart) {
    ScopedTimeZone berlin("Europe/Berlin");
    ComPtr<outlook::TimeZones> zones;
    ASSERT_EQ(app_->get_TimeZones(&zones), S_OK);
    ComPtr<outlook::TimeZone> pacific;
    ASSERT_EQ(zones->Item(std::string("Pacific Standard Time"), &pacific), S_OK);
    ComPtr<outlook::TimeZone> missing;
    EXPECT_EQ(zones->Item(std::string("Nowhere Standard Time"), &missing), outlook::MAPI_E_NOT_FOUND);

    auto appointment =
        NewAppointment("Call", DateTime::FromParts(2024, 1, 10, 9), DateTime::FromParts(2024, 1, 10, 10));
    ASSERT_EQ(appointment->put_StartTimeZone(pacific.get()), S_OK);
    ASSERT_EQ(appointment->put_StartInStartTimeZone(DateTime::FromParts(2024, 7, 1, 9)), S_OK);
    DateTime start;
    ASSERT_EQ(appointment->get_Start(&start), S_OK);
    // 09:00 in Los Angeles (UTC-7 in summer) is 18:00 in Berlin (UTC+2).
    EXPECT_EQ(Text(start), "2024-07-01 18:00:00");
    DateTime utc;
    ASSERT_EQ(appointment->get_StartUTC(&utc), S_OK);
    EXPECT_EQ(Text(utc), "2024-07-01 16:00:00");
    DateTime in_zone;
    ASSERT_EQ(appointment->get_StartInStartTimeZone(&in_zone), S_OK);
    EXPECT_EQ(Text(in_zone), "2024-07-01 09:00:00");
    ComPtr<outlook::TimeZone> zone;
    ASSERT_EQ(appointment->get_StartTimeZone(&zone), S_OK);
    std::string id;
    ASSERT_EQ(zone->get_ID(&id), S_OK);
    EXPECT_EQ(id, "Pacific Standard Time");
    EXPECT_EQ(appointment->put_StartTimeZone(nullptr), E_INVALIDARG);

    ComPtr<outlook::TimeZone> current;
    ASSERT_EQ(zones->get_CurrentTimeZone(&current), S_OK);
    ASSERT_EQ(current->get_ID(&id), S_OK);
    EXPECT_EQ(id, "W. Europe Standard Time");
}

TEST_F(AppointmentStore, UserPropertiesOfTheUsedTypesPersistWithTheItem) {
    auto appointment =
        NewAppointment("Props", DateTime::FromParts(2024, 5, 6, 9), DateTime::FromParts(2024, 5, 6, 10));
    ComPtr<outlook::UserProperties> properties;
    ASSERT_EQ(appointment->get_UserProperties(&properties), S_OK);
    ComPtr<outlook::UserProperty> property;
    ASSERT_EQ(properties->Find("AllowCreate", true, &property), S_OK);
    EXPECT_FALSE(property);
    ASSERT_EQ(properties->Add("AllowCreate", outlook::olYesNo, false, 1, &property), S_OK);
    outlook::Variant value;
    ASSERT_EQ(property->get_Value(&value), S_OK);
    EXPECT_EQ(value, outlook::Variant(false));
    ASSERT_EQ(property->put_Value(outlook::Variant(true)), S_OK);
    EXPECT_EQ(property->put_Value(outlook::Variant("perhaps")), outlook::DISP_E_TYPEMISMATCH);
    ComPtr<outlook::UserProperty> number;
    ASSERT_EQ(properties->Add("oidPREF", outlook::olNumber, false, 1, &number), S_OK);
    ASSERT_EQ(number->put_Value(outlook::Variant("2")), S_OK);
    ComPtr<outlook::UserProperty> text;
    ASSERT_EQ(properties->Add("oidUID", outlook::olText, false, 1, &text), S_OK);
    ASSERT_EQ(text->put_Value(outlook::Variant("uid-1")), S_OK);
    EXPECT_EQ(properties->Add("oidUID", outlook::olYesNo, false, 1, &property), outlook::MAPI_E_COLLISION);
    EXPECT_EQ(properties->Add("", outlook::olText, false, 1, &property), E_INVALIDARG);
    ASSERT_EQ(appointment->Save(), S_OK);

    auto stored = FirstItem<outlook::AppointmentItem>(Folder(outlook::olFolderCalendar).get());
    ASSERT_EQ(stored->get_UserProperties(&properties), S_OK);
    ASSERT_EQ(properties->Find("allowcreate", true, &property), S_OK);
    ASSERT_TRUE(property);
    ASSERT_EQ(property->get_Value(&value), S_OK);
    EXPECT_EQ(value, outlook::Variant(true));
    ASSERT_EQ(properties->Find("oidPREF", true, &property), S_OK);
    ASSERT_EQ(property->get_Value(&value), S_OK);
    std::int32_t preferred = 0;
    ASSERT_EQ(value.ToLong(&preferred), S_OK);
    EXPECT_EQ(preferred, 2);
    std::int32_t count = 0;
    ASSERT_EQ(properties->get_Count(&count), S_OK);
    EXPECT_EQ(count, 3);
}

TEST_F(AppointmentStore, FolderStorageItemIsHiddenAndKeptAcrossRestarts) {
    auto calendar = Folder(outlook::olFolderCalendar);
    ComPtr<outlook::StorageItem> storage;
    EXPECT_EQ(calendar->GetStorage("", outlook::olIdentifyBySubject, &storage), E_INVALIDARG);
    EXPECT_EQ(calendar->GetStorage("VelmarquinSyncStorage", outlook::olIdentifyByEntryID, &storage),
              E_INVALIDARG);
    ASSERT_EQ(calendar->GetStorage("VelmarquinSyncStorage", outlook::olIdentifyBySubject, &storage), S_OK);
    ComPtr<outlook::UserProperties> properties;
    ASSERT_EQ(storage->get_UserProperties(&properties), S_OK);
    ComPtr<outlook::UserProperty> shared;
    ASSERT_EQ(properties->Add("IsShared", outlook::olYesNo, false, 1, &shared), S_OK);
    ASSERT_EQ(shared->put_Value(outlook::Variant(true)), S_OK);
    ASSERT_EQ(storage->Save(), S_OK);
    EXPECT_EQ(CountOf(calendar.get()), 0);

    storage = nullptr;
    Open();
    calendar = Folder(outlook::olFolderCalendar);
    ASSERT_EQ(calendar->GetStorage("VelmarquinSyncStorage", outlook::olIdentifyBySubject, &storage), S_OK);
    ASSERT_EQ(storage->get_UserProperties(&properties), S_OK);
    ASSERT_EQ(properties->Find("IsShared", true, &shared), S_OK);
    ASSERT_TRUE(shared);
    outlook::Variant value;
    ASSERT_EQ(shared->get_Value(&value), S_OK);
    EXPECT_EQ(value, outlook::Variant(true));
    EXPECT_EQ(CountOf(calendar.get()), 0);
}

TEST_F(AppointmentStore, RecipientsResolveAddressesAndContacts) {
    ASSERT_EQ(NewContact("Ada Lovelace", "ada@example.org")->Save(), S_OK);
    auto meeting =
        NewAppointment("Meet", DateTime::FromParts(2024, 5, 6, 9), DateTime::FromParts(2024, 5, 6, 10));
    ComPtr<outlook::Recipients> recipients;
    ASSERT_EQ(meeting->get_Recipients(&recipients), S_OK);
    ComPtr<outlook::Recipient> recipient;
    ASSERT_EQ(recipients->Add("bob@example.com", &recipient), S_OK);
    ASSERT_EQ(recipients->Add("Ada Lovelace", &recipient), S_OK);
    ASSERT_EQ(recipients->Add("nobody at all", &recipient), S_OK);
    EXPECT_EQ(recipients->Add("", &recipient), E_INVALIDARG);
    std::string address;
    ASSERT_EQ(recipient->get_Address(&address), S_OK);
    EXPECT_EQ(address, "");
    bool all = true;
    ASSERT_EQ(recipients->ResolveAll(&all), S_OK);
    EXPECT_FALSE(all);

    ASSERT_EQ(recipients->Item(2, &recipient), S_OK);
    std::string name;
    ASSERT_EQ(recipient->get_Address(&address), S_OK);
    ASSERT_EQ(recipient->get_Name(&name), S_OK);
    EXPECT_EQ(address, "ada@example.org");
    EXPECT_EQ(name, "Ada Lovelace");
    std::string entry_id;
    ASSERT_EQ(recipient->get_EntryID(&entry_id), S_OK);
    EXPECT_FALSE(entry_id.empty());

    ASSERT_EQ(recipients->Remove(3), S_OK);
    EXPECT_EQ(recipients->Remove(3), outlook::DISP_E_BADINDEX);
    ASSERT_EQ(meeting->put_MeetingStatus(outlook::olMeeting), S_OK);
    ASSERT_EQ(meeting->Save(), S_OK);

    auto stored = FirstItem<outlook::AppointmentItem>(Folder(outlook::olFolderCalendar).get());
    ASSERT_EQ(stored->get_Recipients(&recipients), S_OK);
    std::int32_t count = 0;
    ASSERT_EQ(recipients->get_Count(&count), S_OK);
    EXPECT_EQ(count, 2);
    ASSERT_EQ(recipients->Item(1, &recipient), S_OK);
    std::string entry_again;
    ASSERT_EQ(recipient->get_EntryID(&entry_again), S_OK);
    ASSERT_EQ(recipients->Item(2, &recipient), S_OK);
    ASSERT_EQ(recipient->get_EntryID(&entry_again), S_OK);
    EXPECT_EQ(entry_again, entry_id);
    outlook::OlResponseStatus status = outlook::olResponseAccepted;
    ASSERT_EQ(stored->get_ResponseStatus(&status), S_OK);
    EXPECT_EQ(status, outlook::olResponseOrganized);
}

TEST_F(AppointmentStore, MapiMessageSharesTaggedPropertiesAndTheRecipientTable) {
    auto meeting =
        NewAppointment("Meet", DateTime::FromParts(2024, 5, 6, 9), DateTime::FromParts(2024, 5, 6, 10));
    ComPtr<outlook::Recipients> recipients;
    ASSERT_EQ(meeting->get_Recipients(&recipients), S_OK);
    ComPtr<outlook::Recipient> recipient;
    ASSERT_EQ(recipients->Add("carol@example.com", &recipient), S_OK);
    bool all = false;
    ASSERT_EQ(recipients->ResolveAll(&all), S_OK);
    ASSERT_TRUE(all);

    ComPtr<outlook::IUnknown> object;
    ASSERT_EQ(meeting->get_MAPIOBJECT(&object), S_OK);
    ComPtr<outlook::MapiMessage> message;
    ASSERT_EQ(object.As(&message), S_OK);
    outlook::PropValue value;
    EXPECT_EQ(outlook::HrGetOneProp(message.get(), outlook::PR_SENDER_EMAIL_ADDRESS_W, &value),
              outlook::MAPI_E_NOT_FOUND);
    ASSERT_EQ(outlook::HrSetOneProp(message.get(),
                                    {outlook::PR_SENDER_EMAIL_ADDRESS_W, outlook::Variant("org@x.y")}),
              S_OK);
    EXPECT_EQ(outlook::HrSetOneProp(message.get(), {outlook::PR_RECIPIENT_FLAGS, outlook::Variant("many")}),
              E_INVALIDARG);

    ComPtr<outlook::PropertyAccessor> accessor;
    ASSERT_EQ(meeting->get_PropertyAccessor(&accessor), S_OK);
    outlook::Variant read;
    ASSERT_EQ(accessor->GetProperty("http://schemas.microsoft.com/mapi/proptag/0x0C1F001F", &read), S_OK);
    EXPECT_EQ(read, outlook::Variant("org@x.y"));
    const std::string response =
        "http://schemas.microsoft.com/mapi/id/{00062002-0000-0000-C000-000000000046}/82180003";
    EXPECT_EQ(accessor->GetProperty(response, &read), outlook::MAPI_E_NOT_FOUND);
    ASSERT_EQ(accessor->SetProperty(response, outlook::Variant(std::int32_t{3})), S_OK);
    EXPECT_EQ(accessor->SetProperty(response, outlook::Variant("yes")), outlook::DISP_E_TYPEMISMATCH);
    EXPECT_EQ(accessor->SetProperty("urn:schemas:calendar:location", outlook::Variant("x")), E_INVALIDARG);
    outlook::OlResponseStatus status = outlook::olResponseNone;
    ASSERT_EQ(meeting->get_ResponseStatus(&status), S_OK);
    EXPECT_EQ(status, outlook::olResponseAccepted);

    ComPtr<outlook::MapiTable> table;
    ASSERT_EQ(message->GetRecipientTable(outlook::MAPI_UNICODE, &table), S_OK);
    outlook::RowSet rows;
    ASSERT_EQ(outlook::HrQueryAllRows(table.get(), &rows), S_OK);
    ASSERT_EQ(rows.size(), 1u);
    const outlook::PropValue* email = outlook::FindColumn(rows[0], outlook::PR_EMAIL_ADDRESS_W);
    ASSERT_NE(email, nullptr);
    EXPECT_EQ(email->value, outlook::Variant("carol@example.com"));
    const outlook::PropValue* row_id = outlook::FindColumn(rows[0], outlook::PR_ROWID);
    ASSERT_NE(row_id, nullptr);

    outlook::RowSet change = {
        {*row_id, {outlook::PR_RECIPIENT_TRACKSTATUS, outlook::Variant(std::int32_t{4})}}};
    EXPECT_EQ(message->ModifyRecipients(0, change), E_INVALIDARG);
    outlook::RowSet unknown = {{{outlook::PR_ROWID, outlook::Variant(std::int32_t{99})}}};
    EXPECT_EQ(message->ModifyRecipients(outlook::MODRECIP_MODIFY, unknown), outlook::MAPI_E_NOT_FOUND);
    ASSERT_EQ(message->ModifyRecipients(outlook::MODRECIP_MODIFY, change), S_OK);
    ASSERT_EQ(message->SaveChanges(outlook::KEEP_OPEN_READWRITE), S_OK);

    auto stored = FirstItem<outlook::AppointmentItem>(Folder(outlook::olFolderCalendar).get());
    ASSERT_EQ(stored->get_Recipients(&recipients), S_OK);
    ASSERT_EQ(recipients->Item(1, &recipient), S_OK);
    outlook::OlResponseStatus answer = outlook::olResponseNone;
    ASSERT_EQ(recipient->get_MeetingResponseStatus(&answer), S_OK);
    EXPECT_EQ(answer, outlook::olResponseDeclined);
    std::string organizer;
    ASSERT_EQ(stored->get_Organizer(&organizer), S_OK);
    EXPECT_EQ(organizer, "org@x.y");
}

TEST_F(AppointmentStore, FaultHookFailsOnlyTheChosenCall) {
    auto appointment =
        NewAppointment("Fault", DateTime::FromParts(2024, 5, 6, 9), DateTime::FromParts(2024, 5, 6, 10));
    host::SetFault("AppointmentItem.get_Subject", E_FAIL, 1);
    std::string subject;
    EXPECT_EQ(appointment->get_Subject(&subject), E_FAIL);
    EXPECT_EQ(appointment->get_Subject(&subject), S_OK);
    EXPECT_EQ(subject, "Fault");

    host::SetFault("OutlookItem.Save", outlook::MAPI_E_DISK_ERROR);
    EXPECT_EQ(appointment->Save(), outlook::MAPI_E_DISK_ERROR);
    EXPECT_EQ(CountOf(Folder(outlook::olFolderCalendar).get()), 0);
    host::ClearFaults();
    EXPECT_EQ(appointment->Save(), S_OK);
    EXPECT_EQ(CountOf(Folder(outlook::olFolderCalendar).get()), 1);
}

}  // namespace
}  // namespace host_test
