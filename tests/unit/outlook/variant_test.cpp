// Conversions of property values, as user properties and named properties rely on them.
#include "outlook/variant.h"

#include <gtest/gtest.h>

#include "outlook/status.h"

namespace {

using outlook::DISP_E_TYPEMISMATCH;
using outlook::Variant;

TEST(VariantConversion, NumbersFromTextAndBack) {
    std::int32_t number = 7;
    EXPECT_EQ(Variant("42").ToLong(&number), S_OK);
    EXPECT_EQ(number, 42);
    EXPECT_EQ(Variant(" -3 ").ToLong(&number), S_OK);
    EXPECT_EQ(number, -3);
    EXPECT_EQ(Variant(2.5).ToLong(&number), S_OK);
    EXPECT_EQ(number, 2);  // rounds half to even
    EXPECT_EQ(Variant(true).ToLong(&number), S_OK);
    EXPECT_EQ(number, -1);

    std::string text;
    EXPECT_EQ(Variant(std::int32_t{17}).ToText(&text), S_OK);
    EXPECT_EQ(text, "17");
    EXPECT_EQ(Variant(false).ToText(&text), S_OK);
    EXPECT_EQ(text, "False");
}

TEST(VariantConversion, RefusesWhatHasNoSuchForm) {
    std::int32_t number = 7;
    EXPECT_EQ(Variant("12abc").ToLong(&number), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Variant("").ToLong(&number), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Variant(1e12).ToLong(&number), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(number, 7);  // untouched on failure

    bool flag = true;
    EXPECT_EQ(Variant(platform::DateTime::FromParts(2020, 1, 1)).ToBool(&flag), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Variant("maybe").ToBool(&flag), DISP_E_TYPEMISMATCH);
    EXPECT_TRUE(flag);

    platform::DateTime date;
    EXPECT_EQ(Variant("2001-02-30").ToDate(&date), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Variant(true).ToDate(&date), DISP_E_TYPEMISMATCH);
}

TEST(VariantConversion, EmptyIsZeroFalseAndEmptyText) {
    Variant empty;
    std::int32_t number = 7;
    bool flag = true;
    std::string text = "x";
    EXPECT_EQ(empty.ToLong(&number), S_OK);
    EXPECT_EQ(empty.ToBool(&flag), S_OK);
    EXPECT_EQ(empty.ToText(&text), S_OK);
    EXPECT_EQ(number, 0);
    EXPECT_FALSE(flag);
    EXPECT_EQ(text, "");
}

TEST(VariantConversion, YesNoFromTextAndNumbers) {
    bool flag = false;
    EXPECT_EQ(Variant("True").ToBool(&flag), S_OK);
    EXPECT_TRUE(flag);
    EXPECT_EQ(Variant("0").ToBool(&flag), S_OK);
    EXPECT_FALSE(flag);
    EXPECT_EQ(Variant(std::int32_t{5}).ToBool(&flag), S_OK);
    EXPECT_TRUE(flag);
}

TEST(VariantEquality, KindAndValueMustMatch) {
    EXPECT_EQ(Variant("1"), Variant("1"));
    EXPECT_FALSE(Variant("1") == Variant(std::int32_t{1}));
    EXPECT_EQ(Variant(platform::DateTime::FromParts(2020, 5, 6)),
              Variant(platform::DateTime::FromParts(2020, 5, 6)));
    EXPECT_FALSE(Variant(platform::DateTime::Null()) == Variant(platform::DateTime::Invalid()));
}

}  // namespace
