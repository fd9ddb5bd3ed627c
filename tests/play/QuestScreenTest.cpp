// The level rules on a small Pairs level loaded from files: clicks through
// the real click walk (pictures, cursor, hit tests), hints, completion, and
// the level's progress saved and loaded again.
#include "../data/GameDataFixture.h"

#include "app/EngineClasses.h"
#include "core/FrameTime.h"
#include "core/Scene.h"
#include "io/Resources.h"
#include "io/StringTable.h"
#include "play/Doodad.h"
#include "play/ItemDatabase.h"
#include "play/QuestScreen.h"
#include "render/RenderResources.h"
#include "render/ScreenCamera.h"
#include "render/Sprite.h"
#include "script/ScriptHooks.h"
#include "support/AllocationCounter.h"
#include "ui/Cursor.h"
#include "ui/InputManagerCallback.h"
#include "ui/UI.h"

#include <memory>

namespace {

// Two shells and two bells, each a 20 × 20 opaque picture at its place, and
// a crate to use whose name with "_OnUse" is too long for a string's inline
// buffer.
const char* const kLevelScene =
    "Widget = options;\n"
    "options.Type = LevelOptions;\n"
    "options.GameMode = 2;\n"
    "Widget = shell_a;\nshell_a.Type = Doodad;\nshell_a.fancyName = shell;\n"
    "shell_a.Position = 0;\nshell_a.Position = 0;\n"
    "Widget = shell_b;\nshell_b.Type = Doodad;\nshell_b.fancyName = shell;\n"
    "shell_b.Position = 100;\nshell_b.Position = 0;\n"
    "Widget = bell_a;\nbell_a.Type = Doodad;\nbell_a.fancyName = bell;\n"
    "bell_a.Position = 200;\nbell_a.Position = 0;\n"
    "Widget = bell_b;\nbell_b.Type = Doodad;\nbell_b.fancyName = bell;\n"
    "bell_b.Position = 300;\nbell_b.Position = 0;\n"
    "Widget = crate_of_ropes_nets_and_old_lanterns_1;\ncrate_of_ropes_nets_and_old_lanterns_1.Type = "
    "Doodad;\n"
    "crate_of_ropes_nets_and_old_lanterns_1.Position = 400;\ncrate_of_ropes_nets_and_old_lanterns_1.Position "
    "= -300;\n";

const char* const kLevelScript = "function Initialize()\n"
                                 "  CreateTreasures()\n"
                                 "  CreateIntParameter('tries')\n"
                                 "  tries = tries or 1\n"
                                 "end\n"
                                 "function crate_of_ropes_nets_and_old_lanterns_1_OnUse() end\n";

class QuestScreenTest : public GameDataTest {
protected:
    void SetUp() override {
        GameDataTest::SetUp();
        ClearRegistry();
        RegisterEngineClasses([this] { startup.RegisterGameStateClasses(); });
        startup.RegisterGameClasses();
        InstallRenderResourceLoaders();
        Resources::InstallLinkResolver();
        Resources::lookupEnabled = Resources::storeEnabled = true;
        ASSERT_TRUE(testing_support::WriteFile("levels/cove/cove.scene", kLevelScene));
        ASSERT_TRUE(testing_support::WriteFile("levels/cove/cove.lua", kLevelScript));
        LoadStateFile();
        const int32_t id = CreatePlayer("Ann");
        ASSERT_TRUE(SelectPlayer(id));
        ResetScreenCamera();
        frameTime = 1.0f / 65.0f;
    }
    void TearDown() override {
        quest.reset();
        GameDataTest::TearDown();
    }
    QuestScreen& Load() {
        quest = std::make_unique<QuestScreen>();
        EXPECT_TRUE(quest->LoadLevel("cove"));
        for (const char* name :
             {"shell_a", "shell_b", "bell_a", "bell_b", "crate_of_ropes_nets_and_old_lanterns_1"}) {
            auto picture = std::make_unique<Sprite>();
            picture->Create(20, 20);
            std::fill(picture->Pixels(), picture->Pixels() + 20 * 20 * 4, uint8_t(255));
            Object(name)->AdoptSprite(std::move(picture));
        }
        quest->LevelScene()->Update();
        return *quest;
    }
    ::Doodad* Object(const char* name) {
        return ObjectCast<::Doodad>(quest->LevelScene()->FindElement(name));
    }
    void ClickAt(float x, float y) {
        GetInputManager().mouseX = int(x) + 512;
        GetInputManager().mouseY = int(y) + 384;
        quest->MouseButton(0, true);
        quest->MouseButton(0, false);
    }
    std::unique_ptr<QuestScreen> quest;
};

} // namespace

TEST_F(QuestScreenTest, PairsNeedTwoDoodadsOfOneTypeAndAnotherTypeCancelsAsAMisclick) {
    QuestScreen& q = Load();
    ASSERT_EQ(q.gameMode, LevelOptions::kPairs);
    ASSERT_EQ(q.treasures.Total(""), 4);
    ClickAt(10, 10);
    EXPECT_EQ(q.pairFirst, Object("shell_a"));
    ClickAt(10, 10);
    EXPECT_EQ(q.pairFirst, Object("shell_a")) << "the same doodad twice is no pair";
    EXPECT_FALSE(Object("shell_a")->used.FirstBool());
    ClickAt(210, 10);
    EXPECT_EQ(q.pairFirst, nullptr) << "another type cancels the pair";
    EXPECT_FLOAT_EQ(q.misclicks.Counter(), 1.0f) << "and counts as a misclick";
    ClickAt(10, 10);
    ClickAt(110, 10);
    EXPECT_TRUE(Object("shell_a")->used.FirstBool());
    EXPECT_TRUE(Object("shell_b")->used.FirstBool());
    EXPECT_EQ(q.treasures.Found("shell"), 2);
    ClickAt(500, 300);
    EXPECT_NEAR(q.misclicks.Counter(), 2.0f, 1e-4) << "a click on nothing";
}

