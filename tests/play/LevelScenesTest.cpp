// The screen stack's level bookkeeping: the sorted level list, loading
// levels and level sets, switching between them and its refusals, unloading,
// saving and queued loads, with a level screen that records what it is asked.
#include "ui/ScreenStackFixture.h"

#include "io/Resources.h"
#include "play/LevelPlayerHooks.h"
#include "play/LevelScenes.h"
#include "play/LevelScreen.h"
#include "render/Bitmap.h"
#include "render/Image.h"
#include "render/RenderResources.h"
#include "render/Sprite.h"
#include "support/DeferredQueue.h"

#include <algorithm>

using namespace ui_test;

namespace {

/// A level screen that answers IsA("QuestScreen") and IsA("GameScreen") as
/// the game's level screen does, and notes every request in the journal.
class TestLevel : public LevelScreen {
public:
    static constexpr const char* StaticClassName() { return "TestLevel"; }
    const char* GetClassName() const override { return "TestLevel"; }
    bool IsA(const char* name) const override {
        return ClassNameMatches(name, "TestLevel") || ClassNameMatches(name, "QuestScreen") ||
               ClassNameMatches(name, "GameScreen") || LevelScreen::IsA(name);
    }
    ~TestLevel() override { Journal().push_back(level + ":destroyed"); }

    bool LoadLevel(const char* name) override {
        level = name;
        sawItselfLoading = GetLevelScenes().LoadingLevel() == this;
        Journal().push_back(level + ":load");
        return level.find("broken") == std::string::npos;
    }
    bool EnterLevel(LevelScreen* previous) override {
        Journal().push_back(level + ":enter/" +
                            (previous ? static_cast<TestLevel*>(previous)->level : "none"));
        return true;
    }
    bool SaveLevel() override {
        Journal().push_back(level + ":save");
        return level.find("unsaveable") == std::string::npos;
    }
    bool OnPush() override {
        Journal().push_back(level + ":push");
        return true;
    }
    bool OnPop() override {
        Journal().push_back(level + ":pop");
        return true;
    }

    std::string level;
    bool sawItselfLoading = false;
};

/// A game screen that is no level (a map, say).
class ProbeGameScreen : public ProbeScreen {
public:
    const char* GetClassName() const override { return "ProbeGameScreen"; }
    bool IsA(const char* name) const override {
        return ClassNameMatches(name, "ProbeGameScreen") || ClassNameMatches(name, "GameScreen") ||
               ProbeScreen::IsA(name);
    }
};

class RecordingGame : public LevelPlayerHooks {
public:
    bool InSecondWorld() override { return secondWorld; }
    void CompactInventory() override { Journal().push_back("game:compact"); }
    void EnterLevelSet(int32_t index) override {
        Journal().push_back("game:enter-set/" + std::to_string(index));
    }
    void ApplyLevelOrbCount() override { Journal().push_back("game:orbs"); }
    int32_t CurrentLevel() override { return currentLevel; }
    bool SavePlayerState() override {
        Journal().push_back("game:save");
        return playerStateSaves;
    }
    int32_t currentLevel = -1;
    bool playerStateSaves = true;
    bool secondWorld = false;
};

/// The settings the level code reads: the level names and their folder.
class LevelSettings : public Element {
public:
    LevelSettings() {
        DeclareString("Levels", Levels, 3, this, "");
        DeclareString("LevelDirectory", LevelDirectory, 1, this, "levels");
        Levels.SetString(0, "tower");
        Levels.SetString(1, "plaza");
        Levels.SetString(2, "nowhere");
    }
    Var Levels;
    Var LevelDirectory;
};

class LevelScenesTest : public ScreenStackTest {
protected:
    void SetUp() override {
        ScreenStackTest::SetUp();
        RegisterClass("TestLevel", MakeObject<TestLevel>, "Test");
        RegisterClass("ProbeGameScreen", MakeObject<ProbeGameScreen>, "Test");
        ASSERT_TRUE(testing_support::WriteFile("gui/DunhavenHud.scene",
                                               "Widget = hud;\nWidget = picture;\nhud.Type = TestLevel;\n"
                                               "picture.Type = Bitmap;\n"));
        for (const char* script :
             {"levels/plaza/plaza.lua", "levels/plaza/extra.lua", "levels/plaza_cellar/cellar.lua",
              "levels/tower/tower.lua", "levels/loose.lua"}) {
            ASSERT_TRUE(testing_support::WriteFile(script, "-- level script\n"));
        }
        SetLevelPlayerHooks(&game);
        levels.Attach();
        globals = &settings;
        ui.services.SetPoster(deferred.Poster());
    }

