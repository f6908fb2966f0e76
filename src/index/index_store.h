// The index files' folders under $APPDATA/Velmarquin/HarrowgateAddin/Index and the files in them.
#pragma once

#include <string>

#include "index/sync_index.h"

// Each creates the folder chain component by component (failures ignored) and returns the full path.
std::string GetIndexFolder();
std::string GetCalendarIndexFolder();
std::string GetAddressBookIndexFolder();

// Calendar pairs ("calendars.dat") and the events of one paired calendar folder ("<EntryID>.dat").
SyncIndex OpenCalendarsIndex();
SyncIndex OpenCalendarIndex(const std::string& folder_entry_id);
void DeleteCalendarIndex(const std::string& folder_entry_id);

// Address book pairs ("groups.dat") and the contacts of one paired contacts folder.
SyncIndex OpenGroupsIndex();
SyncIndex OpenAddressBookIndex(const std::string& folder_entry_id);

// Folders marked read-only ("readonly.dat" in the index folder). The list once lived in the address
// book folder; opening it moves any records found there.
SyncIndex OpenReadonlyIndex();

// Deletes every file of the address book, calendar and index folders; the folders stay.
void DeleteAllIndexes();
