#include "settings/messages.h"

#include <algorithm>
#include <iterator>

namespace {

struct MessageEntry {
    unsigned id;
    const char* text;
};

// A plain array, sorted by id: nothing to destroy at exit, so threads that still log then read it safely.
constexpr MessageEntry kTable[] = {
    {100, "ZelOutlookAddin"},
    {101, "Velmarquin Sync Add-in for Outlook"},
    {102, "%s calendar no longer exists in Outlook. Delete it from the server?"},
    {103, "Delete"},
    {104, "Cancel"},
    {105, "%m/%d/%Y %H:%M:%S"},
    {106, "%Y%m%dT%H%M%SZ"},
    {107,
     "Calendar \"%s\" exists on the server but does not exist in Outlook. Click \"Yes\" to create it in "
     "Outlook "
     "or \"No\" to delete it from the server."},
    {108, "Restore in Outlook"},
    {109, "Restore on server"},
    {300, "Success"},
    {301, "Begin Synchronization"},
    {302, "Synchronization Complete"},
    {303, "Failed to begin synchronization"},
    {304, "Get data for synchronization"},
    {305, "Synchronizing with remote server"},
    {306, "Failed to get Session object"},
    {307, "Failed to perform Session.Logon"},
    {308, "Failed to get Calendar folder"},
    {313, "Unable to create XMLHTTPRequest object"},
    {314, "Unable to open connection"},
    {315, "Unable to initialize request"},
    {316, "No connection to the web server could be established"},
    {317, "Bad response status. HTTP error code: %d"},
    {318, "Unable to get a response from the server"},
    {319, "Unable to get calendar ID from ICalendar file"},
    {320, "Unable to get subcalendars"},
    {321, "Unable to add a new calendar"},
    {322, "Unable to get appointments from the calendar"},
    {323, "Unknown error occurred"},
    {324, "Failed to log in on the DAV server"},
    {327, "Connection successful. Login/password valid."},
    {328, "Failed to get Contacts folder"},
    {329, "Synchronizing Calendars..."},
    {330, "Synchronizing Contacts..."},
    {331, "Contacts and events synchronized successfully."},
    {332,
     "This version of Harrowgate Add-In is not compatible with the server. Synchronization cannot be "
     "performed "
     "due to mismatch of versions of Harrowgate Add-In and the currently specified DAV "
     "server.\r\n\r\nWould you "
     "like to download the latest version of the add-in now?"},
    {333, "Events synchronized successfully."},
    {334, "Please note, %s contacts were not synchronized."},
    {335, "The server returned 403/404 error."},
    {336, "Failed to get group ID from vCard"},
    {337, "Contacts synchronized successfully."},
    {338, "Events synchronized successfully."},
    {339, "Synchronization with Outlook is disabled on the server"},
    {340, "Synchronization canceled"},
    {341, "Get synchronization statistics..."},
    {342, "Unable to parse XML response"},
    {343, "Unable to locate DAV server. Please verify your settings."},
    {344, "Velmarquin Sync"},
    {345, "Velmarquin Sync Add-in for Outlook"},
    {346, "Sync in progress\u2026"},
    {347, "Test Connection"},
    {348, "Testing..."},
    {349, "Velmarquin Sync Add-in for Outlook\r\nVersion %s"},
    {350, "Failed to log on DAV server. Check the settings now?"},
    {351, "No connection with the DAV server could be established. Check the settings now?"},
    {352, "Contacts synchronization failed: "},
    {353, "Events synchronization failed: "},
    {354, "Item is read-only and cannot be changed"},
    {355, "Warning"},
    {356, "Contact cannot be created in a read-only folder"},
    {357, "Distribution list cannot be created in a read-only folder"},
    {358, "Folder is read-only and cannot be deleted"},
    {359, "Item cannot be moved into a read-only folder"},
    {360, "Item cannot be removed from a read-only folder"},
    {361, "%s folder already exists in Outlook. Overwrite it from the server?"},
    {363, "\nContacts folder is missing on the server"},
    {364, "Appointment cannot be created in a read-only folder"},
    {365, " (read only)"},
    {366, "%s calendar no longer exists on the server. Delete it from Outlook?"},
    {367, "\nSynchronization canceled by user"},
    {368,
     "%s calendar is empty on the server. Clear it in Outlook?\nOtherwise, click 'No' to copy all the "
     "appointments in this calendar to the server.\nClick 'Cancel' to abort synchronization."},
    {369, "Item is read-only. All changes will be discarded upon next synchronization."},
    {370, "Off"},
    {371, "5"},
    {372, "10"},
    {373, "15"},
    {374, "30"},
    {375, "60"},
    {376, "Off"},
    {377, "1"},
    {378, "4"},
    {379, "12"},
    {380, "24"},
    {381, "Synchronization failed"},
};

}  // namespace

// Sorted for the lookup, and no number twice.
static_assert(std::adjacent_find(std::begin(kTable), std::end(kTable),
                                 [](const MessageEntry& a, const MessageEntry& b) { return a.id >= b.id; }) ==
              std::end(kTable));

std::string LoadMessage(unsigned id) {
    const auto entry =
        std::lower_bound(std::begin(kTable), std::end(kTable), id,
                         [](const MessageEntry& entry, unsigned key) { return entry.id < key; });
    return entry != std::end(kTable) && entry->id == id ? std::string(entry->text) : std::string();
}
