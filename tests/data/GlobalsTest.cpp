#include "GameDataFixture.h"

#include "app/Application.h"
#include "app/GameHooks.h"
#include "core/Var.h"
#include "platform/GameWindow.h"
#include "render/RenderContext.h"

using testing_support::LogCapture;
using testing_support::WriteFile;

namespace {

class GlobalsTest : public GameDataTest {
protected:
    Globals& settings() { return *GetGlobals(); }
};

TEST_F(GlobalsTest, DefaultsHaveTheDocumentedOrderCountsAndValues) {
    const auto& properties = settings().Properties();
    // The element's own three properties, then the 244 settings from
    // GlobalsPath to the loading-bar overlay position.
    ASSERT_EQ(properties.size(), 3u + 244u);
    EXPECT_STREQ(properties[3]->name, "GlobalsPath");
    EXPECT_STREQ(properties[4]->name, "CompanyName");
    EXPECT_STREQ(properties.back()->name, "LoadScreen_OverlayPos");

    EXPECT_STREQ(settings().GetString("GameTitle").CStr(), "Dunhaven - Tessaroon");
    EXPECT_EQ(settings().GetInt("DisplayWidth"), 1024);
    EXPECT_EQ(settings().GetInt("DisplayHeight"), 768);
    EXPECT_TRUE(settings().GetBool("FirstLevelType"));
    EXPECT_FLOAT_EQ(settings().GetFloat("Game_ItemEmitterRate"), 0.4f);
    EXPECT_EQ(settings().GetInt("Game_MaxLevelEnergy"), 999);
    EXPECT_EQ(settings().Setting("Game_DoodadGlowSize").GetType(), kVarInt);
    EXPECT_EQ(settings().Setting("HintTime").GetType(), kVarFloat);
    EXPECT_FLOAT_EQ(settings().GetFloat("Map_Extents", 1), -425.0f);
    EXPECT_FLOAT_EQ(settings().GetFloat("Cursor_Hotspots", 5), 25.0f);
    EXPECT_STREQ(settings().GetString("Cursor_Exit", 1).CStr(), "gui/Cursor/emberlow_exit.png");
    EXPECT_STREQ(settings().GetString("String_Numbers", 9).CStr(), "numbers.number_9");
    EXPECT_STREQ(settings().GetString("TalkBubbleConnectors", 1).CStr(), "gui/DialogueScreen/%s_right.png");
    // Patterns of single settings are left for their users to fill in.
    EXPECT_STREQ(settings().GetString("Path_DiscFrames").CStr(), "gui/GameScreen/disc/%s_gem_disc_%%d.tga");
    EXPECT_STREQ(settings().GetString("Message_GenericFail").CStr(), "message.generic_fail_%d");
    // Unknown names read neutral values.
    EXPECT_TRUE(settings().GetString("NoSuchSetting").Empty());
    EXPECT_EQ(settings().GetInt("NoSuchSetting"), 0);
}

TEST_F(GlobalsTest, SoundPatternsAreNumberedFromOne) {
    const Var& use = settings().Setting("Sound_UseObject");
    ASSERT_EQ(use.GetCount(), 10);
    EXPECT_STREQ(use.GetString(0).CStr(), "audio/use_object_1.ogg");
    EXPECT_STREQ(use.GetString(9).CStr(), "audio/use_object_10.ogg");
    EXPECT_STREQ(settings().GetString("Sound_Navigate", 2).CStr(), "audio/navigation_3.ogg");
    EXPECT_STREQ(settings().GetString("Sound_InventoryOpen", 1).CStr(), "audio/inventory_open_2.ogg");
    EXPECT_STREQ(settings().GetString("Sound_HintOpen").CStr(), "audio/hint_open.ogg");
}

TEST_F(GlobalsTest, LevelTablesHoldTwentySevenEntries) {
    const Var& levels = settings().Setting("Levels");
    const Var& colors = settings().Setting("Game_DiscColors");
    const Var& orbs = settings().Setting("Game_OrbCounts");
    ASSERT_EQ(levels.GetCount(), 27);
    ASSERT_EQ(colors.GetCount(), 27);
    ASSERT_EQ(orbs.GetCount(), 27);
    EXPECT_STREQ(levels.GetString(0).CStr(), "bedroom");
    EXPECT_STREQ(levels.GetString(9).CStr(), "castle_red");
    EXPECT_STREQ(levels.GetString(26).CStr(), "castle_complete");

    std::string colorRow;
    std::string orbRow;
    for (int32_t i = 0; i < 27; ++i) {
        const String& color = colors.GetString(i);
        colorRow += color.Empty() ? '-' : color.CStr()[0];
        orbRow += std::to_string(orbs.GetInt(i)) + " ";
    }
    EXPECT_EQ(colorRow, "--rrrrrrr-ggggggg-bbbbbbb--");
    EXPECT_EQ(orbRow, "-1 -1 -1 1 2 3 4 5 6 -1 0 1 2 3 4 5 6 -1 0 1 2 3 4 5 6 -1 -1 ");
}

TEST_F(GlobalsTest, SettingsFileOverridesByNameAndCannotResizeTables) {
    // "Aaa" comes first but is no Globals; "Custom" is the first Globals in
    // name order, "Zed" a later one that must be ignored.
    ASSERT_TRUE(WriteFile("config/globals.scene", "Widget = Zed;\n"
                                                  "Widget = Custom;\n"
                                                  "Widget = Aaa;\n"
                                                  "Aaa.Type = Options;\n"
                                                  "Zed.Type = Globals;\n"
                                                  "Zed.GameVersion = 9.9;\n"
                                                  "Custom.Type = Globals;\n"
                                                  "Custom.GameVersion = 2.5;\n"
                                                  "Custom.HintTime = 4.5;\n"
                                                  "Custom.GlobalsPath = elsewhere.scene;\n"
                                                  "Custom.LevelCount = 30;\n"
                                                  "Custom.Levels = attic;\n"
                                                  "Custom.Levels = cellar;\n"
                                                  "Custom.Levels = garden;\n"));
    ASSERT_TRUE(LoadGlobals());
    EXPECT_STREQ(settings().GetString("GameVersion").CStr(), "2.5");
    EXPECT_FLOAT_EQ(settings().GetFloat("HintTime"), 4.5f);
    EXPECT_EQ(settings().GetInt("LevelCount"), 30);
    const Var& levels = settings().Setting("Levels");
    ASSERT_EQ(levels.GetCount(), 27);
    EXPECT_STREQ(levels.GetString(0).CStr(), "attic");
    EXPECT_STREQ(levels.GetString(2).CStr(), "garden");
    EXPECT_STREQ(levels.GetString(3).CStr(), "bowling_alley");
    EXPECT_STREQ(levels.GetString(26).CStr(), "castle_complete");
    EXPECT_EQ(settings().Setting("Game_OrbCounts").GetCount(), 27);
    // Untouched settings keep their defaults; the instance keeps its own name.
    EXPECT_EQ(settings().GetInt("DisplayWidth"), 1024);
    EXPECT_STRNE(settings().GetName(), "Custom");
}

TEST_F(GlobalsTest, MissingFileOrNoGlobalsElementKeepsDefaults) {
    {
        LogCapture log;
        EXPECT_FALSE(LoadGlobals());
        EXPECT_TRUE(log.Contains("config/globals.scene"));
    }
    ASSERT_TRUE(
        WriteFile("config/globals.scene", "Widget = only;\nonly.Type = Options;\nonly.GameVersion = 3;\n"));
    LogCapture log;
    EXPECT_FALSE(LoadGlobals());
    EXPECT_TRUE(log.Contains("no Globals element"));
    EXPECT_STREQ(settings().GetString("GameVersion").CStr(), "1.0");
}

TEST_F(GlobalsTest, ResolvingWithoutResourcesLeavesTheSettingsIntact) {
    ResolveGlobals();
    EXPECT_STREQ(settings().GetString("LoadScreen_Frame").CStr(), "gui/LoadScreen/frame.png");
    EXPECT_STREQ(settings().GetString("Quests").CStr(), "config/quests.scene");
}

// Start-up opens the archive and the window that the settings name, before
// their file is read: a changed built-in default is what the game uses.
class ChangedDefaultsGame : public GameHooks {
public:
    bool CreateGlobalObjects() override {
        auto* settings = new Globals();
        settings->FindProperty("GameTitle")->SetFirstString("Another Title");
        settings->FindProperty("DisplayWidth")->SetFirstInt(800);
        settings->FindProperty("DisplayHeight")->SetFirstInt(600);
        settings->FindProperty("PackfilePath")->SetFirstString("other.pack");
        globals = settings;
        return true;
    }
    void DeleteGlobals() override {
        delete globals;
        globals = nullptr;
    }
};

TEST(GlobalsStartup, TheArchiveAndWindowFollowTheSettings) {
    ChangedDefaultsGame game;
    LogCapture log;
    ASSERT_TRUE(Startup(game));
    EXPECT_TRUE(log.Contains("No pack archive other.pack"));
    EXPECT_EQ(DisplayWidth(), 800);
    EXPECT_EQ(DisplayHeight(), 600);
    if (GameWindowExists()) {
        EXPECT_STREQ(WindowTitle(), "Another Title");
    }
    Shutdown(game);
}

TEST(GlobalsDefaults, AreTheTextsOfAFreshInstance) {
    Globals fresh;
    for (const char* name : {"CompanyName", "GameTitle", "GameStateFilename", "PackfilePath"}) {
        EXPECT_EQ(GlobalsDefault(name).View(), fresh.GetString(name).View()) << name;
    }
    EXPECT_STREQ(GlobalsDefault("Sound_UseObject", 9).CStr(), "audio/use_object_10.ogg");
    EXPECT_TRUE(GlobalsDefault("Sound_UseObject", 10).Empty());
    EXPECT_TRUE(GlobalsDefault("NoSuchSetting").Empty());
}

} // namespace
