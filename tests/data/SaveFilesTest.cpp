#include "GameDataFixture.h"

#include "core/Link.h"
#include "core/Log.h"
#include "core/Scene.h"

#include <csignal>
#include <random>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using testing_support::LogCapture;
using testing_support::ReadFile;
using testing_support::WriteFile;

namespace fs = std::filesystem;

namespace {

class SaveFilesTest : public GameDataTest {
protected:
    // The folders "backup-..." of the save folder.
    std::vector<fs::path> BackupFolders() const {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(folder)) {
            if (entry.is_directory() && entry.path().filename().string().starts_with("backup-")) {
                found.push_back(entry.path());
            }
        }
        return found;
    }
    int TemporaryFiles() const {
        int count = 0;
        for (const auto& entry : fs::directory_iterator(folder)) {
            count += entry.path().filename().string().find(".tmp") != std::string::npos ? 1 : 0;
        }
        return count;
    }
    // One complete version: every inventory slot names the level it was saved at.
    static ::testing::AssertionResult HoldsOneVersion(Scene* root, int32_t& level) {
        if (!root) {
            return ::testing::AssertionFailure() << "the state file does not load";
        }
        State* player =
            root->Elements().Empty() ? nullptr : ObjectCast<State>(root->Elements().Entries().front().value);
        if (!player) {
            return ::testing::AssertionFailure() << "no profile in the state file";
        }
        level = player->CurrentLevel.FirstInt();
        const std::string expected = "item" + std::to_string(level);
        for (int32_t i = 0; i < State::kInventorySlots; ++i) {
            if (player->InventoryItemAt(i).View() != expected) {
                return ::testing::AssertionFailure()
                       << "slot " << i << " holds " << player->InventoryItemAt(i).CStr()
                       << " in the version of level " << level;
            }
        }
        return ::testing::AssertionSuccess();
    }
    static void MakeVersion(State& player, int32_t level) {
        player.CurrentLevel.SetFirstInt(level);
        const std::string item = "item" + std::to_string(level);
        for (int32_t i = 0; i < State::kInventorySlots; ++i) {
            player.Inventory.SetString(i, item.c_str());
        }
    }
};

TEST_F(SaveFilesTest, FolderFollowsDataHomeCompanyAndTitle) {
    const std::string expected =
        std::string(std::getenv("XDG_DATA_HOME")) + "/Korrindel/Dunhaven - Tessaroon/";
    EXPECT_EQ(folder, expected);
    EXPECT_TRUE(fs::is_directory(expected));
    State player;
    player.PlayerId.SetFirstInt(3);
    EXPECT_EQ(std::string(LevelSavePath(player, "diner").CStr()), expected + "3_diner.save");

    // A title that would climb out of the data folder is not used as a folder.
    LogCapture log;
    GetGlobals()->FindProperty("GameTitle")->SetFirstString("../escape");
    EXPECT_EQ(std::string(SaveDirectory().CStr()), expected);
    EXPECT_TRUE(log.Contains("GameTitle"));
}

TEST_F(SaveFilesTest, FirstRunHasDefaultsAndOneDefaultPlayer) {
    EXPECT_FALSE(LoadOptions());
    EXPECT_TRUE(GetOptions()->Fullscreen.FirstBool());
    EXPECT_FLOAT_EQ(GetOptions()->Brightness.FirstFloat(), 0.5f);
    EXPECT_FALSE(LoadStateFile());
    ASSERT_NE(gameState, nullptr);
    ASSERT_EQ(gameState->Elements().Size(), 1u);
    State* player = CurrentPlayer();
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->PlayerId.FirstInt(), -1);
    EXPECT_STREQ(player->PlayerName.FirstString().CStr(), "DefaultPlayer");
    EXPECT_TRUE(player->hudVisible);
    EXPECT_FALSE(player->mapChangePending);
    EXPECT_TRUE(BackupFolders().empty());
}

