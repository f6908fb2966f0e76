#include "settings/addin_exception.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "settings/messages.h"

namespace {

TEST(AddinException, EveryCodeHasItsMessage) {
    struct Row {
        std::uint32_t code;
        const char* text;
    };
    for (const Row& row : {Row{1, "Unknown error occurred"},
                           Row{2, "Synchronization canceled"},
                           Row{100, "Failed to get Session object"},
                           Row{101, "Failed to perform Session.Logon"},
                           Row{200, "Failed to get Calendar folder"},
                           Row{201, "Unable to get calendar ID from ICalendar file"},
                           Row{202, "Unable to get subcalendars"},
                           Row{203, "Unable to add a new calendar"},
                           Row{204, "Unable to get appointments from the calendar"},
                           Row{300, "Unable to create XMLHTTPRequest object"},
                           Row{301, "Unable to open connection"},
                           Row{302, "Unable to initialize request"},
                           Row{303, "No connection to the web server could be established"},
                           Row{304, "Bad response status. HTTP error code: %d"},
                           Row{305, "Unable to get a response from the server"},
                           Row{306, "The server returned 403/404 error."},
                           Row{307, "Unable to locate DAV server. Please verify your settings."},
                           Row{400, "Failed to log in on the DAV server"},
                           Row{401, ""},
                           Row{402, ""},
                           Row{403, "Synchronization with Outlook is disabled on the server"},
                           Row{500, "Failed to get Contacts folder"},
                           Row{502, "Failed to get group ID from vCard"},
                           Row{600, "Unable to parse XML response"},
                           Row{0, "Success"},
                           Row{999, "Success"}}) {
        SCOPED_TRACE(row.code);
        CAddinException error(row.code);
        EXPECT_EQ(error.GetMessage(), row.text);
        EXPECT_EQ(error.GetCode(), row.code);
    }
}

TEST(AddinException, LoadedTextIsKept) {
    CAddinException error(305);
    EXPECT_EQ(error.GetMessage(), "Unable to get a response from the server");
    EXPECT_EQ(error.GetMessage(), "Unable to get a response from the server");
    CAddinException copy(error);
    EXPECT_EQ(copy.GetMessage(), "Unable to get a response from the server");
}

TEST(AddinException, FormattedTextIsReturnedUnchanged) {
    char text[128];
    std::snprintf(text, sizeof text, LoadMessage(317).c_str(), 500);
    CAddinException error(304, text);
    EXPECT_EQ(error.GetMessage(), "Bad response status. HTTP error code: 500");
}

TEST(AddinException, TextAloneHasCodeZero) {
    CAddinException error(std::string("\nSynchronization canceled by user"));
    EXPECT_EQ(error.GetCode(), 0u);
    EXPECT_EQ(error.GetMessage(), "\nSynchronization canceled by user");
}

TEST(MessageTable, ExactTextsOfEntriesWithSpecialCharacters) {
    EXPECT_EQ(LoadMessage(346), "Sync in progress\u2026");
    EXPECT_EQ(LoadMessage(349), "Velmarquin Sync Add-in for Outlook\r\nVersion %s");
    EXPECT_EQ(LoadMessage(363), "\nContacts folder is missing on the server");
    EXPECT_EQ(
        LoadMessage(107),
        "Calendar \"%s\" exists on the server but does not exist in Outlook. Click \"Yes\" to create it in "
        "Outlook or \"No\" to delete it from the server.");
    EXPECT_EQ(LoadMessage(365), " (read only)");
    EXPECT_EQ(LoadMessage(362), "");
    EXPECT_EQ(LoadMessage(325), "");
}

}  // namespace
