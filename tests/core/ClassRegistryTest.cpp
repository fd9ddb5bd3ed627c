#include "core/ClassRegistry.h"
#include "app/EngineClasses.h"
#include "core/Element.h"

#include <gtest/gtest.h>

TEST(ClassRegistry, RefusesDuplicatesAndKeepsCategoryOrder) {
    ClearRegistry();
    EXPECT_TRUE(RegisterClass("Zeta", MakeObject<Element>, "Effects"));
    EXPECT_TRUE(RegisterClass("Alpha", MakeObject<Element>, "Base"));
    EXPECT_TRUE(RegisterClass("Mid", MakeObject<Element>, "Effects"));
    EXPECT_TRUE(RegisterClass("NoCategory", MakeObject<Element>, ""));
    EXPECT_FALSE(RegisterClass("Alpha", MakeObject<Element>, "Other"));
    ASSERT_EQ(ClassCategories().size(), 2u);
    EXPECT_STREQ(ClassCategories()[0].CStr(), "Effects");
    EXPECT_STREQ(ClassCategories()[1].CStr(), "Base");
    EXPECT_STREQ(RegisteredClasses().front().className.CStr(), "Alpha");
    EXPECT_EQ(FindClass("alpha"), nullptr);
    ASSERT_NE(FindClass("Mid"), nullptr);
    Object* made = CreateObject("Mid");
    EXPECT_TRUE(made && made->IsA("Element"));
    delete made;
    ClearRegistry();
    EXPECT_EQ(FindClass("Mid"), nullptr);
}

TEST(ClassRegistry, EngineClassesRegisterInBaseCategory) {
    ClearRegistry();
    RegisterEngineClasses();
    ASSERT_FALSE(ClassCategories().empty());
    EXPECT_STREQ(ClassCategories()[0].CStr(), "Base");
    EXPECT_NE(FindClass("Element"), nullptr);
    EXPECT_NE(FindClass("Widget"), nullptr);
    EXPECT_NE(FindClass("Instance"), nullptr);
    EXPECT_EQ(FindClass("Scene"), nullptr); // scenes come from files, not the registry
    ClearRegistry();
}
