#include "io/StringTable.h"
#include "io/PackArchive.h"
#include "io/PackBytes.h"
#include "support/EngineSandbox.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

using testing_support::WriteFile;

namespace {

class StringTables : public ::testing::Test {
protected:
    testing_support::EngineSandbox sandbox;
    static std::string Lookup(const char* identifier) {
        String out("<unchanged>");
        LookupString(identifier, out);
        return out.CStr();
    }
};

} // namespace

TEST_F(StringTables, IdentifiersNameTableAndKey) {
    WriteFile("text/str.config", "ok = OK;\ncancel = Cancel;\nok = Second;\n");
    WriteFile("text/prompt.config", "level.done = Level complete!;\ndelete_player = Delete this player?;\n");
    WriteFile("text/sub/ignored.config", "x = y;\n");
    ASSERT_TRUE(LoadStringTables());
    EXPECT_EQ(Lookup("str.ok"), "OK"); // a repeated key keeps its first value
    EXPECT_EQ(Lookup("prompt.level.done"), "Level complete!");
    EXPECT_EQ(Lookup("str"), "<unchanged>");
    EXPECT_EQ(Lookup("nope.ok"), "<unchanged>");
    EXPECT_EQ(Lookup("str.missing"), "<unchanged>");
    EXPECT_EQ(Lookup("ignored.x"), "<unchanged>"); // no recursion into subfolders
    ASSERT_NE(FindStringTable("str"), nullptr);
    EXPECT_EQ(FindStringTable("str")->Count(), 2u);
}

TEST_F(StringTables, BaseNameStopsAtTheFirstDot) {
    EXPECT_STREQ(StringTableName("text/my.menu.config").CStr(), "my");
    EXPECT_STREQ(StringTableName("text\\str.config").CStr(), "str");
    EXPECT_STREQ(StringTableName("plain").CStr(), "plain");
    WriteFile("text/my.menu.config", "title = Menu;\n");
    ASSERT_TRUE(LoadStringTables());
    EXPECT_EQ(Lookup("my.title"), "Menu");
}

TEST_F(StringTables, ReloadReplacesOnlyExistingKeys) {
    WriteFile("text/str.config", "ok = OK;\n");
    ASSERT_TRUE(LoadStringTables());
    WriteFile("text/str.config", "ok = Fine;\nnew = New;\n");
    WriteFile("text/extra.config", "a = b;\n");
    ASSERT_TRUE(ReloadStringTables());
    EXPECT_EQ(Lookup("str.ok"), "Fine");
    EXPECT_EQ(Lookup("str.new"), "<unchanged>");
    EXPECT_EQ(Lookup("extra.a"), "<unchanged>");
}

TEST_F(StringTables, TablesComeFromTheArchiveWhenOneIsOpen) {
    WriteFile("text/loose.config", "only = loose;\n");
    ASSERT_TRUE(WriteFile("data.pack", pack_bytes::Archive({{"text/str.config", "ok = Packed;\n"}})));
    ASSERT_TRUE(OpenArchive("data.pack"));
    ASSERT_TRUE(LoadStringTables());
    EXPECT_EQ(Lookup("str.ok"), "Packed");
    EXPECT_EQ(Lookup("loose.only"), "<unchanged>");
}