TEST_F(SaveFilesTest, OptionsAndStateReloadWhatWasSaved) {
    GetOptions()->SoundVolume.SetFirstFloat(0.25f);
    GetOptions()->Fullscreen.SetFirstBool(false);
    ASSERT_TRUE(SaveOptions());
    EXPECT_NE(ReadFile(Path("options.widget")).find("options.BuildVersion = 2487;"), std::string::npos);
    ResetOptions();
    EXPECT_TRUE(GetOptions()->Fullscreen.FirstBool());
    ASSERT_TRUE(LoadOptions());
    EXPECT_FLOAT_EQ(GetOptions()->SoundVolume.FirstFloat(), 0.25f);
    EXPECT_FALSE(GetOptions()->Fullscreen.FirstBool());
    EXPECT_STREQ(GetOptions()->GetName(), "options");

    LoadStateFile();
    ASSERT_EQ(CreatePlayer("Ann"), 0);
    ASSERT_EQ(CreatePlayer("Bob"), 1);
    ASSERT_TRUE(SelectPlayer(1));
    CurrentPlayer()->AddJournalElement("statue", "plaza");
    CurrentPlayer()->HintCooldown.SetFirstFloat(12.5f);
    SetScreenOpenQuery([](const char* name) { return std::string(name) == "MapScreen"; });
    ASSERT_TRUE(SaveStateFile());
    SetScreenOpenQuery(nullptr);

    ASSERT_TRUE(LoadStateFile());
    State* bob = CurrentPlayer();
    ASSERT_NE(bob, nullptr);
    EXPECT_STREQ(bob->PlayerName.FirstString().CStr(), "Bob");
    EXPECT_TRUE(bob->ShowMapOnLoad.FirstBool());
    EXPECT_FLOAT_EQ(bob->HintCooldown.FirstFloat(), 12.5f);
    EXPECT_STREQ(bob->JournalElements.GetString(0).CStr(), "plaza,plaza,statue");
    ASSERT_NE(FindPlayerByName("Ann"), nullptr);
    EXPECT_FALSE(FindPlayerByName("Ann")->ShowMapOnLoad.FirstBool());
}

TEST_F(SaveFilesTest, OptionsOfAnotherBuildWipeSavesButKeepTheOptionsFile) {
    ASSERT_TRUE(WriteFile(Path("options.widget"),
                          "Widget = options;\noptions.Type = Options;\n"
                          "options.BuildVersion = 2486;\noptions.SoundVolume = 0.3;\n"));
    for (const char* name : {"state.scene", "0_diner.save", "background.tga", "notes.txt"}) {
        ASSERT_TRUE(WriteFile(Path(name), "x"));
    }
    LogCapture log;
    EXPECT_TRUE(LoadOptions());
    EXPECT_TRUE(log.Contains("2486"));
    EXPECT_FALSE(Has("state.scene"));
    EXPECT_FALSE(Has("0_diner.save"));
    EXPECT_FALSE(Has("background.tga"));
    EXPECT_TRUE(Has("notes.txt"));
    EXPECT_TRUE(Has("options.widget"));
    EXPECT_FLOAT_EQ(GetOptions()->SoundVolume.FirstFloat(), 1.0f);
    ASSERT_TRUE(SaveOptions());
    EXPECT_NE(ReadFile(Path("options.widget")).find("= 2487;"), std::string::npos);
}

TEST_F(SaveFilesTest, OptionsFileOfAnotherClassIsNotApplied) {
    ASSERT_TRUE(WriteFile(Path("options.widget"), "Widget = x;\nx.Type = State;\nx.SoundVolume = 0.1;\n"));
    LogCapture log;
    EXPECT_FALSE(LoadOptions());
    EXPECT_FLOAT_EQ(GetOptions()->SoundVolume.FirstFloat(), 1.0f);
    EXPECT_TRUE(log.Contains("options.widget"));
}

TEST_F(SaveFilesTest, PlayerFilesAreMatchedByTheirOwnNumberOnly) {
    for (const char* name : {"1_diner.save", "1_park.save", "10_diner.save", "2_diner.save"}) {
        ASSERT_TRUE(WriteFile(Path(name), "x"));
    }
    State player;
    player.PlayerId.SetFirstInt(1);
    DeleteLevelSave(player, "park");
    EXPECT_FALSE(Has("1_park.save"));
    EXPECT_TRUE(Has("1_diner.save"));
    DeletePlayerFiles(player);
    EXPECT_FALSE(Has("1_diner.save"));
    EXPECT_TRUE(Has("10_diner.save"));
    EXPECT_TRUE(Has("2_diner.save"));
}

