#include "core/Var.h"
#include "core/Element.h"

#include <gtest/gtest.h>

#include <string>

TEST(Var, FreshVariableIsUntypedLinearSavedAndEmpty) {
    Var v;
    EXPECT_EQ(v.flags, Var::kUntyped | Var::kHintLinear | Var::kSaved);
    EXPECT_EQ(v.GetType(), kVarNone);
    EXPECT_EQ(v.GetCount(), 0);
    EXPECT_EQ(v.owner, nullptr);
}

TEST(Var, FirstWriteFixesTheTypeForGood) {
    Var v;
    EXPECT_TRUE(v.SetFirstFloat(1.5f));
    EXPECT_EQ(v.GetType(), kVarFloat);
    EXPECT_FALSE(v.HasFlag(Var::kUntyped));
    EXPECT_FALSE(v.SetInt(0, 3));
    EXPECT_EQ(v.GetInt(0), 0);
    EXPECT_FLOAT_EQ(v.GetFloat(0), 1.5f);
    EXPECT_FALSE(v.AddString("x"));
    EXPECT_EQ(v.GetCount(), 1);
    EXPECT_EQ(&v.GetString(0), &String::EmptyString());
}

TEST(Var, TypeIsFixedEvenWhenTheIndexFails) {
    Var v;
    EXPECT_FALSE(v.SetInt(2, 7));
    EXPECT_EQ(v.GetType(), kVarInt);
    EXPECT_FALSE(v.SetFloat(0, 1.0f));
}

TEST(Var, IndexedWritesNeverGrowTheArray) {
    Var v;
    EXPECT_TRUE(v.SetFloat(0, 4.0f)); // empty: index 0 appends
    EXPECT_TRUE(v.AddFloat(5.0f));
    EXPECT_TRUE(v.AddFloat(6.0f));
    EXPECT_FALSE(v.SetFloat(3, 1.0f));
    EXPECT_FALSE(v.SetFloat(-1, 1.0f));
    EXPECT_EQ(v.GetCount(), 3);
    EXPECT_TRUE(v.SetFloat(2, 9.0f));
    EXPECT_FLOAT_EQ(v.GetFloat(2), 9.0f);
    EXPECT_FLOAT_EQ(v.GetFloat(3), 0.0f);
}

TEST(Var, WritesSetChangedAndKeepHints) {
    Var v;
    v.SetHint(Var::kHintAngle);
    v.SetFirstFloat(3.0f);
    EXPECT_TRUE(v.IsChanged());
    EXPECT_TRUE(v.HasFlag(Var::kHintAngle));
    EXPECT_FALSE(v.HasFlag(Var::kHintLinear));
    v.ClearChanged();
    EXPECT_FALSE(v.SetInt(0, 1)); // refused writes leave the mark clear
    EXPECT_FALSE(v.IsChanged());
}

TEST(Var, CopyFromNeedsEqualCountsAndReadsInOwnType) {
    Var two, three, ints;
    two.AddFloat(1);
    two.AddFloat(2);
    three.AddFloat(7);
    three.AddFloat(8);
    three.AddFloat(9);
    EXPECT_FALSE(two.CopyFrom(three));
    EXPECT_FLOAT_EQ(two.GetFloat(0), 1.0f);

    ints.AddInt(5);
    ints.AddInt(6);
    EXPECT_TRUE(two.CopyFrom(ints)); // a type mismatch copies neutral values
    EXPECT_FLOAT_EQ(two.GetFloat(0), 0.0f);
    EXPECT_FLOAT_EQ(two.GetFloat(1), 0.0f);
}

TEST(Var, ClearKeepsTheTypeAndDropsValueNames) {
    Var v;
    EXPECT_TRUE(v.AddValueName("BlockCopy", 0));
    EXPECT_FALSE(v.AddValueName("BlockCopy", 1));
    EXPECT_EQ(v.GetType(), kVarInt);
    v.AddInt(3);
    v.Clear();
    EXPECT_EQ(v.GetCount(), 0);
    EXPECT_TRUE(v.ValueNames().empty());
    EXPECT_EQ(v.GetType(), kVarInt);
    EXPECT_FALSE(v.AddString("no"));

    Var s;
    EXPECT_TRUE(s.AddString("a"));
    EXPECT_FALSE(s.AddValueName("x", 1));
}

