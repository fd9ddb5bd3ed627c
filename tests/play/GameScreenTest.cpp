// The level screen's HUD: binding children by name with some missing, the
// hint gauge over a cool-down, the inventory drawer's open timer and holds,
// the energy sparkles' two phases, the camera shake's decay, the draw order.
#include "../data/GameDataFixture.h"

#include "app/EngineClasses.h"
#include "core/FrameTime.h"
#include "core/SceneFile.h"
#include "play/GameScreen.h"
#include "play/QuestScreen.h"
#include "render/ScreenCamera.h"
#include "support/GlTestContext.h"
#include "support/VirtualPlatform.h"
#include "ui/InputManagerCallback.h"
#include "ui/UI.h"

#include <cmath>
#include <cstdlib>
#include <numbers>

namespace {

class GameScreenTest : public GameDataTest {
protected:
    void SetUp() override {
        GameDataTest::SetUp();
        startup.LoadOptionsAndState();
        RegisterEngineClasses();
        startup.RegisterGameClasses();
        const int32_t id = CreatePlayer("Ada");
        ASSERT_TRUE(SelectPlayer(id));
        player = CurrentPlayer();
        engineReady = true;
        frameTime = 0.5f;
    }

    /// Writes gui/GameScreen.scene with the screen and `children` (scene-file
    /// lines whose elements are listed in `names`), then loads and pushes it.
    GameScreen* Push(const std::string& names, const std::string& children) {
        std::string text = "Widget = hud;\n" + names + "hud.Type = GameScreen;\n" + children;
        EXPECT_TRUE(testing_support::WriteFile("gui/GameScreen.scene", text));
        auto* screen = ObjectCast<GameScreen>(GetUI().FindScreen("GameScreen"));
        EXPECT_TRUE(screen && GetUI().PushScreen(screen, 0));
        return screen;
    }
    void Frames(int count) {
        for (int i = 0; i < count; ++i) {
            GetUI().Update();
        }
    }
    static void PointAt(float sceneX, float sceneY) {
        const Vec2 centre = ScreenToScene(Vec2{0.0f, 0.0f});
        GetInputManager().mouseX = int(sceneX - centre.x);
        GetInputManager().mouseY = int(sceneY - centre.y);
    }