TEST_F(SaveFilesTest, DamagedStateFileIsBackedUpWithTheLevelSaves) {
    // A valid file cut short, garbage, and an empty file.
    LoadStateFile();
    ASSERT_EQ(CreatePlayer("Ann"), 0);
    ASSERT_TRUE(SaveStateFile());
    const std::string complete = ReadFile(Path("state.scene"));
    const std::string damaged[] = {complete.substr(0, complete.size() / 2),
                                   std::string("\x01\xff garbage\n", 11), std::string()};
    for (const std::string& bytes : damaged) {
        for (const fs::path& old : BackupFolders()) {
            fs::remove_all(old);
        }
        ASSERT_TRUE(WriteFile(Path("state.scene"), bytes));
        ASSERT_TRUE(WriteFile(Path("0_diner.save"), "progress"));
        ASSERT_TRUE(WriteFile(Path("background.tga"), "picture"));
        ASSERT_TRUE(WriteFile(Path("options.widget"), "kept"));
        LogCapture log;
        EXPECT_FALSE(LoadStateFile());
        const auto backups = BackupFolders();
        ASSERT_EQ(backups.size(), 1u);
        EXPECT_EQ(ReadFile((backups[0] / "0_diner.save").string()), "progress");
        EXPECT_EQ(ReadFile((backups[0] / "state.scene").string()), bytes);
        EXPECT_TRUE(fs::exists(backups[0] / "background.tga"));
        EXPECT_TRUE(Has("options.widget"));
        EXPECT_FALSE(Has("0_diner.save"));
        EXPECT_TRUE(log.Contains(backups[0].string()));
        State* player = CurrentPlayer();
        ASSERT_NE(player, nullptr);
        EXPECT_EQ(player->PlayerId.FirstInt(), -1);
        EXPECT_EQ(gameState->Elements().Size(), 1u);
    }
}

TEST_F(SaveFilesTest, LoadedStateKeepsOnlyProfilesAndExactlyOneActive) {
    ASSERT_TRUE(WriteFile(Path("state.scene"), "Widget = Bo;\nWidget = Al;\nWidget = W;\nW.Type = Options;\n"
                                               "Al.Type = State;\nAl.PlayerId = 0;\nBo.Type = State;\n"
                                               "Bo.PlayerId = 1;\n"));
    LogCapture log;
    ASSERT_TRUE(LoadStateFile());
    EXPECT_EQ(gameState->Elements().Size(), 2u);
    ASSERT_NE(CurrentPlayer(), nullptr);
    EXPECT_EQ(CurrentPlayer()->PlayerId.FirstInt(), 0);
    EXPECT_TRUE(log.Contains("no active profile"));
}

TEST_F(SaveFilesTest, FailedWriteIsReportedAndLeavesEveryFileAsItWas) {
    LoadStateFile();
    ASSERT_TRUE(WriteFile(Path("options.widget"), "old options"));
    ASSERT_TRUE(WriteFile(Path("0_diner.save"), "progress"));
    // A folder where the state file should be: the rename cannot replace it,
    // whatever the permissions.
    fs::create_directory(Path("state.scene"));
    ASSERT_TRUE(WriteFile(Path("state.scene/inside"), "kept"));
    LogCapture log;
    EXPECT_FALSE(SaveStateFile());
    EXPECT_TRUE(log.Contains(Path("state.scene")));
    EXPECT_TRUE(log.Contains("cannot replace"));
    EXPECT_EQ(ReadFile(Path("state.scene/inside")), "kept");
    EXPECT_EQ(ReadFile(Path("options.widget")), "old options");
    EXPECT_EQ(ReadFile(Path("0_diner.save")), "progress");
    EXPECT_EQ(TemporaryFiles(), 0);
}

TEST_F(SaveFilesTest, WriteCutShortKeepsThePreviousFile) {
    LoadStateFile();
    ASSERT_TRUE(SaveStateFile());
    const std::string before = ReadFile(Path("state.scene"));
    MakeVersion(*CurrentPlayer(), 5);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The file size limit makes the write fail part way.
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{static_cast<rlim_t>(before.size() / 2), static_cast<rlim_t>(before.size() / 2)};
        setrlimit(RLIMIT_FSIZE, &limit);
        LogCapture log;
        const bool saved = SaveStateFile();
        _exit(!saved && log.Contains("writing the temporary file failed") ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadFile(Path("state.scene")), before);
    EXPECT_EQ(TemporaryFiles(), 0);
}

