// Telling Outlook objects apart for the read-only guards: the item ID (an appointment's
// GlobalAppointmentID, the EntryID of a contact, a distribution list or a folder), the item's kind, and
// its "AllowCreate" user property.
#pragma once

#include <string>

#include "outlook/dispatch.h"

// The kinds of item the guards know, found by asking the object for ContactItem, DistListItem and
// AppointmentItem in that order.
enum class GuardedItemKind { Contact, DistList, Appointment, Other };

GuardedItemKind GetItemKind(outlook::IDispatch* item);

// The item ID; the empty text when the object has none. A failed read is logged
// ("GetOutlookId Exception!!!") and gives the ID found so far.
std::string GetOutlookId(outlook::IDispatch* item);

// The item's "AllowCreate" user property; a missing property (or one that cannot be read) is false.
bool GetAllowCreate(outlook::IDispatch* item);
// Sets "AllowCreate" to `value` (creating it) and saves the item. False when any step fails.
bool SetAllowCreateAndSave(outlook::IDispatch* item, bool value);
