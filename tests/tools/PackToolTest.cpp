// The pack tool: create, list, extract and verify, through its library and
// through the built binary.
#include "PackReader.h"
#include "PackWriter.h"

#include "io/File.h"
#include "io/FileListing.h"
#include "io/PackArchive.h"
#include "io/PackBytes.h"

#include "support/TestEnvironment.h"
#include "support/ToolRun.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

namespace fs = std::filesystem;
using testing_support::ReadFile;
using testing_support::WriteFile;

namespace {

// Relative path as on disk -> contents.
const std::map<std::string, std::string> kSource = {
    {"Config/Globals.scene", "Globals.PackfilePath = data.pack;\n"},
    {"gui/Options.Scene", "options\r\n"},
    {"gui/icons/Key.TGA", std::string("\0\x01\x02\xFF binary", 11)},
    {"text/en.config", "Hello = Hello;\n"},
    {"text/empty.config", ""},
    {"readme", "no extension"},
};

void WriteTree(const std::string& root, bool reverse = false) {
    std::vector<std::pair<std::string, std::string>> files(kSource.begin(), kSource.end());
    if (reverse) {
        std::reverse(files.begin(), files.end());
    }
    for (const auto& [path, bytes] : files) {
        ASSERT_TRUE(WriteFile(root + "/" + path, bytes));
    }
}

std::string Lower(std::string text) {
    for (char& c : text) {
        c = char(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

/// Runs the built tool with `arguments`, capturing stdout and stderr together.
testing_support::ToolRun RunPack(const std::string& arguments) {
    return testing_support::RunTool("pack", arguments);
}

class PackToolTest : public ::testing::Test {
protected:
    void TearDown() override { CloseArchive(); }
};

TEST_F(PackToolTest, CreateListExtractGivesBackTheSourceTree) {
    WriteTree("src");
    std::string error;
    ASSERT_TRUE(PackCreate("src", "data.pack", error)) << error;

    std::string listing;
    ASSERT_TRUE(PackList("data.pack", listing, error)) << error;
    std::string expected;
    std::map<std::string, std::string> byStoredName;
    for (const auto& [path, bytes] : kSource) {
        byStoredName[Lower(path)] = bytes;
    }
    for (const auto& [name, bytes] : byStoredName) {
        expected += name + "\t" + std::to_string(bytes.size()) + "\n";
    }
    EXPECT_EQ(listing, expected);

    ASSERT_TRUE(PackExtract("data.pack", "out", error)) << error;
    size_t found = 0;
    for (const auto& entry : fs::recursive_directory_iterator("out")) {
        if (entry.is_regular_file()) {
            std::string name = fs::relative(entry.path(), "out").generic_string();
            ASSERT_TRUE(byStoredName.count(name)) << name;
            EXPECT_EQ(ReadFile(entry.path().string()), byStoredName[name]) << name;
            ++found;
        }
    }
    EXPECT_EQ(found, kSource.size());
    std::string summary;
    EXPECT_TRUE(PackVerify("data.pack", summary, error)) << error;
    size_t dataBytes = 0;
    for (const auto& [path, bytes] : kSource) {
        dataBytes += bytes.size();
    }
    EXPECT_EQ(summary, "6 entries, " + std::to_string(dataBytes) + " bytes of data");
}

TEST_F(PackToolTest, EngineFindsEveryFileByMixedCaseOrBackslashedPath) {
    WriteTree("src");
    std::string error;
    ASSERT_TRUE(PackCreate("src", "data.pack", error)) << error;
    ASSERT_TRUE(OpenArchive("data.pack"));
    for (const auto& [path, bytes] : kSource) {
        std::string backslashed = path;
        std::replace(backslashed.begin(), backslashed.end(), '/', '\\');
        for (const std::string& asked : {path, backslashed, Lower(path)}) {
            File file;
            ASSERT_TRUE(file.Open(asked.c_str(), kFileRead | kFileBinary)) << asked;
            EXPECT_TRUE(file.IsPacked());
            std::string read(size_t(file.Length()), '\0');
            EXPECT_TRUE(file.Read(read.data(), read.size()));
            EXPECT_EQ(read, bytes) << asked;
        }
    }
    ASSERT_EQ(ListFiles("gui", "*", true), 2);
    EXPECT_EQ(ListedFiles()[0].View(), "gui/options.scene");
    EXPECT_EQ(ListedFiles()[1].View(), "gui/icons/key.tga");
}

TEST_F(PackToolTest, SameFolderGivesByteIdenticalArchives) {
    WriteTree("one");
    WriteTree("two", true);
    std::string error;
    ASSERT_TRUE(PackCreate("one", "a.pack", error)) << error;
    ASSERT_TRUE(PackCreate("two", "b.pack", error)) << error;
    ASSERT_TRUE(PackCreate("one", "c.pack", error)) << error;
    std::string first = ReadFile("a.pack");
    EXPECT_FALSE(first.empty());
    EXPECT_EQ(first, ReadFile("b.pack"));
    EXPECT_EQ(first, ReadFile("c.pack"));
}

TEST_F(PackToolTest, ArchiveWrittenInsideItsSourceFolderLeavesItselfOut) {
    WriteTree("src");
    std::string error;
    ASSERT_TRUE(PackCreate("src", "src/data.pack", error)) << error;
    ASSERT_TRUE(PackCreate("src", "src/data.pack", error)) << error;
    std::string listing;
    ASSERT_TRUE(PackList("src/data.pack", listing, error));
    EXPECT_EQ(listing.find("data.pack"), std::string::npos);
}

TEST_F(PackToolTest, CreateRefusesWhatTheEngineCouldNotRead) {
    std::string error;
    EXPECT_FALSE(PackCreate("missing", "x.pack", error));
    EXPECT_NE(error.find("not a folder"), std::string::npos) << error;

    ASSERT_TRUE(WriteFile("folded/Gui/A.txt", "1"));
    ASSERT_TRUE(WriteFile("folded/gui/a.txt", "2"));
    EXPECT_FALSE(PackCreate("folded", "x.pack", error));
    EXPECT_NE(error.find("both fold to gui/a.txt"), std::string::npos) << error;

    ASSERT_TRUE(WriteFile("long/d/" + std::string(254, 'n'), "x"));
    EXPECT_FALSE(PackCreate("long", "x.pack", error));
    EXPECT_NE(error.find("longer than 255 bytes"), std::string::npos) << error;
    ASSERT_TRUE(WriteFile("fits/d/" + std::string(253, 'n'), "x")) << "exactly 255 bytes with the folder";
    EXPECT_TRUE(PackCreate("fits", "fits.pack", error)) << error;

    ASSERT_TRUE(WriteFile("big/a.bin", std::string(100, 'a')));
    ASSERT_TRUE(WriteFile("big/b.bin", std::string(100, 'b')));
    EXPECT_FALSE(PackCreate("big", "x.pack", error, PackLimits{.maxArchiveBytes = 231}));
    EXPECT_NE(error.find("32-bit limit"), std::string::npos) << error;
    EXPECT_FALSE(PackCreate("big", "x.pack", error, PackLimits{.maxEntryBytes = 99}));
    EXPECT_NE(error.find("a.bin is 100 bytes"), std::string::npos) << error;
    EXPECT_TRUE(PackCreate("big", "x.pack", error, PackLimits{.maxArchiveBytes = 232}));
    EXPECT_FALSE(fs::exists("x.pack.partial"));
}

TEST_F(PackToolTest, ExtractRefusesNamesThatLeaveTheFolder) {
    for (const char* name :
         {"../evil.txt", "/tmp/evil.txt", "..\\evil.txt", "a/../../evil.txt", "a\\..\\..\\e", ".."}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(WriteFile("bad.pack", pack_bytes::Archive({{"fine.txt", "ok"}, {name, "evil"}})));
        std::string error;
        EXPECT_FALSE(PackExtract("bad.pack", "target/out", error));
        EXPECT_NE(error.find("leaves the target folder"), std::string::npos) << error;
        EXPECT_FALSE(fs::exists("target/out/fine.txt")) << "nothing is written before every name is checked";
        EXPECT_FALSE(fs::exists("target/evil.txt"));
        EXPECT_FALSE(fs::exists("evil.txt"));
    }
    ASSERT_TRUE(WriteFile("twice.pack", pack_bytes::Archive({{"a.txt", "1"}, {"A.TXT", "2"}})));
    std::string error;
    EXPECT_FALSE(PackExtract("twice.pack", "out", error));
    EXPECT_NE(error.find("two entries are named a.txt"), std::string::npos) << error;
    std::string summary;
    EXPECT_FALSE(PackVerify("twice.pack", summary, error));
}

TEST_F(PackToolTest, ExtractDoesNotFollowALinkOutOfTheFolder) {
    fs::create_directories("outside");
    fs::create_directories("out");
    fs::create_directory_symlink("../outside", "out/link");
    ASSERT_TRUE(WriteFile("link.pack", pack_bytes::Archive({{"link/x.txt", "x"}})));
    std::string error;
    EXPECT_FALSE(PackExtract("link.pack", "out", error));
    EXPECT_FALSE(fs::exists("outside/x.txt"));
}

TEST_F(PackToolTest, VerifyNamesTheEntryOutsideTheFile) {
    std::string bytes;
    pack_bytes::PutU32(bytes, 1);
    bytes += pack_bytes::Record("gui/a.tga", 4, 1000);
    ASSERT_TRUE(WriteFile("bad.pack", bytes));
    std::string summary, error;
    EXPECT_FALSE(PackVerify("bad.pack", summary, error));
    EXPECT_NE(error.find("entry 0 (gui/a.tga)"), std::string::npos) << error;
    EXPECT_FALSE(PackList("bad.pack", summary, error));
    EXPECT_FALSE(PackVerify("missing.pack", summary, error));
}

TEST_F(PackToolTest, BinaryExitsZeroOnSuccessAndOneLineReasonOtherwise) {
    WriteTree("src");
    testing_support::ToolRun created = RunPack("create src data.pack");
    ASSERT_EQ(created.status, 0) << created.output;
    testing_support::ToolRun listed = RunPack("list data.pack");
    EXPECT_EQ(listed.status, 0);
    EXPECT_NE(listed.output.find("gui/options.scene\t9\n"), std::string::npos) << listed.output;
    testing_support::ToolRun verified = RunPack("verify data.pack");
    EXPECT_EQ(verified.status, 0);
    EXPECT_NE(verified.output.find("ok, 6 entries"), std::string::npos) << verified.output;
    EXPECT_EQ(RunPack("extract data.pack out").status, 0);
    EXPECT_EQ(ReadFile("out/gui/options.scene"), "options\r\n");

    std::string cut = ReadFile("data.pack");
    ASSERT_TRUE(WriteFile("cut.pack", cut.substr(0, cut.size() - 1)));
    for (const char* arguments :
         {"verify cut.pack", "list cut.pack", "create missing x.pack", "frobnicate x", "list"}) {
        SCOPED_TRACE(arguments);
        testing_support::ToolRun failed = RunPack(arguments);
        EXPECT_NE(failed.status, 0);
        ASSERT_FALSE(failed.output.empty());
        EXPECT_EQ(failed.output.find('\n'), failed.output.size() - 1) << failed.output;
    }
}

} // namespace
