// The game's data location: the program's folder by default, or the folder or
// archive given to the entry instead (the --data option).
#include "GameStartup.h"
#include "app/Application.h"
#include "app/GameHooks.h"
#include "core/EngineState.h"
#include "io/File.h"
#include "io/PackArchive.h"
#include "io/PackBytes.h"
#include "support/TestEnvironment.h"
#include "support/VirtualPlatform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using testing_support::ReadFile;
using testing_support::WriteFile;

namespace {

// The game's own start-up, reading what it made of the data instead of
// choosing the first screen: the current folder, and the first screen's file
// as the game would open it.
struct DataProbe : GameStartup {
    fs::path folder;
    bool archiveOpen = false;
    std::string firstScreen;

    void ChooseFirstScreen() override {
        folder = fs::current_path();
        archiveOpen = IsArchiveOpen();
        File file;
        if (file.Open("gui/IntroScreen.scene", kFileRead)) {
            firstScreen.resize(size_t(file.Length()));
            file.Read(firstScreen.data(), firstScreen.size());
        }
    }
    void OnFrame() override { running = false; }
};

DataProbe StartOn(const char* dataPath) {
    testing_support::VirtualPlatform platform;
    testing_support::ScopedPlatform installed(platform);
    testing_support::LogCapture log;
    const fs::path before = fs::current_path();
    DataProbe probe;
    EXPECT_EQ(RunApplication(probe, dataPath), 0);
    fs::current_path(before);
    return probe;
}

TEST(DataLocation, AFolderOrAnArchiveReplacesTheProgramsFolder) {
    const fs::path top = fs::current_path();
    ASSERT_TRUE(WriteFile("mine/gui/introscreen.scene", "loose"));
    ASSERT_TRUE(
        WriteFile("packed/data.pack", pack_bytes::Archive({{"gui/introscreen.scene", "from data.pack"}})));
    ASSERT_TRUE(WriteFile("other/my.pack", pack_bytes::Archive({{"gui/introscreen.scene", "from my.pack"}})));

    DataProbe folder = StartOn("mine");
    EXPECT_EQ(folder.folder, top / "mine");
    EXPECT_FALSE(folder.archiveOpen);
    EXPECT_EQ(folder.firstScreen, "loose")
        << "the path's case differs from the file's, as in an extracted archive";

    DataProbe packedFolder = StartOn((top / "packed").c_str());
    EXPECT_EQ(packedFolder.folder, top / "packed");
    EXPECT_EQ(packedFolder.firstScreen, "from data.pack");

    DataProbe archive = StartOn("other/my.pack");
    EXPECT_EQ(archive.folder, top / "other");
    EXPECT_EQ(archive.firstScreen, "from my.pack");

    DataProbe plain = StartOn(nullptr);
    EXPECT_NE(plain.folder, top / "other") << "without a data path the program's folder is used";
    EXPECT_EQ(plain.folder.string() + "/", fs::read_symlink("/proc/self/exe").parent_path().string() + "/");
}

TEST(DataLocation, TheGameAnswersHelpAndRefusesAMissingDataPath) {
    const std::string game = std::string(TEST_BINARY_DIR) + "/bin/dunhaven";
    auto run = [&](const std::string& arguments) {
        std::string output;
        FILE* pipe = popen((game + " " + arguments + " 2>&1").c_str(), "r");
        char buffer[512];
        while (pipe && fgets(buffer, sizeof buffer, pipe)) {
            output += buffer;
        }
        const int status = pipe ? pclose(pipe) : -1;
        return std::make_pair(WIFEXITED(status) ? WEXITSTATUS(status) : -1, output);
    };
    auto [helpStatus, help] = run("--help");
    EXPECT_EQ(helpStatus, 0);
    EXPECT_EQ(help.rfind("usage: dunhaven [--data DIR|PACK]", 0), 0u) << help;
    EXPECT_EQ(run("-h").first, 0);
    auto [missingStatus, missing] = run("--data nowhere");
    EXPECT_EQ(missingStatus, 2);
    EXPECT_EQ(missing, "dunhaven: cannot use --data nowhere: No such file or directory\n");
    EXPECT_EQ(run("--frobnicate").first, 2);
}

} // namespace
