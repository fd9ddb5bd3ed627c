// The pack tool: create, list, extract and verify, through its library and
// through the built binary.
#include "PackReader.h"
#include "PackWriter.h"

#include "io/File.h"
#include "io/FileListing.h"
#include "io/PackArchive.h"
#include "io/PackBytes.h"

#include "support/EngineSandbox.h"
#include "support/TestEnvironment.h"
#include "support/ToolRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <sys/stat.h>

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
    testing_support::EngineSandbox sandbox;
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
    EXPECT_EQ(summary, "6 entries, " + std::to_string(dataBytes) + " bytes of data, checksums match");
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
    const std::vector<String> listed = ListFiles("gui", "*", true);
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].View(), "gui/options.scene");
    EXPECT_EQ(listed[1].View(), "gui/icons/key.tga");
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
    EXPECT_EQ(error, "cannot pack missing: No such file or directory");
    ASSERT_TRUE(WriteFile("plain.txt", "x"));
    EXPECT_FALSE(PackCreate("plain.txt", "x.pack", error));
    EXPECT_EQ(error, "cannot pack plain.txt: it is not a folder");

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
    // 32 bytes of directory, 200 of data, 24 of checksums.
    EXPECT_FALSE(PackCreate("big", "x.pack", error, PackLimits{.maxArchiveBytes = 255}));
    EXPECT_NE(error.find("32-bit limit"), std::string::npos) << error;
    EXPECT_FALSE(PackCreate("big", "x.pack", error, PackLimits{.maxEntryBytes = 99}));
    EXPECT_NE(error.find("a.bin is 100 bytes"), std::string::npos) << error;
    EXPECT_TRUE(PackCreate("big", "x.pack", error, PackLimits{.maxArchiveBytes = 256}));
    EXPECT_EQ(fs::file_size("x.pack"), 256u);
    for (const auto& entry : fs::directory_iterator(".")) {
        EXPECT_EQ(entry.path().filename().string().find(".x.pack"), std::string::npos)
            << "temporary left behind";
    }
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
    EXPECT_NE(error.find("entries 0 and 1 are both named a.txt"), std::string::npos) << error;
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
    ASSERT_TRUE(WriteFile("cut.pack", cut.substr(0, 20)));
    for (const char* arguments :
         {"verify cut.pack", "list cut.pack", "create missing x.pack", "list nothing.pack"}) {
        SCOPED_TRACE(arguments);
        testing_support::ToolRun failed = RunPack(arguments);
        EXPECT_EQ(failed.status, 1);
        ASSERT_FALSE(failed.output.empty());
        EXPECT_EQ(failed.output.find('\n'), failed.output.size() - 1) << failed.output;
    }
    EXPECT_EQ(RunPack("list nothing.pack").output,
              "pack: cannot open nothing.pack: No such file or directory\n");
    for (const char* arguments : {"frobnicate x", "list", "create --bogus src x.pack"}) {
        SCOPED_TRACE(arguments);
        testing_support::ToolRun misused = RunPack(arguments);
        EXPECT_EQ(misused.status, 2);
        EXPECT_NE(misused.output.find("usage: pack create"), std::string::npos) << misused.output;
    }
}

// ---- What a published archive may hold, and what extract may touch.

std::string Entries(const std::string& pack) {
    std::string listing, error;
    EXPECT_TRUE(PackList(pack, listing, error)) << error;
    return listing;
}

TEST_F(PackToolTest, CreateRefusesLinksLeavingTheFolderAndStoresLinksInsideAsTheirFiles) {
    ASSERT_TRUE(WriteFile("outside/secret.txt", "not for publishing"));
    ASSERT_TRUE(WriteFile("src/text/en.config", "Hello = Hello;\n"));
    fs::create_symlink(fs::absolute("outside/secret.txt"), "src/leak.txt");
    fs::create_symlink("../../outside", "src/text/up");
    fs::create_symlink("missing.txt", "src/text/dangling.txt");
    std::string error;
    EXPECT_FALSE(PackCreate("src", "x.pack", error));
    EXPECT_FALSE(fs::exists("x.pack"));
    EXPECT_NE(error.find("src/leak.txt is a symbolic link to " + fs::absolute("outside/secret.txt").string() +
                         ", outside the folder"),
              std::string::npos)
        << error;
    EXPECT_NE(error.find("src/text/up is a symbolic link to ../../outside, outside the folder"),
              std::string::npos)
        << error;
    EXPECT_NE(error.find("src/text/dangling.txt is a symbolic link to missing.txt, which cannot be followed"),
              std::string::npos)
        << error;

    fs::remove("src/leak.txt");
    fs::remove("src/text/up");
    fs::remove("src/text/dangling.txt");
    fs::create_symlink("../text/en.config", "src/text/alias.config");
    ASSERT_TRUE(PackCreate("src", "x.pack", error)) << error;
    EXPECT_EQ(Entries("x.pack"), "text/alias.config\t15\ntext/en.config\t15\n");
}

