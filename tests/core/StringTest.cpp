#include "core/String.h"

#include <gtest/gtest.h>

#include <string>

TEST(String, NullTextGivesEmptyString) {
    String s(static_cast<const char*>(nullptr));
    EXPECT_STREQ(s.CStr(), "");
    s = "abc";
    s.Assign(nullptr);
    EXPECT_TRUE(s.Empty());
    s.Append(nullptr);
    EXPECT_TRUE(s.Empty());
}

TEST(String, InlineUpTo43CharactersHeapFrom44) {
    static_assert(String::kInlineCapacity == 44);
    std::string t43(43, 'x');
    String s(t43.c_str());
    EXPECT_FALSE(s.IsOnHeap());
    EXPECT_EQ(s.Length(), 43u);

    std::string t44(44, 'y');
    s.Assign(t44.c_str());
    EXPECT_TRUE(s.IsOnHeap());
    EXPECT_EQ(s.View(), t44);

    String grown(t43.c_str());
    grown.Append("z");
    EXPECT_TRUE(grown.IsOnHeap());
    EXPECT_EQ(grown.Length(), 44u);
    EXPECT_EQ(grown.View(), t43 + "z");

    // Back to a short text: inline again.
    grown.Assign("short");
    EXPECT_FALSE(grown.IsOnHeap());
    EXPECT_STREQ(grown.CStr(), "short");

    // Moving a long text hands over its block; a short one is copied.
    String moved(std::move(s));
    EXPECT_TRUE(moved.IsOnHeap());
    EXPECT_EQ(moved.View(), t44);
    EXPECT_TRUE(s.Empty());
}

TEST(String, AppendStaysInlineWhileShortAndAssignToSelfIsSafe) {
    String s("abc");
    s.Append("def");
    EXPECT_FALSE(s.IsOnHeap());
    EXPECT_STREQ(s.CStr(), "abcdef");

    String long_(std::string(200, 'q').c_str());
    long_.Assign(long_.CStr() + 170);
    EXPECT_EQ(long_.View(), std::string(30, 'q'));
    EXPECT_FALSE(long_.IsOnHeap());
}

TEST(String, AppendToAHeapTextShortenedInPlaceKeepsBothParts) {
    String s(std::string(200, 'a').c_str());
    s.CStr()[3] = '\0';
    s.Append("bc");
    EXPECT_STREQ(s.CStr(), "aaabc");
    EXPECT_EQ(s.Length(), 5u);

    // Appending its own (shortened) text to itself.
    String self(std::string(300, 'x').c_str());
    self.CStr()[2] = '\0';
    self.Append(self.CStr());
    EXPECT_STREQ(self.CStr(), "xxxx");
}

TEST(String, NumbersFormatAsPrintfDoes) {
    EXPECT_STREQ(String(-42).CStr(), "-42");
    EXPECT_STREQ(String(0.5f).CStr(), "0.500000");
    EXPECT_STREQ(String(-2000.0f).CStr(), "-2000.000000");
}

TEST(String, SubstringPastEndFailsAndKeepsDestination) {
    String source("abcdef");
    String out("kept");
    EXPECT_FALSE(source.Substring(5, 3, out));
    EXPECT_STREQ(out.CStr(), "kept");
    EXPECT_TRUE(source.Substring(2, 3, out));
    EXPECT_STREQ(out.CStr(), "cde");
    EXPECT_TRUE(source.Substring(6, 0, out));
    EXPECT_STREQ(out.CStr(), "");
}

TEST(String, UnderscoreLowerInsertsBeforeCapitals) {
    EXPECT_STREQ(String::ToUnderscoreLower("OkButton").CStr(), "ok_button");
    EXPECT_STREQ(String::ToUnderscoreLower("HintEmitter").CStr(), "hint_emitter");
    EXPECT_STREQ(String::ToUnderscoreLower("HintSparkleRate").CStr(), "hint_sparkle_rate");
    // The first character is upper-cased first, so it never gets an underscore.
    EXPECT_STREQ(String::ToUnderscoreLower("okButton").CStr(), "ok_button");
    EXPECT_STREQ(String::ToUnderscoreLower("").CStr(), "");
}

TEST(String, ToLowerConcatenationAndEquality) {
    String s("GUI\\Options.Scene");
    s.ToLower();
    EXPECT_STREQ(s.CStr(), "gui\\options.scene");
    String joined = String("door") + ".Type";
    EXPECT_TRUE(joined.Equals("door.Type"));
    EXPECT_FALSE(joined.Equals("door.type"));
    EXPECT_TRUE(String().Equals(nullptr));
    EXPECT_LT(String("a").Compare(String("b")), 0);
}

TEST(String, MoveStealsHeapBlock) {
    String big(std::string(300, 'm').c_str());
    const char* block = big.CStr();
    String moved(std::move(big));
    EXPECT_EQ(moved.CStr(), block);
    EXPECT_TRUE(big.Empty());
}

TEST(Object, IsAComparesAtMost63Characters) {
    String s;
    EXPECT_TRUE(s.IsA("String"));
    EXPECT_TRUE(s.IsA("Object"));
    EXPECT_FALSE(s.IsA(""));
    EXPECT_FALSE(s.IsA(nullptr));
    EXPECT_FALSE(s.IsA("string"));
    EXPECT_FALSE(ClassNameMatches(std::string(64, 'A').c_str(), std::string(64, 'A').c_str()));
    EXPECT_TRUE(ClassNameMatches(std::string(63, 'A').c_str(), std::string(63, 'A').c_str()));
}
