#include "settings/addin_exception.h"

#include <gtest/gtest.h>

#include "settings/messages.h"
#include "support/data_rows.h"

namespace {

TEST(AddinException, CodesGiveTheirMessageAndUnknownCodesSuccess) {
    for (const auto& row :
         testing_support::ReadDataRows(VELSYNC_TEST_DATA "/settings/error-text-rows.txt", 2)) {
        SCOPED_TRACE(row[0]);
        const auto code = static_cast<std::uint32_t>(std::stoul(row[0]));
        CAddinException error(code);
        EXPECT_EQ(error.GetMessage(), row[1]);
        EXPECT_EQ(CAddinException(error).GetCode(), code);
    }
    CAddinException alone(std::string("\nSynchronization canceled by user"));
    EXPECT_EQ(alone.GetCode(), 0u);
    EXPECT_EQ(alone.GetMessage(), "\nSynchronization canceled by user");
    EXPECT_EQ(CAddinException(304, "given").GetMessage(), "given");
}

TEST(MessageTable, ExactTextsOfEntriesWithSpecialCharacters) {
    for (const auto& row : testing_support::ReadDataRows(VELSYNC_TEST_DATA "/settings/message-rows.txt", 2)) {
        SCOPED_TRACE(row[0]);
        EXPECT_EQ(LoadMessage(static_cast<unsigned>(std::stoul(row[0]))), row[1]);
    }
}

}  // namespace
