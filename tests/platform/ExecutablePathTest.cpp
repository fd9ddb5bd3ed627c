#include "platform/ExecutablePath.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

TEST(ExecutablePath, DirectoryKeepsCaseAndEndsInASlash) {
    EXPECT_EQ(ExecutableDirectoryFromPath("/home/Ann/Games/Dunhaven/dunhaven"), "/home/Ann/Games/Dunhaven/");
    // A backslash is an ordinary name character here, not a separator.
    EXPECT_EQ(ExecutableDirectoryFromPath("/opt/My\\Games/bin/Game"), "/opt/My\\Games/bin/");
    EXPECT_EQ(ExecutableDirectoryFromPath("/dunhaven"), "/");
    // A replaced program file reads back with a marker on its name only.
    EXPECT_EQ(ExecutableDirectoryFromPath("/srv/Play/dunhaven (deleted)"), "/srv/Play/");
}

TEST(ExecutablePath, PathWithoutDirectoryGivesEmpty) {
    EXPECT_TRUE(ExecutableDirectoryFromPath("dunhaven").Empty());
    EXPECT_TRUE(ExecutableDirectoryFromPath("").Empty());
    EXPECT_TRUE(ExecutableDirectoryFromPath(nullptr).Empty());
}

TEST(ExecutablePath, RunningProgramIsFoundAndItsDirectoryEntered) {
    const std::string expected = std::filesystem::canonical(TEST_BINARY_DIR "/bin").string() + "/";
    EXPECT_EQ(GetExecutableDirectory(), expected.c_str());
    ASSERT_TRUE(EnterExecutableDirectory());
    EXPECT_EQ(std::filesystem::current_path().string() + "/", expected);
}