TEST_F(SaveFilesTest, KilledWhileSavingAlwaysLeavesOneCompleteVersion) {
    LoadStateFile();
    MakeVersion(*CurrentPlayer(), 0);
    // A larger file makes kills during the write itself likely.
    for (int32_t i = 0; i < 32; ++i) {
        CurrentPlayer()->JournalElements.SetString(i, (std::string(200, 'p') + std::to_string(i)).c_str());
    }
    ASSERT_TRUE(SaveStateFile());

    std::mt19937 random(12345);
    std::uniform_int_distribution<int> pause(0, 4000);
    int newVersions = 0;
    for (int round = 0; round < 300; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            SetLogToStandardOutput(false);
            for (int32_t level = 1;; ++level) {
                MakeVersion(*CurrentPlayer(), level);
                SaveStateFile();
            }
        }
        usleep(static_cast<useconds_t>(pause(random)));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);

        Scene* root = LoadScene(Path("state.scene").c_str());
        int32_t level = -1;
        ASSERT_TRUE(HoldsOneVersion(root, level)) << "after round " << round;
        newVersions += level > 0 ? 1 : 0;
        delete root;
    }
    // The kills landed while saves were going on, not only before the first.
    EXPECT_GT(newVersions, 100);
    // Temporary files of killed writes are cleared at the next start.
    CreateSaveFolders();
    EXPECT_EQ(TemporaryFiles(), 0);
}

TEST_F(SaveFilesTest, StartUpAndShutDownHooksLoadSaveAndDelete) {
    GetOptions()->MusicVolume.SetFirstFloat(0.5f);
    startup.SaveOptions();
    startup.DeleteStateAndOptions();
    EXPECT_EQ(options, nullptr);
    startup.DeleteGlobals();
    EXPECT_EQ(globals, nullptr);

    ASSERT_TRUE(startup.CreateGlobalObjects());
    EXPECT_STREQ(options->GetName(), "options");
    startup.LoadOptionsAndState();
    EXPECT_FLOAT_EQ(GetOptions()->MusicVolume.FirstFloat(), 0.5f);
    ASSERT_NE(CurrentPlayer(), nullptr);
    ASSERT_EQ(CreatePlayer("Ann"), 0);
    ASSERT_TRUE(SaveStateFile());
    startup.ReloadPlayerState();
    ASSERT_NE(CurrentPlayer(), nullptr);
    EXPECT_STREQ(CurrentPlayer()->PlayerName.FirstString().CStr(), "Ann");
}

TEST_F(SaveFilesTest, WipeDeletesScenesSavesAndPicturesOnly) {
    for (const char* name : {"a.scene", "1_x.save", "b.tga", "options.widget", "c.txt"}) {
        ASSERT_TRUE(WriteFile(Path(name), "x"));
    }
    WipeSaveFiles();
    EXPECT_FALSE(Has("a.scene"));
    EXPECT_FALSE(Has("1_x.save"));
    EXPECT_FALSE(Has("b.tga"));
    EXPECT_TRUE(Has("options.widget"));
    EXPECT_TRUE(Has("c.txt"));
}

} // namespace

TEST_F(SaveFilesTest, AProfileSavedByOneProcessLoadsIdenticalInAnother) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        LoadStateFile();
        int32_t id = CreatePlayer("Cleo");
        bool ok = id >= 0 && SelectPlayer(id) && CurrentPlayer()->AddToInventory("key") &&
                  CurrentPlayer()->AddToInventory("lamp") &&
                  CurrentPlayer()->AddJournalElement("statue", "plaza") && SaveStateFile();
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const std::string written = ReadFile(Path("state.scene"));
    ASSERT_FALSE(written.empty());

    ASSERT_TRUE(LoadStateFile());
    State* cleo = CurrentPlayer();
    ASSERT_NE(cleo, nullptr);
    EXPECT_STREQ(cleo->PlayerName.FirstString().CStr(), "Cleo");
    EXPECT_TRUE(cleo->HasItem("key"));
    EXPECT_TRUE(cleo->HasItem("lamp"));
    EXPECT_TRUE(cleo->PageHasElement("plaza", "statue"));
    // Saved again unchanged, the file comes out byte for byte the same.
    ASSERT_TRUE(SaveStateFile());
    EXPECT_EQ(ReadFile(Path("state.scene")), written);
}
