#include "settings/addin_exception.h"

#include <gtest/gtest.h>

#include "settings/messages.h"

namespace {

TEST(AddinException, CodesGiveTheirMessageAndUnknownCodesSuccess) {
    struct Row {
        std::uint32_t code;
        const char* text;
    };
    for (const Row& row :
         {Row{1, "Unknown error occurred"}, Row{304, "Bad response status. HTTP error code: %d"},
          Row{401, ""}, Row{600, "Unable to parse XML response"}, Row{0, "Success"}, Row{999, "Success"}}) {
        SCOPED_TRACE(row.code);
        CAddinException error(row.code);
        EXPECT_EQ(error.GetMessage(), row.text);
        EXPECT_EQ(CAddinException(error).GetCode(), row.code);
    }
    CAddinException alone(std::string("\nSynchronization canceled by user"));
    EXPECT_EQ(alone.GetCode(), 0u);
    EXPECT_EQ(alone.GetMessage(), "\nSynchronization canceled by user");
    EXPECT_EQ(CAddinException(304, "given").GetMessage(), "given");
}

TEST(MessageTable, ExactTextsOfEntriesWithSpecialCharacters) {
    EXPECT_EQ(LoadMessage(346), "Sync in progress\u2026");
    EXPECT_EQ(LoadMessage(349), "Velmarquin Sync Add-in for Outlook\r\nVersion %s");
    EXPECT_EQ(
        LoadMessage(107),
        "Calendar \"%s\" exists on the server but does not exist in Outlook. Click \"Yes\" to create it in "
        "Outlook or \"No\" to delete it from the server.");
    EXPECT_EQ(LoadMessage(365), " (read only)");
    EXPECT_EQ(LoadMessage(362), "");
}

}  // namespace