    State* player = nullptr;
    // A window with the focus, so that the screens update.
    testing_support::VirtualPlatform platform;
    testing_support::ScopedPlatform scopedPlatform{platform};
};

TEST_F(GameScreenTest, MissingChildrenSwitchOffOnlyTheirBehaviourAndTheGaugeFillsThenDrains) {
    // Three of the twelve list lines, the hint button and its gauge root; no
    // gauge bitmap, no disc, no emitters, no anims.
    const std::string names = "Widget = hint_button;\nWidget = hint_gauge_root;\nWidget = line_a;\n"
                              "Widget = line_b;\nWidget = line_c;\n";
    const std::string children = "hud.listBoxes = line_a;\nhud.listBoxes = line_b;\nhud.listBoxes = line_c;\n"
                                 "hint_button.Type = Button;\nhint_gauge_root.Type = Widget;\n"
                                 "hint_gauge_root.Visible = false;\nline_a.Type = TextBox;\n"
                                 "line_b.Type = TextBox;\nline_c.Type = TextBox;\n";
    testing_support::LogCapture log;
    GameScreen* screen = Push(names, children);
    ASSERT_NE(screen, nullptr);
    player->HintCooldown.SetFirstFloat(45.0f); // a hint was just taken
    Frames(1);

    EXPECT_NE(screen->listBoxes.Get(2), nullptr);
    EXPECT_EQ(screen->listBoxes.Get(3), nullptr);
    EXPECT_EQ(screen->disc.Get(0), nullptr);
    Button* hint = screen->hintButton.Get(0);
    ASSERT_NE(hint, nullptr);
    EXPECT_FALSE(hint->enablePress.FirstBool()) << "recharging";
    EXPECT_TRUE(screen->hintGaugeRoot.Get(0)->Visible.FirstBool());
    EXPECT_NEAR(screen->HintGaugeValue(), 0.5f, 1e-4f) << "half a second into the first second";
    Frames(1);
    EXPECT_NEAR(screen->HintGaugeValue(), 1.0f, 1e-4f) << "full after one second";
    Frames(44);
    EXPECT_NEAR(screen->HintGaugeValue(), 0.5f, 1e-4f) << "half after 23 seconds";
    Frames(44);
    EXPECT_FALSE(hint->enablePress.FirstBool()) << "half a second is still left";
    Frames(1);
    EXPECT_TRUE(hint->enablePress.FirstBool());
    EXPECT_FLOAT_EQ(player->HintCooldown.FirstFloat(), 0.0f);
    EXPECT_FLOAT_EQ(screen->HintGaugeValue(), 0.0f);
    for (const std::string& line : log.Lines()) {
        EXPECT_EQ(line.find("GameScreen"), std::string::npos) << line;
    }
}

TEST_F(GameScreenTest, TheDrawerOpensUnderTheCursorAndClosesASecondAfterUnlessHeld) {
    GameScreen* screen = Push("Widget = inventory_panel;\n",
                              "inventory_panel.Type = Region;\n"
                              "inventory_panel.Region = 0,0, 200,0, 200,50, 0,50;\n"
                              "inventory_panel.Position = -100;\ninventory_panel.Position = -300;\n");
    ASSERT_NE(screen, nullptr);
    frameTime = 0.25f;
    Frames(1); // the region takes its shape and place in the scene's first update
    PointAt(0.0f, -280.0f);
    Frames(1);
    EXPECT_TRUE(screen->InventoryPanelOpen());
    PointAt(0.0f, 0.0f);
    Frames(3);
    EXPECT_TRUE(screen->InventoryPanelOpen()) << "0.75 s after leaving";
    Frames(1);
    EXPECT_FALSE(screen->InventoryPanelOpen()) << "1 s after leaving";

    PointAt(0.0f, -280.0f);
    Frames(1);
    screen->Message(kGameHoldInventory, nullptr);
    PointAt(0.0f, 0.0f);
    Frames(8);
    EXPECT_TRUE(screen->InventoryPanelOpen()) << "held open";
    screen->Message(kGameReleaseInventory, nullptr);
    Frames(4);
    EXPECT_FALSE(screen->InventoryPanelOpen());
}

TEST_F(GameScreenTest, TheItemInHandFollowsTheCursorFadingInItsGlowBeforeItsIcon) {
    ASSERT_TRUE(testing_support::WriteFile("levels/den/den.scene", "Widget = options;\n"
                                                                   "options.Type = LevelOptions;\n"));
    ASSERT_TRUE(testing_support::WriteFile("levels/den/den.lua", "function Initialize() end\n"));
    ASSERT_TRUE(testing_support::WriteFile("gui/DunhavenHud.scene",
                                           "Widget = hud;\nWidget = slot;\nWidget = icon;\n"
                                           "hud.Type = QuestScreen;\n"
                                           "hud.activeItemSlot = slot;\nhud.activeItemIcon = icon;\n"
                                           "slot.Type = Bitmap;\nslot.Visible = false;\n"
                                           "icon.Type = Bitmap;\nicon.Visible = false;\n"));
    auto* quest = ObjectCast<QuestScreen>(GetUI().FindScreen("QuestScreen"));
    ASSERT_NE(quest, nullptr);
    ASSERT_TRUE(quest->LoadLevel("den"));
    ASSERT_TRUE(GetUI().PushScreen(quest, 0));
    Frames(1); // the screen binds its children in its first update
    Widget* slot = quest->activeItemSlot.Get(0);
    Widget* icon = quest->activeItemIcon.Get(0);
    ASSERT_TRUE(slot && icon);
    const float tween = quest->TweenSeconds();
    frameTime = tween / 4.0f;
    Frames(2);
    EXPECT_FALSE(slot->Visible.FirstBool()) << "an empty hand shows nothing";

    player->ActiveItem.SetFirstString("rope");
    PointAt(120.0f, -40.0f);
    Frames(2);
    EXPECT_TRUE(slot->Visible.FirstBool());
    EXPECT_NEAR(slot->Color.GetFloat(3), 0.5f, 1e-4) << "half way after half the tween";
    EXPECT_FALSE(icon->Visible.FirstBool()) << "the icon waits for the glow";
    EXPECT_FLOAT_EQ(slot->Position.GetFloat(0), 120.0f);
    EXPECT_FLOAT_EQ(slot->Position.GetFloat(1), -40.0f);
    Frames(2);
    EXPECT_TRUE(icon->Visible.FirstBool());
    PointAt(-200.0f, 60.0f);
    Frames(1);
    EXPECT_FLOAT_EQ(icon->Position.GetFloat(0), -200.0f) << "both follow the cursor";
    EXPECT_FLOAT_EQ(icon->Position.GetFloat(1), 60.0f);

    player->ActiveItem.SetFirstString("");
    Frames(1);
    EXPECT_FALSE(icon->Visible.FirstBool()) << "the icon goes with the item";
    EXPECT_TRUE(slot->Visible.FirstBool()) << "the glow fades out";
    Frames(3);
    EXPECT_FALSE(slot->Visible.FirstBool());
}

TEST(EnergySparkles, AStillSparkleWaitsItsFloatThenHomesInOneSecondOnACosineEase) {
    std::srand(5);
    EnergySparkles sparkles;
    const Vec3 start{10.0f, 20.0f, 0.0f}, target{110.0f, -80.0f, 0.0f};
    EnergySparkle& s = sparkles.Spawn(start, target, Vec3{}, 10.0f);
    const float life = s.life;
    ASSERT_GE(life, 1.0f);
    ASSERT_LT(life, 2.0f);
    sparkles.Step(life - 0.01f);
    EXPECT_EQ(s.mode, EnergySparkle::kFloating);
    EXPECT_FLOAT_EQ(s.position.x, start.x) << "no spread: it stays where it was spawned";
    sparkles.Step(0.01f + 1e-5f);
    ASSERT_EQ(s.mode, EnergySparkle::kHoming);
    EXPECT_FLOAT_EQ(s.timeLeft, 1.0f);
    EXPECT_FLOAT_EQ(s.start.x, start.x);
    sparkles.Step(0.25f); // t = 1: still at the start, the ease has not begun
    sparkles.Step(0.25f); // t = 0.75: (1 − cos(π/4)) / 2 of the way
    const float quarter = (1.0f - std::cos(std::numbers::pi_v<float> / 4.0f)) / 2.0f;
    EXPECT_NEAR(s.position.x, start.x + 100.0f * quarter, 1e-3f);
    EXPECT_NEAR(s.position.y, start.y - 100.0f * quarter, 1e-3f);
    EXPECT_GT(EnergySparkles::Stretch(s), 1.5f) << "stretched along its motion";
    sparkles.Step(0.5f);
    sparkles.Step(0.25f);
    EXPECT_FALSE(s.alive);
    EXPECT_FLOAT_EQ(s.position.x, target.x);
    // The dead record is reused, so a steady stream does not grow the pool.
    sparkles.Spawn(start, target, Vec3{1.0f, 1.0f, 0.0f}, 10.0f);
    EXPECT_EQ(sparkles.Records().size(), 1u);
}

TEST(EnergySparkles, ASpreadSparkleDriftsUpOnlyInItsLastSecondOfFloat) {
    std::srand(9);
    EnergySparkles sparkles;
    EnergySparkle& s = sparkles.Spawn(Vec3{}, Vec3{0.0f, 300.0f, 0.0f}, Vec3{1.0f, 1.0f, 0.0f}, 10.0f);
    // Velocity y = speed × (3r − 8): always upwards; x = speed × (r − 4): leftwards.
    EXPECT_LT(s.velocity.y, -50.0f);
    EXPECT_LT(s.velocity.x, -30.0f);
    const float wait = s.life - 1.0f;
    sparkles.Step(wait * 0.5f);
    if (s.timeLeft > 1.0f) {
        EXPECT_FLOAT_EQ(s.position.y, 0.0f) << "still waiting";
    }
    sparkles.Step(wait * 0.5f + 0.5f);
    sparkles.Step(0.1f);
    EXPECT_LT(s.position.y, 0.0f);
    EXPECT_NEAR(EnergySparkles::Alpha(s), (s.life - s.timeLeft) / s.life, 1e-5f);
}

TEST(GameScreenShake, OffsetsStayWithinTheFadingMagnitudeAndEndAtZero) {
    std::srand(3);
    GameScreenShake shake;
    shake.Start(1.0f, 8.0f);
    const Vec2 half{512.0f, 384.0f};
    float biggestLate = 0.0f;
    for (int frame = 1; frame < 10; ++frame) {
        ASSERT_TRUE(shake.Step(0.1f, 3.0f, half));
        const float limit = 8.0f * (1.0f - 0.1f * float(frame)) + 1e-4f;
        EXPECT_LE(std::fabs(shake.Offset().x), limit);
        EXPECT_LE(std::fabs(shake.Offset().y), limit);
        const float length = std::hypot(shake.Offset().x, shake.Offset().y);
        EXPECT_NEAR(shake.Zoom().x, 3.0f * (length + 1.0f) / 512.0f, 1e-5f);
        if (frame >= 8) {
            biggestLate = std::max(biggestLate, length);
        }
    }
    EXPECT_LE(biggestLate, 8.0f * 0.2f * std::sqrt(2.0f) + 1e-4f);
    ASSERT_TRUE(shake.Step(0.1f, 3.0f, half));
    EXPECT_FALSE(shake.Running());
    EXPECT_FALSE(shake.HasOffset());
    EXPECT_FLOAT_EQ(shake.Zoom().x, 0.0f);
    EXPECT_FALSE(shake.Step(0.1f, 3.0f, half)) << "nothing runs after the end";
}

TEST_F(GameScreenTest, DrawOrderPutsBlackUnderAShakeAndLeavesTheHudOutWhenHidden) {
    GL_TEST_CONTEXT_OR_SKIP(gl, 64, 48);
    GameScreen* screen = Push("", "");
    ASSERT_NE(screen, nullptr);
    using Order = std::vector<std::string>;
    const auto order = [screen] {
        return Order(screen->LastDrawOrder().begin(), screen->LastDrawOrder().end());
    };
    screen->Draw();
    EXPECT_EQ(order(), (Order{"hud", "sparkles", "flights"}));
    screen->ShakeCamera();
    Frames(1);
    // A shake offset can come out zero by chance; the draw follows the offset.
    const bool moved = screen->Shake().HasOffset();
    player->hudVisible = false;
    screen->PostMessage(kGameLockOutTransition, 5.0f);
    screen->Draw();
    EXPECT_EQ(order(), moved ? (Order{"black", "background", "sparkles", "flights"})
                             : (Order{"background", "sparkles", "flights"}));
}

} // namespace