TEST_F(PackToolTest, CreateSkipsHiddenAndEditorFilesUnlessAskedAndCountsThem) {
    WriteTree("src");
    for (const char* path :
         {"src/.env", "src/gui/.a.txt.swp", "src/gui/a.txt~", "src/.git/config", "src/#b#"}) {
        ASSERT_TRUE(WriteFile(path, "private"));
    }
    PackCreateResult result;
    std::string error;
    ASSERT_TRUE(PackCreate("src", "a.pack", PackCreateOptions{}, result, error)) << error;
    EXPECT_EQ(result.entries, kSource.size());
    EXPECT_EQ(result.skippedHidden, 5u) << "four files and the .git folder";
    EXPECT_EQ(Entries("a.pack").find("private"), std::string::npos);
    EXPECT_EQ(Entries("a.pack").find(".env"), std::string::npos);

    ASSERT_TRUE(
        PackCreate("src", "b.pack", PackCreateOptions{.includeHidden = true, .limits = {}}, result, error))
        << error;
    EXPECT_EQ(result.entries, kSource.size() + 5);
    EXPECT_EQ(result.skippedHidden, 0u);
    EXPECT_NE(Entries("b.pack").find(".git/config\t7\n"), std::string::npos) << Entries("b.pack");

    testing_support::ToolRun run = RunPack("create src c.pack");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.output.find("skipped 5 hidden or editor files (--include-hidden packs them)"),
              std::string::npos)
        << run.output;
}

TEST_F(PackToolTest, CreateReplacesOnlyARegularFileAndNamesTheUsersPathInErrors) {
    WriteTree("src");
    ASSERT_EQ(mkfifo("pipe", 0644), 0);
    fs::create_directories("folder");
    ASSERT_TRUE(WriteFile("victim.txt", "keep me"));
    fs::create_symlink("victim.txt", "link.pack");
    std::string error;
    for (const char* output : {"pipe", "folder", "link.pack"}) {
        SCOPED_TRACE(output);
        EXPECT_FALSE(PackCreate("src", output, error));
        EXPECT_NE(error.find(std::string("refusing to replace ") + output), std::string::npos) << error;
    }
    EXPECT_TRUE(fs::is_fifo("pipe"));
    EXPECT_TRUE(fs::is_symlink("link.pack"));
    EXPECT_EQ(ReadFile("victim.txt"), "keep me");

    EXPECT_FALSE(PackCreate("src", "nowhere/x.pack", error));
    EXPECT_EQ(error, "cannot create nowhere/x.pack: No such file or directory");

    ASSERT_TRUE(WriteFile("old.pack", "an older archive"));
    EXPECT_TRUE(PackCreate("src", "old.pack", error)) << error;
    EXPECT_EQ(fs::status("old.pack").permissions() & fs::perms::others_read, fs::perms::others_read)
        << "an archive is readable like any file the user makes";
}

TEST_F(PackToolTest, ExtractChecksEveryPartOfTheTargetBeforeCreatingAnything) {
    fs::create_directories("outside");
    fs::create_directories("out");
    fs::create_directory_symlink("../outside", "out/gui");
    ASSERT_TRUE(WriteFile("out/text/en.config", "mine"));
    ASSERT_TRUE(WriteFile(
        "a.pack", pack_bytes::Archive(
                      {{"aaa.txt", "first"}, {"gui/buttons/ok.png", "png"}, {"text/en.config", "theirs"}})));
    std::string error;
    EXPECT_FALSE(PackExtract("a.pack", "out", error));
    EXPECT_NE(error.find("out/gui is a symbolic link"), std::string::npos) << error;
    EXPECT_NE(error.find("out/text/en.config already exists"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists("outside/buttons"));
    EXPECT_FALSE(fs::exists("out/aaa.txt")) << "nothing is written before every part is checked";
    EXPECT_EQ(ReadFile("out/text/en.config"), "mine");

    // Into a folder with room for everything: merged, and no staging folder is left.
    fs::remove("out/gui");
    fs::remove("out/text/en.config");
    ASSERT_TRUE(PackExtract("a.pack", "out", error)) << error;
    EXPECT_EQ(ReadFile("out/gui/buttons/ok.png"), "png");
    EXPECT_EQ(ReadFile("out/text/en.config"), "theirs");
    ASSERT_TRUE(PackExtract("a.pack", "fresh/new/", error)) << error;
    EXPECT_EQ(ReadFile("fresh/new/aaa.txt"), "first");
    for (const std::string folder : {".", "fresh"}) {
        for (const auto& entry : fs::directory_iterator(folder)) {
            EXPECT_EQ(entry.path().filename().string().find(".extract-"), std::string::npos) << entry.path();
        }
    }
}

TEST_F(PackToolTest, VerifyAppliesTheRulesOfExtractAndTheEngineAndReportsEveryProblem) {
    std::string bytes = pack_bytes::Archive({{"../up.txt", "1"},
                                             {"Gui/A.txt", "2"},
                                             {"gui/a.txt", "3"},
                                             {"dir", "4"},
                                             {"dir/x.txt", "5"},
                                             {"a//b.txt", "6"}});
    ASSERT_TRUE(WriteFile("bad.pack", bytes));
    std::string summary, error;
    EXPECT_FALSE(PackVerify("bad.pack", summary, error));
    for (const char* problem : {"bad.pack: entry 0 (../up.txt) climbs out with \"..\"",
                                "bad.pack: entries 1 and 2 are both named gui/a.txt",
                                "bad.pack: entry 4 (dir/x.txt) lies in dir, which is an entry of its own",
                                "bad.pack: entry 5 (a//b.txt) has an empty or \".\" folder part"}) {
        EXPECT_NE(error.find(problem), std::string::npos) << problem << "\n" << error;
    }
    EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 3) << error;
    EXPECT_FALSE(PackExtract("bad.pack", "out", error));
    EXPECT_FALSE(fs::exists("out"));
}

