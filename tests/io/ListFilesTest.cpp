// Directory listings from the pack archive and from disk.
#include "io/FileListing.h"
#include "io/PackArchive.h"
#include "io/PackBytes.h"

#include "support/EngineSandbox.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using testing_support::WriteFile;

namespace {

// The same small tree, packed and on disk.
const std::vector<std::string> kTree = {
    "text/b.config",       "text/a.config",     "text/a.configx",
    "text/notes.txt",      "text/sub/b.config", "text/sub/deeper/c.config",
    "text/sub.d/d.config", "top.config",        "textual/x.config",
};

// The last listing of the helpers below.
std::vector<String> last;

int List(const char* directory, const char* pattern, bool recurse) {
    last = ListFiles(directory, pattern, recurse);
    return int(last.size());
}

int ListLoose(const char* directory, const char* pattern) {
    last = ListLooseFiles(directory, pattern);
    return int(last.size());
}

std::vector<std::string> Listed() {
    std::vector<std::string> paths;
    for (const String& path : last) {
        paths.emplace_back(path.View());
    }
    return paths;
}

using Paths = std::vector<std::string>;

class ListFilesTest : public ::testing::TestWithParam<bool> {
protected:
    testing_support::EngineSandbox sandbox;
    void SetUp() override {
        std::vector<std::pair<std::string, std::string>> entries;
        for (const std::string& path : kTree) {
            entries.emplace_back(path, "x");
        }
        if (GetParam()) {
            ASSERT_TRUE(WriteFile("../data.pack", pack_bytes::Archive(entries)));
            ASSERT_TRUE(OpenArchive("../data.pack"));
        } else {
            for (const std::string& path : kTree) {
                ASSERT_TRUE(WriteFile(path, "x"));
            }
        }
    }
};

TEST_P(ListFilesTest, NonRecursiveListsDirectChildrenOnly) {
    EXPECT_EQ(List("text", "*.config", false), 2);
    EXPECT_EQ(Listed(), (Paths{"text/a.config", "text/b.config"}));
}

TEST_P(ListFilesTest, RecursiveListsEverySubdirectoryAfterTheDirectory) {
    EXPECT_EQ(List("text", "*.config", true), 5);
    EXPECT_EQ(Listed(), (Paths{"text/a.config", "text/b.config", "text/sub.d/d.config", "text/sub/b.config",
                               "text/sub/deeper/c.config"}));
}

TEST_P(ListFilesTest, ListingsNestWithoutDisturbingEachOther) {
    const std::vector<String> outer = ListFiles("text", "*.config", true);
    size_t walked = 0;
    for (const String& path : outer) {
        EXPECT_EQ(List("text", "*.txt", false), 1) << path.CStr();
        ++walked;
    }
    EXPECT_EQ(walked, 5u);
    EXPECT_EQ(Listed(), (Paths{"text/notes.txt"}));
    EXPECT_EQ(List("nowhere", "*.config", true), 0);
}

TEST_P(ListFilesTest, EmptyDirectoryListsTheTopLevel) {
    EXPECT_EQ(List("", "*.config", false), 1);
    EXPECT_EQ(Listed(), (Paths{"top.config"}));
}

TEST_P(ListFilesTest, StarDotStarListsEveryFile) {
    EXPECT_EQ(List("text/sub", "*.*", false), 1);
    EXPECT_EQ(Listed(), (Paths{"text/sub/b.config"}));
    EXPECT_EQ(List("text", "*", false), 4) << "never the subdirectories themselves";
}

INSTANTIATE_TEST_SUITE_P(FromArchiveAndDisk, ListFilesTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Archive" : "Disk"; });

class ListFilesDifferencesTest : public ::testing::Test {
protected:
    testing_support::EngineSandbox sandbox;
};

TEST_F(ListFilesDifferencesTest, ArchiveMatchesOnlyTheSuffixAndLowerCaseDirectories) {
    ASSERT_TRUE(
        WriteFile("data.pack", pack_bytes::Archive({{"Text/A.config", "x"}, {"text/xa.config", "x"}})));
    ASSERT_TRUE(OpenArchive("data.pack"));
    // The text before the last star is ignored, and a pattern without one is all suffix.
    EXPECT_EQ(List("text", "zzz*a.config", false), 2);
    EXPECT_EQ(List("text", "a.config", false), 2);
    EXPECT_EQ(List("Text", "*", false), 0) << "stored names are lower-case";
}

TEST_F(ListFilesDifferencesTest, DiskMatchesTheWholeWildcardAndStaysSorted) {
    for (const char* name : {"d/c.tga", "d/a.tga", "d/b.png", "d/B.tga", "d/ab.tga", "d/noext"}) {
        ASSERT_TRUE(WriteFile(name, "x"));
    }
    EXPECT_EQ(List("d", "a*.tga", false), 2);
    EXPECT_EQ(Listed(), (Paths{"d/a.tga", "d/ab.tga"}));
    EXPECT_EQ(List("d", "?.tga", false), 3);
    EXPECT_EQ(Listed(), (Paths{"d/B.tga", "d/a.tga", "d/c.tga"}));
    EXPECT_EQ(List("d", "*.*", false), 6) << "names without a dot included";
}

TEST_F(ListFilesDifferencesTest, LooseListingIgnoresTheArchive) {
    ASSERT_TRUE(WriteFile("data.pack", pack_bytes::Archive({{"d/packed.txt", "x"}})));
    ASSERT_TRUE(WriteFile("d/loose.txt", "x"));
    ASSERT_TRUE(WriteFile("d/sub/deep.txt", "x"));
    ASSERT_TRUE(OpenArchive("data.pack"));
    EXPECT_EQ(ListLoose("d", "*.txt"), 1);
    EXPECT_EQ(Listed(), (Paths{"d/loose.txt"}));
    EXPECT_EQ(List("d", "*.txt", true), 1);
    EXPECT_EQ(Listed(), (Paths{"d/packed.txt"}));
}

TEST_F(ListFilesDifferencesTest, DiskRecursionDoesNotFollowLinkLoops) {
    ASSERT_TRUE(WriteFile("d/a.txt", "x"));
    std::filesystem::create_directory_symlink("..", "d/loop");
    EXPECT_EQ(List("d", "*.txt", true), 1);
}

} // namespace