TEST_F(QuestScreenTest, HintsWaitForTheCoolDownAndNeedSomethingToShow) {
    QuestScreen& q = Load();
    State* player = CurrentPlayer();
    player->HintCooldown.SetFirstFloat(3.0f);
    EXPECT_FALSE(q.UseHint());
    player->HintCooldown.SetFirstFloat(0.0f);
    ASSERT_TRUE(q.UseHint());
    EXPECT_FLOAT_EQ(player->HintCooldown.FirstFloat(), GetGlobals()->GetFloat("Game_HintCooldownTime"));

    for (const char* name : {"shell_a", "shell_b", "bell_a", "bell_b"}) {
        Object(name)->used.SetFirstBool(true);
    }
    player->HintCooldown.SetFirstFloat(0.0f);
    EXPECT_FALSE(q.UseHint()) << "nothing to hint and no OnHint hook";
    EXPECT_FLOAT_EQ(player->HintCooldown.FirstFloat(), 0.0f) << "a refused hint starts no cool-down";
    ASSERT_TRUE(q.script.Run("function OnHint() return 'bell_a' end"));
    EXPECT_TRUE(q.UseHint()) << "the script names what to hint";
}

TEST_F(QuestScreenTest, ALevelCompletesOnce) {
    QuestScreen& q = Load();
    q.CompleteLevel(0.0f);
    q.CompleteLevel(0.0f);
    int levelEnds = 0;
    for (const DelayedMessage& pending : q.Messages()) {
        levelEnds += pending.message == kGameLevelEnd;
    }
    EXPECT_EQ(levelEnds, 1);
    EXPECT_TRUE(q.completed);
    EXPECT_TRUE(CurrentPlayer()->mapChangePending);
}

TEST_F(QuestScreenTest, TheLastPairsFoundInQuickSuccessionTellTheScriptOnce) {
    QuestScreen& q = Load();
    ASSERT_TRUE(q.script.Run("told = ''\nfunction AllTreasuresFound() told = told .. 'x' end"));
    ClickAt(10, 10);
    ClickAt(110, 10);
    ClickAt(210, 10);
    ClickAt(310, 10);
    int checks = 0;
    for (const DelayedMessage& pending : q.Messages()) {
        checks += pending.message == QuestScreen::kAllFoundCheck;
    }
    ASSERT_EQ(checks, 2) << "each pair found queues its own check";
    q.Message(QuestScreen::kAllFoundCheck, nullptr);
    q.Message(QuestScreen::kAllFoundCheck, nullptr);
    String told;
    ASSERT_TRUE(GetGlobalText("told", q.script.state, told));
    EXPECT_EQ(std::string(told.CStr()), "x") << "the level's end (a movie, the journal) happens once";
}

TEST_F(QuestScreenTest, ProgressSavedAndLoadedRestoresFindsFlagsTargetsAndParameters) {
    {
        QuestScreen& q = Load();
        ClickAt(10, 10);
        ClickAt(110, 10);
        q.introShown = true;
        q.goalMessage = "message.done";
        ASSERT_TRUE(q.script.Run("tries = 7"));
        ASSERT_TRUE(q.SaveLevelProgress());
    }
    QuestScreen& again = Load();
    EXPECT_TRUE(Object("shell_a")->used.FirstBool());
    EXPECT_TRUE(Object("shell_b")->used.FirstBool());
    EXPECT_FALSE(Object("bell_a")->used.FirstBool());
    EXPECT_TRUE(again.introShown);
    EXPECT_EQ(again.goalMessage, "message.done");
    String tries;
    ASSERT_TRUE(GetGlobalText("tries", again.script.state, tries));
    EXPECT_EQ(tries, "7");
    EXPECT_EQ(again.treasures.Found(""), 2);
}

TEST_F(QuestScreenTest, HoveringSomethingToUseShowsTheHandWithoutAllocatingEachFrame) {
    QuestScreen& q = Load();
    // The hover rules run for the screen on top only.
    ASSERT_TRUE(GetUI().PushScreen(&q, 0));
    // The fixture owns the level: it leaves the stack without being handed
    // to the stack's release queue, which would free it a second time.
    struct PopAtEnd {
        ~PopAtEnd() { GetUI().ReplaceStack(nullptr); }
    } popAtEnd;
    GetInputManager().mouseX = 400 + 10 + 512;
    GetInputManager().mouseY = -300 + 10 + 384;
    q.Update();
    EXPECT_EQ(q.HoverCursor(), kCursorUse) << "the crate has a use hook";
    EXPECT_NE(Object("crate_of_ropes_nets_and_old_lanterns_1")->Glow(), nullptr) << "and glows under the cursor";
    if (!testing_support::AllocationCounter::Available()) {
        GTEST_SKIP() << "allocations cannot be counted in this build";
    }
    q.Update();
    testing_support::AllocationCounter counter;
    for (int frame = 0; frame < 20; ++frame) {
        q.Update();
    }
    EXPECT_EQ(counter.Count(), 0u) << "hovering the same doodad frame after frame";
    GetInputManager().mouseX = 10 + 512;
    GetInputManager().mouseY = 10 + 384;
    q.Update();
    EXPECT_EQ(q.HoverCursor(), kCursorDefault) << "a treasure shows the arrow";
    EXPECT_EQ(Object("shell_a")->Glow(), nullptr) << "and never glows: that would give it away";
}
