#include "GameDataFixture.h"

#include "core/Link.h"
#include "core/Log.h"
#include "core/Scene.h"

#include <csignal>
#include <poll.h>
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
    std::uniform_int_distribution<int> pause(0, 3000);
    for (int round = 0; round < 200; ++round) {
        // The child reports each finished save through the pipe; the kill
        // comes at a random moment after the first, so every round checks a
        // file that saves were really replacing, however slow the machine.
        int reports[2];
        ASSERT_EQ(pipe(reports), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(reports[0]);
            SetLogToStandardOutput(false);
            for (int32_t level = 1;; ++level) {
                MakeVersion(*CurrentPlayer(), level);
                if (SaveStateFile() && write(reports[1], &level, sizeof level) != sizeof level) {
                    _exit(1);
                }
            }
        }
        close(reports[1]);
        int32_t reported = 0;
        pollfd first{reports[0], POLLIN, 0};
        const bool saved = poll(&first, 1, 60000) == 1 && read(reports[0], &reported, sizeof reported) ==
                                                              static_cast<ssize_t>(sizeof reported);
        if (!saved) {
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
            FAIL() << "the child finished no save in round " << round;
        }
        usleep(static_cast<useconds_t>(pause(random)));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        for (int32_t next = 0; read(reports[0], &next, sizeof next) == static_cast<ssize_t>(sizeof next);) {
            reported = next;
        }
        close(reports[0]);

        std::unique_ptr<Scene> root = LoadScene(Path("state.scene").c_str());
        int32_t level = -1;
        ASSERT_TRUE(HoldsOneVersion(root.get(), level)) << "after round " << round;
        // Every finished save is kept; the one cut short may have landed or not.
        EXPECT_GE(level, reported) << "after round " << round;
        EXPECT_LE(level, reported + 1) << "after round " << round;
    }
    // Temporary files of killed writes are cleared at the next start.
    CreateSaveFolders();
    EXPECT_EQ(TemporaryFiles(), 0);
}

// The files a backup of the damaged state must keep, with their contents.
const std::vector<std::pair<std::string, std::string>> kSaveFiles = {
    {"0_diner.save", "diner progress"}, {"0_park.save", "park progress"},
    {"1_diner.save", "other progress"}, {"background.tga", "picture"},
    {"notes.scene", "notes"},           {"state.scene", "damaged \x01\xff"}};

int backupMovesLeft = 0;

TEST_F(SaveFilesTest, BackupCutShortAnywhereLosesNoSaveAtTheNextStart) {
    for (size_t stopAfter = 1; stopAfter <= kSaveFiles.size(); ++stopAfter) {
        for (const fs::path& old : BackupFolders()) {
            fs::remove_all(old);
        }
        for (const auto& [name, bytes] : kSaveFiles) {
            ASSERT_TRUE(WriteFile(Path(name), bytes));
        }
        // The first start dies after `stopAfter` files were moved.
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            SetLogToStandardOutput(false);
            backupMovesLeft = static_cast<int>(stopAfter);
            SetBackupMoveHook([](const char*) {
                if (--backupMovesLeft <= 0) {
                    _exit(0);
                }
            });
            LoadStateFile();
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);

        // The next start, and the one after it.
        LogCapture log;
        LoadStateFile();
        ASSERT_EQ(CurrentPlayer()->PlayerId.FirstInt(), -1) << "stopped after " << stopAfter;
        LoadStateFile();
        const auto backups = BackupFolders();
        ASSERT_EQ(backups.size(), 1u) << "stopped after " << stopAfter;
        for (const auto& [name, bytes] : kSaveFiles) {
            EXPECT_EQ(ReadFile((backups[0] / name).string()), bytes)
                << name << ", stopped after " << stopAfter;
        }
        EXPECT_FALSE(fs::exists(backups[0] / ".unfinished"));
    }
}

TEST_F(SaveFilesTest, WipeCompletesAnUnfinishedBackupInsteadOfDeleting) {
    const fs::path backup = Path("backup-20240101-000000");
    ASSERT_TRUE(WriteFile((backup / ".unfinished").string(), ""));
    ASSERT_TRUE(WriteFile((backup / "state.scene").string(), "damaged"));
    ASSERT_TRUE(WriteFile(Path("0_diner.save"), "progress"));
    ASSERT_TRUE(WriteFile(Path("state.scene"), "newer"));
    LogCapture log;
    WipeSaveFiles();
    EXPECT_FALSE(Has("0_diner.save"));
    EXPECT_FALSE(Has("state.scene"));
    EXPECT_EQ(ReadFile((backup / "0_diner.save").string()), "progress");
    // Nothing in the backup is replaced: a taken name gets a number.
    EXPECT_EQ(ReadFile((backup / "state.scene").string()), "damaged");
    EXPECT_EQ(ReadFile((backup / "state.scene.1").string()), "newer");
    EXPECT_FALSE(fs::exists(backup / ".unfinished"));
    EXPECT_TRUE(log.Contains(backup.string()));
}

TEST_F(SaveFilesTest, AFolderNamedLikeTheStateFileIsMovedAsideOnce) {
    fs::create_directory(Path("state.scene"));
    ASSERT_TRUE(WriteFile(Path("state.scene/inside"), "kept"));
    ASSERT_TRUE(WriteFile(Path("0_diner.save"), "progress"));
    LogCapture log;
    EXPECT_FALSE(LoadStateFile());
    auto backups = BackupFolders();
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(ReadFile((backups[0] / "state.scene" / "inside").string()), "kept");
    EXPECT_EQ(ReadFile((backups[0] / "0_diner.save").string()), "progress");
    EXPECT_TRUE(log.Contains("and 1 other save files"));
    // The state can be saved and loads again; no further backups.
    ASSERT_EQ(CreatePlayer("Ann"), 0);
    ASSERT_TRUE(SaveStateFile());
    EXPECT_TRUE(LoadStateFile());
    EXPECT_TRUE(LoadStateFile());
    EXPECT_EQ(BackupFolders().size(), 1u);
    EXPECT_STREQ(CurrentPlayer()->PlayerName.FirstString().CStr(), "Ann");
}

