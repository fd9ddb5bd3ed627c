#include "core/ConfigTable.h"
#include "io/MemoryFile.h"
#include "support/AllocationCounter.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

ConfigTable& ReadText(ConfigTable& table, const std::string& text) {
    static std::string keep; // the memory file reads from this buffer
    keep = text;
    MemoryFile file(keep.data(), keep.size());
    table.Read(file);
    return table;
}

std::string Value(ConfigTable& table, const char* key, int column = 0) {
    String out("<absent>");
    table.GetString(column, key, out);
    return out.CStr();
}

} // namespace

TEST(ConfigTable, ValueLinesFollowTheSeparatorAndLastCharacterRules) {
    ConfigTable t;
    ReadText(t, "A = 2.5;\nB=2.5;\nC = 2.5\nD = ;\nE = a = b;\nF = 2.5; \nG =\nH\t\t=\t x y ;\n");
    EXPECT_EQ(Value(t, "A"), "2.5");
    EXPECT_EQ(Value(t, "B"), "2.5");
    EXPECT_EQ(Value(t, "C"), "2."); // no semicolon: the last character is lost
    EXPECT_EQ(Value(t, "D"), "");
    EXPECT_EQ(Value(t, "E"), "a = b");
    EXPECT_EQ(Value(t, "F"), "2.5;");
    EXPECT_EQ(Value(t, "G"), "");
    EXPECT_EQ(Value(t, "H"), "x y ");
}

TEST(ConfigTable, CommentsIndentedLinesAndLinesWithoutSeparator) {
    ConfigTable t;
    ReadText(t,
             "# comment = 1;\n   # indented comment;\n==#also;\nSpeed;\n  indented = 3;\n\n   \nKey = v;\n");
    EXPECT_EQ(t.Count(), 2); // the empty key and Key
    EXPECT_EQ(t.ValueCount(""), 2);
    // An indented line and a line of blanks both land under the empty key.
    EXPECT_EQ(t.ValueCount("Speed;"), 0);
    ASSERT_GE(t.Find(""), 0);
    EXPECT_EQ(t.At(t.Find("")).values.size(), 2u);
    EXPECT_EQ(Value(t, ""), "indented = 3");
    EXPECT_EQ(Value(t, "", 1), "");
}

TEST(ConfigTable, RepeatedKeysGatherValuesInFileOrder) {
    ConfigTable t;
    ReadText(t, "Root.Position = 10.000000;\nOther = x;\nRoot.Position = 20;\nRoot.Position = 30;\n");
    EXPECT_EQ(t.Count(), 2);
    EXPECT_EQ(t.ValueCount("Root.Position"), 3);
    EXPECT_EQ(Value(t, "Root.Position", 0), "10.000000");
    EXPECT_EQ(Value(t, "Root.Position", 2), "30");
}

TEST(ConfigTable, CrLfAndLfReadAlike) {
    ConfigTable lf, crlf;
    ReadText(lf, "A = 1;\nB = two words;\n");
    ReadText(crlf, "A = 1;\r\nB = two words;\r\n");
    EXPECT_EQ(lf.ToText(), crlf.ToText());
    EXPECT_EQ(Value(crlf, "B"), "two words");
}

TEST(ConfigTable, LongLinesArriveInPiecesOf4095Bytes) {
    std::string value(5000, 'v');
    ConfigTable t;
    ReadText(t, "Long = " + value + ";\n");
    // The first piece holds "Long = " and 4088 value bytes minus the dropped
    // last one; the rest is a line of its own with no separator.
    EXPECT_EQ(Value(t, "Long").size(), 4095u - 7u - 1u);
    EXPECT_EQ(t.Count(), 1);
}

