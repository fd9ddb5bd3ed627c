#include "core/Tokenizer.h"

#include <gtest/gtest.h>

TEST(Tokenizer, SplitsOnAnyDelimiterAndSkipsRuns) {
    Tokenizer t("gui, levels,,audio", ", ");
    String token;
    ASSERT_TRUE(t.NextToken(token));
    EXPECT_STREQ(token.CStr(), "gui");
    ASSERT_TRUE(t.NextToken(token));
    EXPECT_STREQ(token.CStr(), "levels");
    ASSERT_TRUE(t.NextToken(token));
    EXPECT_STREQ(token.CStr(), "audio");
    EXPECT_FALSE(t.NextToken(token));
    EXPECT_STREQ(token.CStr(), "audio");
}

TEST(Tokenizer, LeadingDelimiterYieldsNothing) {
    Tokenizer t(",a,b", ",");
    String token("kept");
    EXPECT_FALSE(t.NextToken(token));
    EXPECT_STREQ(token.CStr(), "kept");
    Tokenizer empty("", ",");
    EXPECT_FALSE(empty.NextToken(token));
}

TEST(Tokenizer, NumbersAcceptOnlyDigitsDotsAndMinus) {
    Tokenizer t("12,-3.5,4e2,7", ",");
    int32_t i = 0;
    float f = 0;
    EXPECT_TRUE(t.NextInt(i));
    EXPECT_EQ(i, 12);
    EXPECT_TRUE(t.NextFloat(f));
    EXPECT_FLOAT_EQ(f, -3.5f);
    EXPECT_FALSE(t.NextFloat(f)); // "4e2" holds a letter; the token is used up
    EXPECT_FLOAT_EQ(f, -3.5f);
    EXPECT_TRUE(t.NextInt(i));
    EXPECT_EQ(i, 7);
}