TEST_F(PackToolTest, ChecksumsTellADamagedArchiveFromAGoodOneWhileTheEngineReadsTheSame) {
    WriteTree("src");
    std::string error, summary;
    ASSERT_TRUE(PackCreate("src", "good.pack", error)) << error;
    std::string bytes = ReadFile("good.pack");
    const size_t at = bytes.find("Hello = Hello;");
    ASSERT_NE(at, std::string::npos);
    bytes[at] = 'J';
    ASSERT_TRUE(WriteFile("damaged.pack", bytes));
    EXPECT_FALSE(PackVerify("damaged.pack", summary, error));
    EXPECT_EQ(error,
              "damaged.pack: entry 5 (text/en.config) does not match its checksum: its bytes are damaged");
    EXPECT_FALSE(PackExtract("damaged.pack", "out", error));
    EXPECT_FALSE(fs::exists("out"));

    // The engine sees exactly the entries of an archive without the table.
    ASSERT_TRUE(OpenArchive("good.pack"));
    std::vector<std::pair<std::string, std::string>> plain;
    for (const PackEntry& entry : ArchiveEntries()) {
        File file;
        ASSERT_TRUE(file.Open(entry.name.CStr(), kFileRead | kFileBinary));
        std::string read(size_t(file.Length()), '\0');
        EXPECT_TRUE(file.Read(read.data(), read.size()));
        plain.emplace_back(entry.name.CStr(), read);
    }
    CloseArchive();
    ASSERT_TRUE(WriteFile("plain.pack", pack_bytes::Archive(plain)));
    EXPECT_EQ(ReadFile("good.pack").substr(0, ReadFile("plain.pack").size()), ReadFile("plain.pack"));
    ASSERT_TRUE(PackVerify("plain.pack", summary, error)) << error;
    EXPECT_NE(summary.find("no checksums"), std::string::npos) << summary;
}

TEST_F(PackToolTest, NamesArePrintedWithTheirControlCharactersEscaped) {
    ASSERT_TRUE(WriteFile("odd.pack", pack_bytes::Archive({{"a\x1b]0;pwned\x07.txt", "1"},
                                                           {"b\tc.txt", "22"},
                                                           {"caf\xC3\xA9.txt", "3"},
                                                           {"csi\xC2\x9B"
                                                            "2J\xFF.txt",
                                                            "4"}})));
    testing_support::ToolRun listed = RunPack("list odd.pack");
    EXPECT_EQ(listed.status, 0);
    EXPECT_EQ(listed.output, "a\\x1B]0;pwned\\x07.txt\t1\n"
                             "b\\x09c.txt\t2\n"
                             "caf\xC3\xA9.txt\t1\n"
                             "csi\\xC2\\x9B2j\\xFF.txt\t1\n");
    testing_support::ToolRun verified = RunPack("verify odd.pack");
    EXPECT_EQ(verified.output.find('\x1b'), std::string::npos) << verified.output;
}

TEST_F(PackToolTest, EngineAndToolRefuseNamesEqualUpToCaseAlike) {
    ASSERT_TRUE(WriteFile("twice.pack", pack_bytes::Archive({{"GUI/INTROSCREEN.SCENE", "first"},
                                                             {"gui/introscreen.scene", "x"}})));
    const std::string phrase = "entries 0 and 1 are both named gui/introscreen.scene";
    testing_support::LogCapture log;
    EXPECT_FALSE(OpenArchive("twice.pack"));
    EXPECT_TRUE(log.Contains(phrase)) << (log.Lines().empty() ? "" : log.Lines()[0]);
    std::string summary, error;
    EXPECT_FALSE(PackVerify("twice.pack", summary, error));
    EXPECT_NE(error.find(phrase), std::string::npos) << error;
    EXPECT_FALSE(PackList("twice.pack", summary, error));
    EXPECT_NE(error.find(phrase), std::string::npos) << error;
}

} // namespace
