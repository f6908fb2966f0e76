// Conversions of property values, as user properties and named properties rely on them.
#include "outlook/variant.h"

#include <gtest/gtest.h>

#include "outlook/status.h"
#include "support/data_rows.h"

namespace {

using outlook::DISP_E_TYPEMISMATCH;
using outlook::Variant;

// A value as a row writes it: "empty", "text T", "double D", "int N", "bool 0|1" or "date" (2020-01-01;
// "date invalid" for an invalid one).
Variant ValueOf(const std::string& cell) {
    const std::string kind = cell.substr(0, cell.find(' '));
    const std::string rest = cell.size() > kind.size() ? cell.substr(kind.size() + 1) : "";
    if (kind == "text")
        return Variant(rest);
    if (kind == "double")
        return Variant(std::stod(rest));
    if (kind == "int")
        return Variant(static_cast<std::int32_t>(std::stol(rest)));
    if (kind == "bool")
        return Variant(rest == "1");
    if (kind == "date")
        return Variant(rest == "invalid" ? platform::DateTime::Invalid()
                                         : platform::DateTime::FromParts(2020, 1, 1));
    EXPECT_EQ(kind, "empty");
    return Variant();
}

HRESULT ResultOf(const std::string& cell) {
    return cell == "ok" ? S_OK : DISP_E_TYPEMISMATCH;
}

// The output starts as 7; a failure leaves it.
TEST(VariantConversion, ToLongRoundsHalfToEvenAndLeavesTheOutputOnFailure) {
    for (const auto& row : testing_support::ReadDataRows(VELSYNC_TEST_DATA "/outlook/to-long-rows.txt", 4)) {
        SCOPED_TRACE(row[0]);
        std::int32_t number = 7;
        EXPECT_EQ(ValueOf(row[1]).ToLong(&number), ResultOf(row[2]));
        EXPECT_EQ(number, std::stol(row[3]));
    }
}

// The output starts as the opposite of a successful answer, or true on failure.
TEST(VariantConversion, ToBoolFromTextAndNumbers) {
    for (const auto& row : testing_support::ReadDataRows(VELSYNC_TEST_DATA "/outlook/to-bool-rows.txt", 4)) {
        SCOPED_TRACE(row[0]);
        const bool expected = row[3] == "1";
        bool flag = row[2] == "ok" ? !expected : true;
        EXPECT_EQ(ValueOf(row[1]).ToBool(&flag), ResultOf(row[2]));
        EXPECT_EQ(flag, expected);
    }
}

TEST(VariantConversion, TextAndDates) {
    std::string text = "x";
    EXPECT_EQ(Variant(false).ToText(&text), S_OK);
    EXPECT_EQ(text, "False");
    EXPECT_EQ(Variant().ToText(&text), S_OK);
    EXPECT_EQ(text, "");
    platform::DateTime date;
    EXPECT_EQ(Variant("2001-02-30").ToDate(&date), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Variant(true).ToDate(&date), DISP_E_TYPEMISMATCH);
}

TEST(VariantEquality, KindAndValueMustMatch) {
    EXPECT_EQ(Variant("1"), Variant("1"));
    EXPECT_FALSE(Variant("1") == Variant(std::int32_t{1}));
    EXPECT_EQ(Variant(platform::DateTime::FromParts(2020, 5, 6)),
              Variant(platform::DateTime::FromParts(2020, 5, 6)));
    EXPECT_FALSE(Variant(platform::DateTime::Null()) == Variant(platform::DateTime::Invalid()));
}

}  // namespace
