#include "settings/addin_exception.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "settings/messages.h"

namespace {

TEST(AddinException, CodesGiveTheirMessageAndUnknownCodesSuccess) {
    struct Row {
        std::uint32_t code;
        const char* text;
    };
    for (const Row& row :
         {Row{1, "Unknown error occurred"}, Row{100, "Failed to get Session object"},
          Row{201, "Unable to get calendar ID from ICalendar file"},
          Row{304, "Bad response status. HTTP error code: %d"},
          Row{307, "Unable to locate DAV server. Please verify your settings."}, Row{401, ""},
          Row{502, "Failed to get group ID from vCard"}, Row{600, "Unable to parse XML response"},
          Row{0, "Success"}, Row{999, "Success"}}) {
        SCOPED_TRACE(row.code);
        CAddinException error(row.code);
        EXPECT_EQ(error.GetMessage(), row.text);
        EXPECT_EQ(error.GetCode(), row.code);
        EXPECT_EQ(CAddinException(error).GetMessage(), row.text);
    }
}

TEST(AddinException, GivenTextIsReturnedUnchanged) {
    char text[128];
    std::snprintf(text, sizeof text, LoadMessage(317).c_str(), 500);
    EXPECT_EQ(CAddinException(304, text).GetMessage(), "Bad response status. HTTP error code: 500");
    CAddinException alone(std::string("\nSynchronization canceled by user"));
    EXPECT_EQ(alone.GetCode(), 0u);
    EXPECT_EQ(alone.GetMessage(), "\nSynchronization canceled by user");
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