TEST(ConfigTable, TheRestOfAnOverLongLineIsDroppedWhateverItsKind) {
    // A comment and a value line whose remainders look like data lines, then
    // two lines whose CR LF is split across the piece boundary (nothing lost).
    const std::string text = "# " + std::string(4093, 'c') + "Secret = 1;\n" +
                             "Long = " + std::string(4088, 'v') + "Injected = 2;\n" +
                             "Fits = " + std::string(4087, 'f') + ";\r\n" +
                             "Edge = " + std::string(4088, 'e') + "\r\n" + "After = 3;\n";
    ASSERT_TRUE(testing_support::WriteFile("long.config", text));
    testing_support::LogCapture log;
    ConfigTable t;
    ASSERT_TRUE(t.Load("long.config"));
    EXPECT_EQ(t.Find("Secret"), -1);
    EXPECT_EQ(t.Find("Injected"), -1);
    EXPECT_EQ(t.Count(), 4);                             // Long, Fits, Edge, After
    EXPECT_EQ(Value(t, "Long").size(), 4095u - 7u - 1u); // the first piece keeps the usual rules
    EXPECT_EQ(Value(t, "Fits"), std::string(4087, 'f'));
    EXPECT_EQ(Value(t, "After"), "3");
    // One line for the file, naming it and the first such line.
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_TRUE(log.Contains("long.config, line 1:"));
    EXPECT_TRUE(log.Contains("(2 such lines"));
}

TEST(ConfigTable, ALineHoldingANulByteIsLogged) {
    using namespace std::string_literals;
    const std::string text = "A = 1;\nB.Type = Spr\0ite;\nC = 2;\n"s;
    ASSERT_TRUE(testing_support::WriteFile("nul.scene", text));
    testing_support::LogCapture log;
    ConfigTable t;
    ASSERT_TRUE(t.Load("nul.scene"));
    EXPECT_EQ(Value(t, "B.Type"), "Sp");
    EXPECT_EQ(Value(t, "C"), "2");
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_TRUE(log.Contains("nul.scene, line 2:"));
    EXPECT_TRUE(log.Contains("NUL"));
}

TEST(ConfigTable, ANulByteInAFullPieceHidesNeitherItsLineEndNorTheNextLines) {
    using namespace std::string_literals;
    // "Full" is exactly one full piece whose last byte is its line feed;
    // "Over" is one byte longer, so its line feed alone is the rest; "Lost"
    // has text after the first piece. Only the last loses text to the limit.
    const std::string full = "Full = a"s + '\0' + std::string(4095 - 11, 'x') + ";\n";
    const std::string over = "Over = b"s + '\0' + std::string(4095 - 9, 'y') + "\n";
    const std::string lost = "Lost = c"s + '\0' + std::string(4095, 'z') + "Injected = 1;\n";
    ASSERT_EQ(full.size(), 4095u);
    ASSERT_TRUE(testing_support::WriteFile("fullnul.config",
                                           full + "A = 1;\n" + over + "B = 2;\n" + lost + "C = 3"));
    testing_support::LogCapture log;
    ConfigTable t;
    ASSERT_TRUE(t.Load("fullnul.config"));
    EXPECT_EQ(Value(t, "Full"), "");
    EXPECT_EQ(Value(t, "A"), "1");
    EXPECT_EQ(Value(t, "B"), "2");
    EXPECT_EQ(Value(t, "C"), ""); // the last line has no ";" and loses its "3"
    EXPECT_EQ(t.Find("Injected"), -1);
    EXPECT_EQ(t.Count(), 6);
    ASSERT_EQ(log.Lines().size(), 2u);
    EXPECT_TRUE(log.Contains("fullnul.config, line 5: longer than 4095 bytes"));
    EXPECT_TRUE(log.Contains("fullnul.config, line 1: holds a NUL byte; the line ends there (3 such lines"));
}

TEST(ConfigTable, AFolderInTheFilesPlaceReadsAsAnEmptyTable) {
    // A folder opens as a file on this system and reports a huge length.
    ASSERT_TRUE(std::filesystem::create_directory("folder.config"));
    ConfigTable t;
    t.Load("folder.config");
    EXPECT_EQ(t.Count(), 0);
}

TEST(ConfigTable, WriterNeverWritesALineBreakInsideAValue) {
    ConfigTable t;
    t.AddString("Name", "Ann;\nEvil.Key = 1;\r");
    testing_support::LogCapture log;
    ASSERT_TRUE(t.Save("breaks.config"));
    EXPECT_TRUE(log.Contains("breaks.config"));
    ConfigTable back;
    ASSERT_TRUE(back.Load("breaks.config"));
    EXPECT_EQ(back.Count(), 1);
    EXPECT_EQ(Value(back, "Name"), "Ann; Evil.Key = 1; ");
}

