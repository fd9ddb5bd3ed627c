// The pack archive: opening, name lookup, the fall-back to loose files and
// damaged directories.
#include "io/File.h"
#include "io/FileListing.h"
#include "io/PackArchive.h"
#include "io/PackBytes.h"

#include "support/EngineSandbox.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <string>

using pack_bytes::Archive;
using pack_bytes::PutU32;
using pack_bytes::Record;
using testing_support::LogCapture;
using testing_support::ReadFile;
using testing_support::WriteFile;

namespace {

class ArchiveTest : public ::testing::Test {
protected:
    testing_support::EngineSandbox sandbox;
};

std::string ReadWhole(File& file) {
    std::string bytes(size_t(file.Length()), '\0');
    EXPECT_TRUE(file.Read(bytes.data(), bytes.size()));
    return bytes;
}

TEST_F(ArchiveTest, ZeroEntryArchiveOpensAndEveryOpenFallsBackToLooseFiles) {
    std::string empty;
    PutU32(empty, 0);
    ASSERT_TRUE(WriteFile("data.pack", empty));
    ASSERT_TRUE(WriteFile("gui/options.scene", "loose"));
    LogCapture log;
    ASSERT_TRUE(OpenArchive("data.pack"));
    EXPECT_TRUE(log.Lines().empty());
    File file;
    ASSERT_TRUE(file.Open("gui/options.scene", kFileRead));
    EXPECT_FALSE(file.IsPacked());
    EXPECT_EQ(ReadWhole(file), "loose");
}

TEST_F(ArchiveTest, MissingArchiveIsNotAnError) {
    LogCapture log;
    EXPECT_FALSE(OpenArchive("data.pack"));
    EXPECT_FALSE(IsArchiveOpen());
    EXPECT_TRUE(log.Lines().empty());
}

TEST_F(ArchiveTest, LookupLowerCasesAndTurnsBackslashesIntoSlashes) {
    // Stored names are normalised on reading too, and sorted whatever their order in the file.
    ASSERT_TRUE(
        WriteFile("data.pack", Archive({{"Text\\Zeta.config", "z"}, {"gui/options.scene", "packed"}})));
    ASSERT_TRUE(OpenArchive("data.pack"));
    ASSERT_EQ(ArchiveEntries().size(), 2u);
    EXPECT_EQ(ArchiveEntries()[0].name, "gui/options.scene");
    EXPECT_EQ(ArchiveEntries()[1].name, "text/zeta.config");

    File file;
    ASSERT_TRUE(file.Open("GUI\\Options.scene", kFileRead));
    EXPECT_TRUE(file.IsPacked());
    EXPECT_EQ(ReadWhole(file), "packed");
    EXPECT_TRUE(file.Open("text/ZETA.config", kFileRead));
    EXPECT_TRUE(Exists("Text\\Zeta.Config"));
    EXPECT_FALSE(Exists(""));
    EXPECT_FALSE(Exists("gui")) << "directories are not entries";
}

TEST_F(ArchiveTest, LooseOnlyFilesOpenButDoNotExistWhileAnArchiveIsOpen) {
    ASSERT_TRUE(WriteFile("data.pack", Archive({{"a.txt", "packed"}})));
    ASSERT_TRUE(WriteFile("a.txt", "loose a"));
    ASSERT_TRUE(WriteFile("only_loose.txt", "loose"));
    ASSERT_TRUE(OpenArchive("data.pack"));

    EXPECT_FALSE(Exists("only_loose.txt"));
    EXPECT_TRUE(LooseExists("only_loose.txt"));
    File file;
    ASSERT_TRUE(file.Open("only_loose.txt", kFileRead));
    EXPECT_FALSE(file.IsPacked());

    ASSERT_TRUE(file.Open("a.txt", kFileRead | kFileLooseOnly));
    EXPECT_FALSE(file.IsPacked());
    EXPECT_EQ(ReadWhole(file), "loose a");
    ASSERT_TRUE(file.Open("a.txt", kFileRead));
    EXPECT_EQ(ReadWhole(file), "packed");
}

TEST_F(ArchiveTest, WritingWhileAnArchiveIsOpenGoesToTheLooseFile) {
    ASSERT_TRUE(WriteFile("data.pack", Archive({{"save.txt", "packed"}})));
    ASSERT_TRUE(WriteFile("save.txt", "old contents, longer"));
    ASSERT_TRUE(OpenArchive("data.pack"));
    File file;
    ASSERT_TRUE(file.Open("save.txt", kFileWrite));
    EXPECT_FALSE(file.IsPacked());
    file.WriteText(String("new"));
    file.Close();
    EXPECT_EQ(ReadFile("save.txt"), "new");
    ASSERT_TRUE(file.Open("fresh.txt", kFileWrite));
    file.Close();
    EXPECT_TRUE(LooseExists("fresh.txt"));
}

TEST_F(ArchiveTest, OpeningASecondArchiveReplacesTheFirst) {
    ASSERT_TRUE(WriteFile("one.pack", Archive({{"one.txt", "1"}})));
    ASSERT_TRUE(WriteFile("two.pack", Archive({{"two.txt", "2"}})));
    ASSERT_TRUE(OpenArchive("one.pack"));
    ASSERT_TRUE(OpenArchive("two.pack"));
    EXPECT_FALSE(Exists("one.txt"));
    EXPECT_TRUE(Exists("two.txt"));
    CloseArchive();
    CloseArchive();
    EXPECT_FALSE(IsArchiveOpen());
    EXPECT_TRUE(ArchiveEntries().empty());
}

TEST_F(ArchiveTest, EntriesMayLieAnywhereInsideTheFile) {
    // Data in reverse order, an empty entry at the very end, and two
    // entries sharing bytes: all lie inside the file, so all are fine.
    std::string bytes;
    PutU32(bytes, 3);
    uint32_t data = uint32_t(4 + 9 + 5 + 9 + 5 + 9 + 5);
    bytes += Record("b.txt", data, 3);
    bytes += Record("a.txt", data + 3, 3);
    bytes += Record("e.txt", data + 6, 0);
    bytes += "BBBAAA";
    ASSERT_TRUE(WriteFile("data.pack", bytes));
    ASSERT_TRUE(OpenArchive("data.pack"));
    File file;
    ASSERT_TRUE(file.Open("a.txt", kFileRead));
    EXPECT_EQ(ReadWhole(file), "AAA");
    ASSERT_TRUE(file.Open("e.txt", kFileRead));
    EXPECT_EQ(file.Length(), 0);
    String line;
    EXPECT_FALSE(file.ReadLine(line, false));
}

struct DamagedArchive {
    const char* what;
    std::string bytes;
    const char* reason;
};

std::string WithCount(uint32_t count, const std::string& rest) {
    std::string bytes;
    PutU32(bytes, count);
    return bytes + rest;
}

std::vector<DamagedArchive> DamagedArchives() {
    std::string valid = Archive({{"a.txt", "alpha\n"}, {"b.txt", "beta\n"}});
    return {
        {"empty file", "", "too short"},
        {"count cut short", std::string("\x01\x00", 2), "too short"},
        {"absurd count", WithCount(0xFFFFFFFFu, Record("a", 0, 0)), "entry count 4294967295"},
        {"count one past the records", WithCount(2, Record("a", 0, 0) + "padding.."), "record 1"},
        {"name length past the end", WithCount(1, std::string("\xC8") + "abc" + std::string(6, '\0')),
         "record 0"},
        {"offset past the end", WithCount(1, Record("a", 5000, 1)), "entry 0 (a)"},
        {"size past the end", WithCount(1, Record("a", 4, 5000)), "entry 0 (a)"},
        {"offset plus size wraps 32 bits", WithCount(1, Record("a", 0xFFFFFFF0u, 0x20)), "entry 0 (a)"},
        {"truncated valid archive", valid.substr(0, valid.size() - 3), "entry 1 (b.txt)"},
        {"truncated inside the directory", WithCount(2, Record("a", 0, 0) + "\x20" + "cut-name-...."),
         "record 1"},
        {"names equal up to case",
         Archive({{"GUI/INTROSCREEN.SCENE", "first"}, {"gui/introscreen.scene", "x"}}),
         "entries 0 and 1 are both named gui/introscreen.scene"},
    };
}

TEST_F(ArchiveTest, DamagedDirectoryRejectsTheArchiveWithOneLogLine) {
    ASSERT_TRUE(WriteFile("a.txt", "loose"));
    for (const DamagedArchive& damaged : DamagedArchives()) {
        SCOPED_TRACE(damaged.what);
        ASSERT_TRUE(WriteFile("bad.pack", damaged.bytes));
        LogCapture log;
        EXPECT_FALSE(OpenArchive("bad.pack"));
        EXPECT_FALSE(IsArchiveOpen());
        EXPECT_TRUE(ArchiveEntries().empty());
        ASSERT_EQ(log.Lines().size(), 1u);
        EXPECT_TRUE(log.Contains("bad.pack")) << log.Lines()[0];
        EXPECT_TRUE(log.Contains(damaged.reason)) << log.Lines()[0];
        File file;
        ASSERT_TRUE(file.Open("a.txt", kFileRead)) << "loose files serve";
        EXPECT_FALSE(file.IsPacked());
    }
}

TEST_F(ArchiveTest, DamagedArchiveClosesTheOneOpenBefore) {
    ASSERT_TRUE(WriteFile("good.pack", Archive({{"a.txt", "packed"}})));
    ASSERT_TRUE(WriteFile("bad.pack", WithCount(7, "")));
    ASSERT_TRUE(OpenArchive("good.pack"));
    LogCapture log;
    EXPECT_FALSE(OpenArchive("bad.pack"));
    EXPECT_FALSE(Exists("a.txt"));
}

} // namespace

TEST(ArchiveListing, EmptyFolderPartsInNamesDoNotRecurseForever) {
    using pack_bytes::Archive;
    ASSERT_TRUE(testing_support::WriteFile(
        "data.pack", Archive({{"/top.txt", "1"}, {"a//b.txt", "2"}, {"a/c.txt", "3"}})));
    ASSERT_TRUE(OpenArchive("data.pack"));
    EXPECT_EQ(ListFiles("", "*", true).size(), 1u); // a/c.txt
    EXPECT_EQ(ListFiles("a", "*.txt", true).size(), 1u);
    CloseArchive();
}