    TestLevel* Level(const char* name) { return static_cast<TestLevel*>(levels.FindLevel(name)); }
    std::vector<std::string> LevelNames() {
        std::vector<std::string> names;
        for (const LevelScenes::Entry& entry : levels.Entries()) {
            names.push_back(entry.name.CStr());
        }
        return names;
    }
    bool Contains(const std::vector<std::string>& journal, const std::string& entry) {
        return std::find(journal.begin(), journal.end(), entry) != journal.end();
    }

    RecordingGame game;
    LevelScenes& levels = GetLevelScenes();
    LevelSettings settings;
    testing_support::DeferredQueue deferred;
};

} // namespace

TEST_F(LevelScenesTest, LevelListIsSortedByteWiseOnLookUpAndSearchedByName) {
    for (const char* name : {"tower", "arch", "Zed", "plaza"}) {
        ASSERT_TRUE(levels.LoadLevel(name));
    }
    EXPECT_EQ(LevelNames(), (std::vector<std::string>{"tower", "arch", "Zed", "plaza"}));
    ASSERT_NE(Level("arch"), nullptr);
    EXPECT_EQ(Level("arch")->level, "arch");
    EXPECT_EQ(LevelNames(), (std::vector<std::string>{"Zed", "arch", "plaza", "tower"}));
    EXPECT_EQ(Level("Zed")->level, "Zed");
    EXPECT_EQ(Level("tower")->level, "tower");
    EXPECT_EQ(Level("zed"), nullptr);
    EXPECT_EQ(Level("missing"), nullptr);
    // A change marks the list for sorting again.
    ASSERT_TRUE(levels.LoadLevel("bridge"));
    EXPECT_EQ(Level("bridge")->level, "bridge");
    EXPECT_EQ(LevelNames(), (std::vector<std::string>{"Zed", "arch", "bridge", "plaza", "tower"}));
}

TEST_F(LevelScenesTest, TheQuestScreenLoadsTheHudOfThePlayersWorldAndOtherClassesTheirOwnFile) {
    ASSERT_TRUE(testing_support::WriteFile("gui/EmberlowHud.scene", ScreenScene("Screen", "second_world")));
    game.secondWorld = true;
    Screen* second = ui.LoadScreen("QuestScreen");
    ASSERT_NE(second, nullptr);
    EXPECT_STREQ(second->GetName(), "second_world");
    delete second->scene;
    // Detached, the stack loads the quest screen like any other class.
    levels.Detach();
    ASSERT_TRUE(testing_support::WriteFile("gui/QuestScreen.scene", ScreenScene("Screen", "plain")));
    Screen* plain = ui.LoadScreen("QuestScreen");
    levels.Attach();
    ASSERT_NE(plain, nullptr);
    EXPECT_STREQ(plain->GetName(), "plain");
    delete plain->scene;
}

TEST_F(LevelScenesTest, LoadLevelPopsEveryScreenAndKeepsOnlyLevelsThatLoad) {
    PushProbe("title");
    ASSERT_TRUE(levels.LoadLevel("plaza"));
    EXPECT_TRUE(ui.Stack().empty());
    EXPECT_TRUE(Level("plaza")->sawItselfLoading);
    EXPECT_EQ(levels.LoadingLevel(), nullptr);

    TakeJournal();
    EXPECT_FALSE(levels.LoadLevel("broken_bridge"));
    EXPECT_EQ(LevelNames(), (std::vector<std::string>{"plaza"}));
    ui.Update();
    EXPECT_TRUE(Contains(TakeJournal(), "broken_bridge:destroyed"));

    // Loading a level of the same name again replaces the old screen.
    TestLevel* first = Level("plaza");
    ASSERT_TRUE(levels.LoadLevel("plaza"));
    EXPECT_NE(Level("plaza"), first);
    EXPECT_EQ(levels.Entries().size(), 1u);
    ui.Update();
    EXPECT_TRUE(Contains(TakeJournal(), "plaza:destroyed"));
}