TEST(ConfigTable, TypedGettersLeaveTheOutputOnFailure) {
    ConfigTable t;
    ReadText(t, "B = True;\nI = 12abc;\nF = -2e3;\nX = abc;\n");
    bool b = true;
    EXPECT_FALSE(t.GetBool(0, "B", b));
    EXPECT_TRUE(b);
    int32_t i = 5;
    EXPECT_TRUE(t.GetInt(0, "I", i));
    EXPECT_EQ(i, 12);
    EXPECT_FALSE(t.GetInt(1, "I", i));
    EXPECT_FALSE(t.GetInt(0, "Missing", i));
    EXPECT_EQ(i, 12);
    float f = 1;
    EXPECT_TRUE(t.GetFloat(0, "F", f));
    EXPECT_FLOAT_EQ(f, -2000.0f);
    EXPECT_FALSE(t.GetFloat(0, "X", f));
    EXPECT_FLOAT_EQ(f, -2000.0f);
}

TEST(ConfigTable, AddersFormatAndSaveWritesSortedOnceLookedUp) {
    ConfigTable t;
    t.AddFloat("Zed", 0.5f);
    t.AddInt("Alpha", -3);
    t.AddBool("Mid", true);
    t.AddString("Alpha", "text; with = signs");
    t.InsertKey("Empty");
    EXPECT_EQ(t.ToText(), "Alpha = -3;\nAlpha = text; with = signs;\nMid = true;\nZed = 0.500000;\n");
    ASSERT_TRUE(t.Save("out.config"));
    ConfigTable back;
    ASSERT_TRUE(back.Load("out.config"));
    EXPECT_EQ(back.ToText(), t.ToText());
    EXPECT_STREQ(back.Path().CStr(), "out.config");
}

TEST(ConfigTable, InsertKeyDuplicatesUntilSortAndMerge) {
    ConfigTable t;
    t.InsertKey("b", {String("1")});
    t.InsertKey("a");
    t.InsertKey("b", {String("2")});
    EXPECT_EQ(t.Count(), 3);
    EXPECT_EQ(t.SortAndMerge(), 1);
    EXPECT_EQ(t.Count(), 2);
    EXPECT_EQ(Value(t, "b"), "1"); // the first inserted survives
}

TEST(ConfigTable, MissingFileLeavesTheTableEmpty) {
    ConfigTable t;
    t.AddInt("Kept", 1);
    EXPECT_FALSE(t.Load("nope.config"));
    EXPECT_EQ(t.Count(), 0);
}

TEST(ConfigTable, BinaryGarbageAndNulBytesReadWithoutHarm) {
    std::string garbage;
    for (int i = 0; i < 20000; ++i) {
        garbage.push_back(static_cast<char>((i * 7919) % 256));
    }
    garbage += std::string("\nKey = a\0b;\n", 12);
    ConfigTable t;
    ReadText(t, garbage);
    EXPECT_GE(t.Count(), 1);
    EXPECT_EQ(Value(t, "Key"), ""); // the text ends at the NUL, and its last character ("a") is dropped
}

// A scene file's table is built while the scene's elements are allocated; its
// keys and values come in a few large blocks, never one allocation per key,
// so that releasing it frees whole pages. The table stays usable after a
// re-read and after additions (every value still readable).
TEST(ConfigTable, ManyKeysTakeAFewAllocationsAndSurviveRereadsAndAdditions) {
    std::string text;
    for (int i = 0; i < 20000; ++i) {
        const std::string key = "e" + std::to_string(i);
        text += key + ".Position = 1;\n" + key + ".Position = 2;\n" + key + ".Type = Bitmap;\n";
    }
    ConfigTable t;
    if (testing_support::AllocationCounter::Available()) {
        testing_support::AllocationCounter counter;
        ReadText(t, text);
        EXPECT_LT(counter.Count(), 100u);
    } else {
        ReadText(t, text);
    }
    ASSERT_EQ(t.Count(), 40000);
    EXPECT_EQ(Value(t, "e19999.Position", 1), "2");
    t.AddString("e19999.Position", "a value longer than the inline buffer of a short text, on the heap");
    t.AddString("New", "x");
    EXPECT_EQ(t.ValueCount("e19999.Position"), 3);
    EXPECT_EQ(Value(t, "New"), "x");
    ReadText(t, "A = 1;\n");
    EXPECT_EQ(t.Count(), 1);
    EXPECT_EQ(Value(t, "A"), "1");
}
