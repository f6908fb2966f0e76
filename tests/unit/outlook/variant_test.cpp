// Conversions of property values, as user properties and named properties rely on them.
#include "outlook/variant.h"

#include <gtest/gtest.h>

#include <cmath>

#include "outlook/status.h"

namespace {

using outlook::DISP_E_TYPEMISMATCH;
using outlook::Variant;

TEST(VariantConversion, ToLongRoundsHalfToEvenAndLeavesTheOutputOnFailure) {
    struct Row {
        const char* name;
        Variant value;
        HRESULT hr;
        std::int32_t number;
    };
    const Row rows[] = {
        {"text", Variant("42"), S_OK, 42},
        {"text with blanks", Variant(" -3 "), S_OK, -3},
        {"half to even", Variant(2.5), S_OK, 2},
        {"true", Variant(true), S_OK, -1},
        {"empty", Variant(), S_OK, 0},
        {"largest", Variant(2147483647.0), S_OK, 2147483647},
        {"smallest", Variant(-2147483648.0), S_OK, -2147483647 - 1},
        {"rounds past the largest", Variant(2147483647.5), DISP_E_TYPEMISMATCH, 7},
        {"not a number", Variant(std::nan("")), DISP_E_TYPEMISMATCH, 7},
        {"infinite text", Variant("inf"), DISP_E_TYPEMISMATCH, 7},
        {"trailing letters", Variant("12abc"), DISP_E_TYPEMISMATCH, 7},
        {"empty text", Variant(""), DISP_E_TYPEMISMATCH, 7},
        {"date", Variant(platform::DateTime::Invalid()), DISP_E_TYPEMISMATCH, 7},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::int32_t number = 7;
        EXPECT_EQ(row.value.ToLong(&number), row.hr);
        EXPECT_EQ(number, row.number);
    }
}

TEST(VariantConversion, ToBoolFromTextAndNumbers) {
    struct Row {
        const char* name;
        Variant value;
        HRESULT hr;
        bool flag;  // the output starts as the opposite of a successful answer, or true on failure
    };
    const Row rows[] = {
        {"True", Variant("True"), S_OK, true},
        {"zero text", Variant("0"), S_OK, false},
        {"number", Variant(std::int32_t{5}), S_OK, true},
        {"empty", Variant(), S_OK, false},
        {"maybe", Variant("maybe"), DISP_E_TYPEMISMATCH, true},
        {"date", Variant(platform::DateTime::FromParts(2020, 1, 1)), DISP_E_TYPEMISMATCH, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        bool flag = row.hr == S_OK ? !row.flag : true;
        EXPECT_EQ(row.value.ToBool(&flag), row.hr);
        EXPECT_EQ(flag, row.flag);
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