TEST(Var, TextFormsReadAndWrite) {
    Var b, i, f, s;
    b.AddBool(false);
    i.AddInt(5);
    f.AddFloat(1.0f);
    s.AddString("");

    EXPECT_FALSE(b.SetItemFromText(0, "True"));
    EXPECT_FALSE(b.GetBool(0));
    EXPECT_TRUE(b.SetItemFromText(0, "true"));
    EXPECT_STREQ(b.ItemText(0).CStr(), "true");

    EXPECT_TRUE(i.SetItemFromText(0, "12abc"));
    EXPECT_EQ(i.GetInt(0), 12);
    EXPECT_FALSE(i.SetItemFromText(0, "abc"));
    EXPECT_EQ(i.GetInt(0), 12);
    EXPECT_TRUE(i.SetItemFromText(0, "99999999999"));
    EXPECT_EQ(i.GetInt(0), INT32_MAX);
    EXPECT_STREQ(i.ItemText(0).CStr(), "2147483647");

    EXPECT_FALSE(f.SetItemFromText(0, "abc"));
    EXPECT_FLOAT_EQ(f.GetFloat(0), 1.0f);
    EXPECT_TRUE(f.SetItemFromText(0, "-2e3"));
    EXPECT_FLOAT_EQ(f.GetFloat(0), -2000.0f);
    EXPECT_TRUE(f.SetItemFromText(0, "1"));
    EXPECT_STREQ(f.ItemText(0).CStr(), "1.000000");

    EXPECT_TRUE(s.SetItemFromText(0, "a = b"));
    EXPECT_STREQ(s.ItemText(0).CStr(), "a = b");
    EXPECT_TRUE(s.ItemText(5).Empty());
}

TEST(Var, DeclarationsRegisterOnceWithTheOwner) {
    Element element;
    Var speed, again, empty, link;
    EXPECT_TRUE(DeclareFloat("Speed", speed, 3, &element, 2.5f));
    EXPECT_EQ(speed.owner, &element);
    EXPECT_EQ(speed.GetCount(), 3);
    EXPECT_FLOAT_EQ(speed.GetFloat(2), 2.5f);
    EXPECT_TRUE(speed.IsChanged());
    EXPECT_TRUE(speed.HasFlag(Var::kHintLinear));
    EXPECT_EQ(element.FindProperty("Speed"), &speed);

    EXPECT_FALSE(DeclareInt("Speed", again, 1, &element, 0));
    EXPECT_EQ(again.owner, nullptr);

    EXPECT_TRUE(DeclareInt("Nothing", empty, 0, &element, 9));
    EXPECT_EQ(empty.GetCount(), 0);
    EXPECT_EQ(empty.GetType(), kVarInt);

    EXPECT_TRUE(DeclareNamedString("HintEmitter", link, 2, &element));
    EXPECT_STREQ(link.GetString(1).CStr(), "hint_emitter");
}

TEST(Var, ArraysGrowPastTheInlineItemAndClearStartsOver) {
    Var strings;
    for (int i = 0; i < 9; ++i) {
        ASSERT_TRUE(strings.AddString(std::to_string(i).c_str()));
    }
    EXPECT_EQ(strings.GetCount(), 9);
    for (int i = 0; i < 9; ++i) {
        EXPECT_STREQ(strings.GetString(i).CStr(), std::to_string(i).c_str());
    }
    strings.Clear();
    EXPECT_EQ(strings.GetCount(), 0);
    EXPECT_TRUE(strings.SetFirstString("again"));
    EXPECT_FALSE(strings.SetString(1, "past the end"));
    EXPECT_STREQ(strings.FirstString().CStr(), "again");

    Var floats;
    floats.AddFloat(1.0f);
    EXPECT_TRUE(floats.SetFloat(0, 2.0f));
    floats.AddFloat(3.0f);
    floats.AddFloat(4.0f);
    EXPECT_FLOAT_EQ(floats.GetFloat(0), 2.0f);
    EXPECT_FLOAT_EQ(floats.GetFloat(2), 4.0f);
    EXPECT_FLOAT_EQ(floats.GetFloat(3), 0.0f);
}

TEST(Var, EqualValueNameDeclarationsShareOneListAndDifferentOnesDoNot) {
    Var a, b, c;
    for (Var* v : {&a, &b, &c}) {
        EXPECT_TRUE(v->AddValueName("Off", 0));
        EXPECT_TRUE(v->AddValueName("On", 1));
    }
    EXPECT_TRUE(c.AddValueName("Auto", 2));
    EXPECT_EQ(&a.ValueNames(), &b.ValueNames());
    ASSERT_EQ(a.ValueNames().size(), 2u);
    ASSERT_EQ(c.ValueNames().size(), 3u);
    EXPECT_STREQ(c.ValueNames()[2].name.CStr(), "Auto");
    EXPECT_EQ(c.ValueNames()[2].value, 2);
    // A name with another value is another list; a repeated name is refused.
    EXPECT_TRUE(b.AddValueName("Auto", 3));
    EXPECT_EQ(b.ValueNames()[2].value, 3);
    EXPECT_EQ(a.ValueNames().size(), 2u);
    EXPECT_FALSE(a.AddValueName("On", 5));
    a.Clear();
    EXPECT_TRUE(a.ValueNames().empty());
    EXPECT_EQ(b.ValueNames().size(), 3u);
}