TEST_F(SaveFilesTest, NamesComeBackAsTheyWereSaved) {
    LoadStateFile();
    EXPECT_EQ(CreatePlayer("Line\nBreak"), -1);
    EXPECT_EQ(CreatePlayer("Tab\tName"), -1);
    EXPECT_EQ(CreatePlayer("Del\x7f"), -1);
    ASSERT_EQ(CreatePlayer("  Cy  "), 0);
    EXPECT_EQ(CreatePlayer("Cy "), -1); // the same name once trimmed
    ASSERT_EQ(CreatePlayer("Bo; Widget = X;"), 1);
    ASSERT_EQ(CopyPlayer(0, " Dee"), 2);
    EXPECT_EQ(CopyPlayer(0, "Dee\r"), -1);
    // Values the game writes itself cannot break the file either.
    FindPlayerById(1)->ActiveItem.SetFirstString("lamp\nState.OrbCount = 5;");
    ASSERT_TRUE(SaveStateFile());

    ASSERT_TRUE(LoadStateFile());
    EXPECT_EQ(gameState->Elements().Size(), 3u);
    ASSERT_NE(FindPlayerByName("Cy"), nullptr);
    EXPECT_EQ(FindPlayerByName("Cy")->PlayerId.FirstInt(), 0);
    ASSERT_NE(FindPlayerByName("Bo; Widget = X;"), nullptr);
    ASSERT_NE(FindPlayerByName("Dee"), nullptr);
    EXPECT_EQ(FindPlayerById(1)->OrbCount.FirstInt(), -1);
    EXPECT_STREQ(FindPlayerById(1)->ActiveItem.FirstString().CStr(), "lamp State.OrbCount = 5;");
}

TEST_F(SaveFilesTest, NumbersOutOfRangeInTheStateFileAreRepaired) {
    ASSERT_TRUE(WriteFile(Path("state.scene"),
                          "Widget = A;\nWidget = B;\nWidget = C;\nWidget = D;\n"
                          "A.Type = State;\nA.PlayerId = 0;\nA.Active = true;\nA.OrbCount = 2147483647;\n"
                          "B.Type = State;\nB.PlayerId = 0;\nB.OrbCount = -40;\n"
                          "C.Type = State;\nC.PlayerId = 2147483647;\n"
                          "D.Type = State;\nD.PlayerId = 3;\n"));
    ASSERT_TRUE(WriteFile(Path("0_diner.save"), "A's progress"));
    ASSERT_TRUE(WriteFile(Path("2147483647_park.save"), "C's progress"));
    LogCapture log;
    ASSERT_TRUE(LoadStateFile());
    State* a = FindPlayerById(0);
    ASSERT_NE(a, nullptr);
    EXPECT_STREQ(a->GetName(), "A");
    EXPECT_EQ(a->OrbCount.FirstInt(), State::kMaxOrbs);
    a->GiveOrb();
    EXPECT_EQ(a->OrbCount.FirstInt(), State::kMaxOrbs);
    // Numbers are unique and the next one is free.
    State* b = static_cast<State*>(gameState->FindElement("B"));
    State* c = static_cast<State*>(gameState->FindElement("C"));
    ASSERT_TRUE(b && c);
    EXPECT_EQ(b->OrbCount.FirstInt(), -1);
    EXPECT_EQ(b->PlayerId.FirstInt(), 4);
    EXPECT_EQ(c->PlayerId.FirstInt(), 5);
    EXPECT_EQ(NextPlayerId(), 6);
    ASSERT_TRUE(SelectPlayer(0));
    EXPECT_FALSE(b->Active.FirstBool());
    // The shared saves stay with the first profile; the renumbered one keeps its own.
    EXPECT_EQ(ReadFile(Path("0_diner.save")), "A's progress");
    EXPECT_EQ(ReadFile(Path("5_park.save")), "C's progress");
    EXPECT_EQ(log.Lines().size(), 4u);
    EXPECT_TRUE(log.Contains("2147483647"));
    // The repaired numbers are what the file now holds.
    ASSERT_TRUE(LoadStateFile());
    EXPECT_EQ(static_cast<State*>(gameState->FindElement("C"))->PlayerId.FirstInt(), 5);
}

TEST_F(SaveFilesTest, LoadedOptionsAreKeptInTheirRanges) {
    ASSERT_TRUE(
        WriteFile(Path("options.widget"),
                  "Widget = options;\noptions.Type = Options;\noptions.BuildVersion = 2487;\n"
                  "options.SoundVolume = 1e39;\noptions.MusicVolume = -7;\noptions.Brightness = nan;\n"));
    LogCapture log;
    ASSERT_TRUE(LoadOptions());
    EXPECT_FLOAT_EQ(GetOptions()->SoundVolume.FirstFloat(), 1.0f);
    EXPECT_FLOAT_EQ(GetOptions()->MusicVolume.FirstFloat(), 0.0f);
    EXPECT_FLOAT_EQ(GetOptions()->Brightness.FirstFloat(), 0.5f);
    EXPECT_EQ(log.Lines().size(), 3u);
    EXPECT_TRUE(log.Contains("MusicVolume"));
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