TEST_F(LevelScenesTest, SwitchToLevelRefusesUnlessTheStackIsEmptyOrHoldsOneLevel) {
    ASSERT_TRUE(levels.LoadLevel("plaza"));
    ASSERT_TRUE(levels.LoadLevel("tower"));
    PushProbe("title");
    PushProbe("options");
    EXPECT_FALSE(levels.SwitchToLevel("plaza", true));
    EXPECT_EQ(ui.Stack().size(), 2u);
    ui.PopScreen(0);
    TakeJournal();
    // One screen that is no level.
    EXPECT_FALSE(levels.SwitchToLevel("plaza", true));
    EXPECT_EQ(ui.Stack().size(), 1u);
    EXPECT_TRUE(TakeJournal().empty()); // not popped
    ui.PopScreen(0);

    // From the empty stack: the level becomes the only screen, without OnPush.
    TakeJournal();
    EXPECT_FALSE(levels.SwitchToLevel("nowhere", true));
    ASSERT_TRUE(levels.SwitchToLevel("plaza", true));
    ASSERT_EQ(ui.Stack().size(), 1u);
    EXPECT_EQ(ui.Stack()[0], Level("plaza"));
    EXPECT_EQ(TakeJournal(), (std::vector<std::string>{"plaza:enter/none"}));
    EXPECT_EQ(std::string(levels.CurrentLevelName().CStr()), "plaza");
    EXPECT_EQ(ui.services.Transition().Type(), 1);
    EXPECT_TRUE(ui.services.Transition().IsRunning());

    // From one level to another: the old one is popped, the new one entered from it.
    ASSERT_TRUE(levels.SwitchToLevel("tower", true));
    EXPECT_EQ(TakeJournal(), (std::vector<std::string>{"plaza:pop", "tower:enter/plaza"}));
    EXPECT_EQ(ui.Stack()[0], Level("tower"));
    // An unknown level leaves the one there untouched.
    EXPECT_FALSE(levels.SwitchToLevel("nowhere", true));
    EXPECT_TRUE(TakeJournal().empty());
    // Already there: nothing happens.
    EXPECT_TRUE(levels.SwitchToLevel("tower", true));
    EXPECT_TRUE(TakeJournal().empty());
    // Switched levels stay loaded.
    EXPECT_EQ(levels.Entries().size(), 2u);
}

TEST_F(LevelScenesTest, LevelSetLoadsEveryLevelWhoseFolderNameContainsTheSetName) {
    ASSERT_TRUE(levels.LoadLevel("tower"));
    ASSERT_TRUE(levels.SwitchToLevel("tower", false));
    TakeJournal();
    ASSERT_TRUE(levels.LoadLevelSet("plaza", true));
    const std::vector<std::string> journal = TakeJournal();
    EXPECT_EQ(LevelNames(), (std::vector<std::string>{"plaza", "plaza_cellar"}));
    // The player's side first, the set's index in the level list, the
    // levels once each in listing order, the orbs, then the switch.
    const std::vector<std::string> expected = {"game:compact",      "game:enter-set/1", "plaza:load",
                                               "plaza_cellar:load", "game:orbs",        "plaza:enter/none"};
    std::vector<std::string> ordered;
    for (const std::string& entry : journal) {
        if (entry.find(":destroyed") == std::string::npos && entry.find(":pop") == std::string::npos) {
            ordered.push_back(entry);
        }
    }
    EXPECT_EQ(ordered, expected);
    ASSERT_EQ(ui.Stack().size(), 1u);
    EXPECT_EQ(ui.Stack()[0], Level("plaza"));
    ui.Update();
    EXPECT_TRUE(Contains(TakeJournal(), "tower:destroyed"));
    EXPECT_FALSE(ui.services.Progress().Active());
}

TEST_F(LevelScenesTest, LevelSetWithAFailingLevelUnloadsEverythingAndLeavesTheStackEmpty) {
    ASSERT_TRUE(testing_support::WriteFile("levels/plaza_broken/broken.lua", "--\n"));
    ASSERT_TRUE(levels.LoadLevel("tower"));
    ASSERT_TRUE(levels.SwitchToLevel("tower", false));
    EXPECT_FALSE(levels.LoadLevelSet("plaza", true));
    EXPECT_TRUE(levels.Entries().empty());
    EXPECT_TRUE(ui.Stack().empty());
    EXPECT_FALSE(ui.services.Progress().Active());
    ui.Update();
    const std::vector<std::string> journal = TakeJournal();
    EXPECT_TRUE(Contains(journal, "plaza:destroyed"));
    EXPECT_TRUE(Contains(journal, "tower:destroyed"));
}