namespace {

TEST_F(GameScreenTest, ALevelStoryIsOfferedOnceAndNeverWithDialoguesOff) {
    GameScreen* screen = Push("", "");
    ASSERT_NE(screen, nullptr);
    ASSERT_TRUE(testing_support::WriteFile("levels/pier/pier.scene", "Widget = settings;\n"
                                                                     "settings.Type = LevelOptions;\n"
                                                                     "settings.ShowIntro = true;\n"
                                                                     "settings.ShowOutro = false;\n"));
    ASSERT_TRUE(testing_support::WriteFile("dialogue/scripts/pier_intro.config", "Text = Hello;\n"));
    ASSERT_TRUE(screen->LoadLevel("pier"));
    Var* dialogue = options->FindProperty("EnableDialogue");
    ASSERT_NE(dialogue, nullptr);

    dialogue->SetFirstBool(false);
    EXPECT_FALSE(screen->TryLevelStory(true));
    EXPECT_FALSE(screen->introShown) << "still offered once dialogues are on again";

    dialogue->SetFirstBool(true);
    testing_support::LogCapture log; // the story screen of this test has no scene file
    EXPECT_TRUE(screen->TryLevelStory(true));
    EXPECT_TRUE(screen->introShown);
    EXPECT_FALSE(screen->TryLevelStory(true)) << "once per level";
    EXPECT_FALSE(screen->TryLevelStory(false)) << "the level asks for no outro";
    EXPECT_FALSE(screen->outroShown);
    // A level loaded again starts with its stories unseen.
    ASSERT_TRUE(screen->LoadLevel("pier"));
    EXPECT_FALSE(screen->introShown);
}

TEST_F(GameScreenTest, AScriptsStoryBringsTheHudBackOnlyWhenAsked) {
    GameScreen* screen = Push("", "");
    ASSERT_NE(screen, nullptr);
    auto pending = [screen](int32_t message) {
        int count = 0;
        for (const DelayedMessage& entry : screen->Messages()) {
            count += entry.message == message;
        }
        return count;
    };
    testing_support::LogCapture log; // this test has no story screen
    screen->TellStory("pier_intro", true, false);
    EXPECT_EQ(pending(kGameHudIn), 0) << "the HUD stays out";
    EXPECT_TRUE(log.Contains("pier_intro")) << "without a HUD to play out the story is asked for at once";
    screen->TellStory("pier_outro", false, true);
    EXPECT_EQ(pending(kGameHudIn), 1);
}

} // namespace