TEST_F(LevelScenesTest, PoppingALevelUnloadsAllLevelsAndOtherGameScreensAreReleased) {
    ASSERT_TRUE(levels.LoadLevel("plaza"));
    ASSERT_TRUE(levels.LoadLevel("tower"));
    ASSERT_TRUE(levels.SwitchToLevel("plaza", false));
    ui.PopScreen(0);
    EXPECT_TRUE(levels.Entries().empty());
    ui.Update();
    const std::vector<std::string> journal = TakeJournal();
    EXPECT_TRUE(Contains(journal, "plaza:destroyed"));
    EXPECT_TRUE(Contains(journal, "tower:destroyed"));

    ASSERT_TRUE(testing_support::WriteFile("gui/map.scene", ScreenScene("ProbeGameScreen", "map")));
    Scene* scene = LoadScene("gui/map.scene").release();
    ASSERT_NE(scene, nullptr);
    ASSERT_TRUE(ui.PushScreen(static_cast<Screen*>(scene->FindElement("map", "Screen")), 0));
    ui.PopScreen(0);
    ui.Update();
    EXPECT_TRUE(Contains(TakeJournal(), "map:destroyed"));
}

TEST_F(LevelScenesTest, UnloadingTakesLevelScreensOffTheStackBeforeTheirScenesGo) {
    ASSERT_TRUE(levels.LoadLevel("plaza"));
    ASSERT_TRUE(levels.SwitchToLevel("plaza", false));
    TakeJournal();
    levels.UnloadLevels();
    EXPECT_TRUE(ui.Stack().empty());
    EXPECT_EQ(TakeJournal(), (std::vector<std::string>{"plaza:pop"}));
    ui.Update(); // would update a destroyed screen if it were still on the stack
    EXPECT_TRUE(Contains(TakeJournal(), "plaza:destroyed"));
}

TEST_F(LevelScenesTest, SaveLevelsSavesThePlayerThenEachLevelUntilOneFails) {
    for (const char* name : {"a_unsaveable", "b", "c"}) {
        ASSERT_TRUE(levels.LoadLevel(name));
    }
    levels.FindLevel("a"); // sorts
    TakeJournal();
    EXPECT_FALSE(levels.SaveLevels());
    EXPECT_EQ(TakeJournal(), (std::vector<std::string>{"game:save", "a_unsaveable:save"}));
    levels.UnloadLevels();
    ASSERT_TRUE(levels.LoadLevel("b"));
    TakeJournal();
    EXPECT_TRUE(levels.SaveLevels());
    EXPECT_EQ(TakeJournal(), (std::vector<std::string>{"game:save", "b:save"}));
    // A player state that cannot be written saves no level.
    game.playerStateSaves = false;
    EXPECT_FALSE(levels.SaveLevels());
    EXPECT_EQ(TakeJournal(), (std::vector<std::string>{"game:save"}));
}

TEST_F(LevelScenesTest, StartCurrentLevelLoadsThePlayersSetAndEntersItsRootLevel) {
    game.currentLevel = 7;
    EXPECT_FALSE(levels.StartCurrentLevel());
    game.currentLevel = 1;
    levels.SetRootLevel("plaza_cellar");
    TakeJournal();
    ASSERT_TRUE(levels.StartCurrentLevel());
    const std::vector<std::string> journal = TakeJournal();
    ASSERT_FALSE(journal.empty());
    EXPECT_EQ(journal.back(), "plaza_cellar:enter/none");
    EXPECT_FALSE(Contains(journal, "plaza:enter/none")); // loaded without entering
    EXPECT_EQ(ui.Stack()[0], Level("plaza"));
}

TEST_F(LevelScenesTest, QueuedLevelLoadPopsNowAndLoadsWhenItsMessageArrives) {
    PushProbe("map");
    levels.QueueLevelLoad("tower", 7.0f);
    EXPECT_TRUE(ui.Stack().empty());
    ASSERT_EQ(deferred.posted.size(), 1u);
    EXPECT_EQ(deferred.posted[0].code, 1003);
    EXPECT_FLOAT_EQ(deferred.posted[0].delay, 7.0f);
    EXPECT_TRUE(levels.Entries().empty());
    TakeJournal();
    ui.OnDeferredMessage(deferred.posted[0].code, deferred.posted[0].data);
    EXPECT_EQ(TakeJournal(), (std::vector<std::string>{"tower:load", "tower:enter/none"}));
    ASSERT_EQ(ui.Stack().size(), 1u);
    EXPECT_EQ(ui.Stack()[0], Level("tower"));
    EXPECT_EQ(ui.services.Texts().Count(), 0u);
}

TEST_F(LevelScenesTest, BrightnessReachesEveryBitmapOfTheLevelScenes) {
    ASSERT_TRUE(levels.LoadLevel("plaza"));
    ASSERT_TRUE(levels.LoadLevel("tower"));
    Sprite plazaPicture;
    Sprite towerPicture;
    static_cast<Bitmap*>(Level("plaza")->scene->FindElement("picture", "Bitmap"))
        ->SetOwnSprite(&plazaPicture);
    static_cast<Bitmap*>(Level("tower")->scene->FindElement("picture", "Bitmap"))
        ->SetOwnSprite(&towerPicture);
    levels.ApplyBrightness(0.75f);
    EXPECT_FLOAT_EQ(plazaPicture.Brightness(), 0.5f);
    EXPECT_FLOAT_EQ(towerPicture.Brightness(), 0.5f);
    levels.ApplyBrightness(0.0f);
    EXPECT_FLOAT_EQ(towerPicture.Brightness(), -1.0f);
    levels.UnloadLevels();
    ui.Update();
}

TEST_F(LevelScenesTest, LevelsLoadedAfterABrightnessChangeTakeIt) {
    ui.services.SetPictureBrightness(0.25f);
    ASSERT_TRUE(testing_support::WriteFile("gui/DunhavenHud.scene",
                                           "Widget = hud;\nWidget = picture;\nhud.Type = TestLevel;\n"
                                           "picture.Type = Bitmap;\npicture.SpritePath = lit.tga;\n"));
    Image image;
    ASSERT_TRUE(image.Create(4, 4));
    ASSERT_TRUE(image.SaveTga("lit.tga"));
    InstallRenderResourceLoaders();
    Resources::lookupEnabled = Resources::storeEnabled = true;
    ASSERT_TRUE(levels.LoadLevel("plaza"));
    auto* bitmap = static_cast<Bitmap*>(Level("plaza")->scene->FindElement("picture", "Bitmap"));
    ASSERT_NE(bitmap->GetSprite(), nullptr);
    EXPECT_FLOAT_EQ(bitmap->GetSprite()->Brightness(), -0.5f);
}

TEST_F(LevelScenesTest, ScreenshotOfEveryLevelIsQueuedSevenSecondsApart) {
    // The scenes are listed below the LevelDirectory setting, not a fixed folder.
    settings.LevelDirectory.SetString(0, "stages");
    ASSERT_TRUE(testing_support::WriteFile("levels/elsewhere/elsewhere.scene", "Widget = a;\n"));
    ASSERT_TRUE(testing_support::WriteFile("stages/plaza/plaza.scene", "Widget = a;\n"));
    ASSERT_TRUE(testing_support::WriteFile("stages/tower/top.scene", "Widget = a;\n"));
    levels.ScreenshotAllLevels();
    ASSERT_EQ(deferred.posted.size(), 4u);
    const std::vector<std::pair<int32_t, float>> expected = {
        {1003, 0.0f}, {1002, 5.0f}, {1003, 7.0f}, {1002, 12.0f}};
    const std::vector<std::string> names = {"plaza", "plaza", "top", "top"};
    for (size_t i = 0; i < deferred.posted.size(); ++i) {
        EXPECT_EQ(deferred.posted[i].code, expected[i].first) << i;
        EXPECT_FLOAT_EQ(deferred.posted[i].delay, expected[i].second) << i;
        String name;
        ASSERT_TRUE(ui.services.Texts().Take(deferred.posted[i].data, name)) << i;
        EXPECT_EQ(std::string(name.CStr()), names[i]);
    }
}
