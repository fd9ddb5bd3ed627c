// The screen stack: finding and loading screens by class, push and pop,
// routing input to the top screen only, input locks, and which screens
// update and draw each frame.
#include "ScreenStackFixture.h"

#include "core/Log.h"
#include "support/AllocationCounter.h"
#include "ui/ScreenGameHooks.h"

using testing_support::LogCapture;
using testing_support::WriteFile;
using namespace ui_test;

namespace {

// The entries of `journal` that start with `prefix`.
std::vector<std::string> Only(const std::vector<std::string>& journal, const std::string& suffix) {
    std::vector<std::string> out;
    for (const std::string& entry : journal) {
        if (entry.size() >= suffix.size() &&
            entry.compare(entry.size() - suffix.size(), suffix.size(), suffix) == 0) {
            out.push_back(entry);
        }
    }
    return out;
}

// Settings with the one text the stack reads from them.
class InterfaceSettings : public Element {
    ENGINE_CLASS(InterfaceSettings, Element)

public:
    InterfaceSettings() { DeclareString("InterfaceDirectory", InterfaceDirectory, 1, this, "menus"); }
    Var InterfaceDirectory;
};

} // namespace

// ---- finding and loading ---------------------------------------------------------

TEST_F(ScreenStackTest, LoadScreenTakesTheFirstScreenAndMakesItEveryonesMessageParent) {
    ASSERT_TRUE(WriteFile("gui/ProbeScreen.scene", ScreenScene("ProbeScreen", "page", true)));
    Screen* screen = ui.FindScreen("ProbeScreen");
    ASSERT_NE(screen, nullptr);
    EXPECT_STREQ(screen->GetName(), "page");
    EXPECT_TRUE(ui.Stack().empty()); // found, not pushed
    Element* spot = screen->scene->FindElement("spot");
    Element* inner = screen->scene->FindElement("inner");
    EXPECT_EQ(spot->messageParent, screen);
    EXPECT_EQ(inner->messageParent, screen);
    // A control's message passed upwards reaches the screen directly.
    TakeJournal();
    inner->Message(201, inner);
    EXPECT_EQ(TakeJournal(), (std::vector<std::string>{"page:message201/inner"}));
    delete screen->scene;
}

TEST_F(ScreenStackTest, TheInterfaceDirectoryComesFromTheSettings) {
    InterfaceSettings settings;
    globals = &settings;
    ASSERT_TRUE(WriteFile("menus/ProbeScreen.scene", ScreenScene("ProbeScreen", "from_menus")));
    ASSERT_TRUE(WriteFile("gui/ProbeScreen.scene", ScreenScene("ProbeScreen", "from_gui")));
    Screen* screen = ui.LoadScreen("ProbeScreen");
    globals = nullptr;
    ASSERT_NE(screen, nullptr);
    EXPECT_STREQ(screen->GetName(), "from_menus");
    delete screen->scene;
}

TEST_F(ScreenStackTest, UnknownNamesAndScreenlessFilesFindNothingAndChangeNothing) {
    LogCapture log;
    PushProbe("base");
    EXPECT_EQ(ui.FindScreen("NoSuchScreen"), nullptr);
    EXPECT_TRUE(log.Contains("gui/NoSuchScreen.scene"));
    ASSERT_TRUE(WriteFile("gui/Empty.scene", "Widget = picture;\npicture.Type = Widget;\n"));
    EXPECT_EQ(ui.FindScreen("Empty"), nullptr);
    EXPECT_TRUE(log.Contains("holds no Screen element"));
    EXPECT_FALSE(ui.PushScreenByName("NoSuchScreen", 1));
    EXPECT_EQ(ui.Stack().size(), 1u);
    EXPECT_EQ(ui.FindScreen("NoSuchScreen", true), nullptr);
}

TEST_F(ScreenStackTest, SetScreenWithAnUnknownNameLeavesTheStackEmpty) {
    PushProbe("a");
    PushProbe("b");
    EXPECT_FALSE(ui.SetScreen("NoSuchScreen", 1));
    EXPECT_TRUE(ui.Stack().empty());
    EXPECT_EQ(ui.TopScreen(), nullptr);
    // Nothing receives input or draws, and nothing breaks.
    TakeJournal();
    ui.OnMouseButton(0, 1);
    ui.OnKey(13, 1, 0);
    ui.Update();
    ui.Draw();
    EXPECT_EQ(Only(TakeJournal(), "destroyed").size(), 2u);
}

TEST_F(ScreenStackTest, FindScreenReturnsTheLowestMatchAndBaseNamesMatch) {
    Screen* lower = PushProbe("lower");
    PushProbe("upper");
    EXPECT_EQ(ui.FindScreen("Screen", true), lower);
    EXPECT_EQ(ui.FindScreen("ProbeScreen", true), lower);
    EXPECT_EQ(ui.TopmostGameScreen(), nullptr);
    EXPECT_EQ(ui.FirstQuestScreen(), nullptr);
}

// ---- push and pop -------------------------------------------------------------------

TEST_F(ScreenStackTest, PushAndPopNotifyAndReleaseThePoppedSceneOneUpdateLater) {
    PushProbe("lower");
    PushProbe("upper");
    EXPECT_EQ(TakeJournal(), (std::vector<std::string>{"lower:push", "upper:push"}));
    ASSERT_TRUE(ui.PopScreen(1));
    EXPECT_EQ(TakeJournal(), (std::vector<std::string>{"upper:pop", "lower:return/upper"}));
    EXPECT_EQ(ui.ReleaseQueueLength(), 1u);
    ui.Update();
    const auto journal = TakeJournal();
    EXPECT_EQ(Only(journal, "destroyed"), (std::vector<std::string>{"upper:destroyed"}));
    EXPECT_TRUE(ui.ReleaseQueueLength() == 0);
    ASSERT_TRUE(ui.PopScreen(0));
    EXPECT_FALSE(ui.PopScreen(0)); // empty: nothing to pop
}

TEST_F(ScreenStackTest, AScreenOnTheStackIsNotPushedASecondTime) {
    LogCapture log;
    ASSERT_TRUE(WriteFile("gui/ProbeScreen.scene", ScreenScene("ProbeScreen", "menu")));
    ASSERT_TRUE(ui.PushScreenByName("ProbeScreen", 1));
    // By name the stack finds the screen it holds, and refuses it.
    EXPECT_FALSE(ui.PushScreenByName("ProbeScreen", 1));
    EXPECT_FALSE(ui.PushScreen(ui.TopScreen(), 1));
    EXPECT_TRUE(log.Contains("on the stack already"));
    EXPECT_EQ(ui.Stack().size(), 1u);
    // One pop releases the scene once; the stack is empty afterwards.
    ASSERT_TRUE(ui.PopScreen(1));
    ui.Update();
    EXPECT_EQ(Only(TakeJournal(), "destroyed").size(), 1u);
    EXPECT_TRUE(ui.Stack().empty());
    // Popped and gone, the class loads afresh.
    EXPECT_TRUE(ui.PushScreenByName("ProbeScreen", 1));
}

TEST_F(ScreenStackTest, APoppedScreenWaitingForReleaseCannotBePushedBack) {
    LogCapture log;
    Screen* screen = PushProbe("page");
    ui.PopScreen(0);
    EXPECT_FALSE(ui.PushScreen(screen, 0));
    EXPECT_TRUE(log.Contains("being released"));
    EXPECT_TRUE(ui.Stack().empty());
}

TEST_F(ScreenStackTest, MessageTwoThousandThreePopsTheTopScreen) {
    PushProbe("lower");
    Screen* upper = PushProbe("upper");
    upper->Message(kMessagePopScreen, nullptr);
    ASSERT_EQ(ui.Stack().size(), 1u);
    EXPECT_STREQ(ui.TopScreen()->GetName(), "lower");
}

TEST_F(ScreenStackTest, PushTestScreenUsesTheFilesScreenOrMakesATestScreen) {
    ASSERT_TRUE(WriteFile("pictures.scene", "Widget = picture;\npicture.Type = Widget;\n"));
    ASSERT_TRUE(ui.PushTestScreen("pictures.scene"));
    ASSERT_NE(ui.TopScreen(), nullptr);
    EXPECT_STREQ(ui.TopScreen()->GetClassName(), "TestScreen");
    EXPECT_EQ(ui.TopScreen()->scene->FindElement("picture")->messageParent, ui.TopScreen());
    ASSERT_TRUE(WriteFile("page.scene", ScreenScene("ProbeScreen", "own")));
    ASSERT_TRUE(ui.PushTestScreen("page.scene"));
    EXPECT_STREQ(ui.TopScreen()->GetName(), "own");
    LogCapture log;
    EXPECT_FALSE(ui.PushTestScreen("missing.scene"));
    EXPECT_TRUE(log.Contains("missing.scene"));
    EXPECT_EQ(ui.Stack().size(), 2u);
}

// ---- input routing ---------------------------------------------------------------

TEST_F(ScreenStackTest, OnlyTheTopScreenReceivesInput) {
    PushProbe("lower");
    PushProbe("upper");
    TakeJournal();
    ui.OnMouseMove();
    ui.OnMouseButton(1, 1);
    ui.OnKey(65, 1, 0);
    ui.OnChar(97);
    EXPECT_EQ(TakeJournal(),
              (std::vector<std::string>{"upper:hover", "upper:button1down", "upper:key65", "upper:char97"}));
}

TEST_F(ScreenStackTest, WithThePointerOutsideTheWindowNothingReachesTheScreensNotEvenKeys) {
    PushProbe("page");
    TakeJournal();
    platform.cursorInClient = false;
    ui.OnMouseMove();
    ui.OnMouseButton(0, 1);
    ui.OnKey(65, 1, 0);
    ui.OnChar(97);
    EXPECT_TRUE(TakeJournal().empty());
}

TEST_F(ScreenStackTest, AnOpenConsoleTakesKeysAndCharactersButNotThePointer) {
    PushProbe("page");
    TakeJournal();
    bool open = true;
    ui.consoleOpen = [&open] { return open; };
    ui.OnKey(65, 1, 0);
    ui.OnChar(97);
    ui.OnMouseButton(0, 1);
    EXPECT_EQ(TakeJournal(), (std::vector<std::string>{"page:button0down"}));
    open = false;
    ui.OnKey(65, 1, 0);
    EXPECT_EQ(TakeJournal(), (std::vector<std::string>{"page:key65"}));
}

TEST_F(ScreenStackTest, LockInputBlocksEverythingUntilUnlocked) {
    PushProbe("page");
    TakeJournal();
    ui.LockInput();
    for (int frame = 0; frame < 20; ++frame) {
        ui.Update();
    }
    ui.OnMouseButton(0, 1);
    ui.OnKey(65, 1, 0);
    EXPECT_TRUE(Only(TakeJournal(), "down").empty());
    EXPECT_LT(ui.inputLock, 0.0f);
    ui.UnlockInput();
    ui.OnMouseButton(0, 1);
    EXPECT_EQ(Only(TakeJournal(), "down"), (std::vector<std::string>{"page:button0down"}));
}

TEST_F(ScreenStackTest, ATimedLockEndsAfterItsFrameTimeHasPassed) {
    PushProbe("page");
    ui.LockInputFor(0.5f);
    frameTime = 0.1f;
    for (int frame = 0; frame < 4; ++frame) {
        ui.Update();
    }
    TakeJournal();
    ui.OnMouseButton(0, 1);
    EXPECT_TRUE(Only(TakeJournal(), "down").empty()); // 0.1 s left
    ui.Update();
    EXPECT_EQ(ui.inputLock, 0.0f);
    ui.OnMouseButton(0, 1);
    EXPECT_EQ(Only(TakeJournal(), "down"), (std::vector<std::string>{"page:button0down"}));
    // The count stops at 0, it does not go on below.
    ui.Update();
    EXPECT_EQ(ui.inputLock, 0.0f);
}

TEST_F(ScreenStackTest, TheInputManagerDropsScreenInputWhileTheWindowLacksFocus) {
    InputManagerCallback input;
    input.Install();
    input.AddHandler(&ui);
    PushProbe("page");
    TakeJournal();
    input.inputEnabled = false;
    input.OnMouseButton(0, 1);
    input.OnKey(65, 1, 0);
    EXPECT_TRUE(TakeJournal().empty());
    input.inputEnabled = true;
    input.OnKey(65, 1, 0);
    EXPECT_EQ(TakeJournal(), (std::vector<std::string>{"page:key65"}));
}

TEST_F(ScreenStackTest, HoverMovesBetweenWidgetsWithEnterAndLeave) {
    ProbeScreen* screen = PushProbe("page", true);
    auto* spot = static_cast<HoverProbe*>(screen->scene->FindElement("spot"));
    auto* inner = static_cast<HoverProbe*>(screen->scene->FindElement("inner"));
    TakeJournal();
    // Children are asked first.
    spot->hot = true;
    inner->hot = true;
    ui.OnMouseMove();
    EXPECT_EQ(Only(TakeJournal(), "enter"), (std::vector<std::string>{"inner:enter"}));
    inner->hot = false;
    ui.OnMouseMove();
    auto journal = TakeJournal();
    EXPECT_EQ(Only(journal, "leave"), (std::vector<std::string>{"inner:leave"}));
    EXPECT_EQ(Only(journal, "enter"), (std::vector<std::string>{"spot:enter"}));
    // Nobody takes it: the hovered widget leaves and the scene has none.
    spot->hot = false;
    ui.OnMouseMove();
    EXPECT_EQ(Only(TakeJournal(), "leave"), (std::vector<std::string>{"spot:leave"}));
    EXPECT_EQ(screen->scene->Hovered(), nullptr);
    ui.OnMouseMove();
    EXPECT_TRUE(Only(TakeJournal(), "leave").empty());
    // Back onto it: enter again. A hidden parent hides its whole subtree.
    spot->hot = true;
    ui.OnMouseMove();
    EXPECT_EQ(Only(TakeJournal(), "enter"), (std::vector<std::string>{"spot:enter"}));
    spot->Visible.SetFirstBool(false);
    inner->hot = true;
    ui.OnMouseMove();
    EXPECT_EQ(Only(TakeJournal(), "leave"), (std::vector<std::string>{"spot:leave"}));
    EXPECT_EQ(screen->scene->Hovered(), nullptr);
}

// ---- update and draw walks ----------------------------------------------------------

TEST_F(ScreenStackTest, ByDefaultOnlyTheTopScreenUpdates) {
    PushProbe("bottom");
    PushProbe("middle");
    ProbeScreen* top = PushProbe("top");
    TakeJournal();
    ui.Update();
    EXPECT_EQ(Only(TakeJournal(), "update"), (std::vector<std::string>{"top:update"}));
    top->blockUpdate.SetFirstBool(false);
    ui.Update();
    EXPECT_EQ(Only(TakeJournal(), "update"), (std::vector<std::string>{"top:update", "middle:update"}));
}

TEST_F(ScreenStackTest, NothingUpdatesWithoutFocusButPoppedScenesStillGo) {
    PushProbe("lower");
    PushProbe("upper");
    ui.PopScreen(0);
    ui.LockInputFor(1.0f);
    TakeJournal();
    platform.hasFocus = false;
    ui.Update();
    auto journal = TakeJournal();
    EXPECT_TRUE(Only(journal, "update").empty());
    EXPECT_EQ(Only(journal, "destroyed"), (std::vector<std::string>{"upper:destroyed"}));
    EXPECT_EQ(ui.inputLock, 1.0f);
    ui.Draw();
    EXPECT_TRUE(TakeJournal().empty());
    EXPECT_FALSE(ui.drawnLastFrame);
}

TEST_F(ScreenStackTest, TheUpdateWalkSurvivesAStackThatShrinksUnderIt) {
    PushProbe("bottom");
    ProbeScreen* middle = PushProbe("middle");
    ProbeScreen* top = PushProbe("top");
    top->blockUpdate.SetFirstBool(false);
    middle->blockUpdate.SetFirstBool(false);
    // The top screen takes itself and the middle one off while it updates.
    top->onUpdate = [this] {
        ui.PopScreen(0);
        ui.PopScreen(0);
    };
    TakeJournal();
    ui.Update();
    EXPECT_EQ(Only(TakeJournal(), "update"), (std::vector<std::string>{"top:update", "bottom:update"}));
    ASSERT_EQ(ui.Stack().size(), 1u);
    top->onUpdate = nullptr;
    ui.Update();
    EXPECT_EQ(Only(TakeJournal(), "destroyed").size(), 2u);
}

TEST_F(ScreenStackTest, DrawingStartsAtTheTopmostFullscreenScreen) {
    PushProbe("bottom");
    PushProbe("middle");
    ProbeScreen* top = PushProbe("top");
    TakeJournal();
    ui.Draw();
    EXPECT_EQ(Only(TakeJournal(), "draw"), (std::vector<std::string>{"top:draw"}));
    EXPECT_TRUE(ui.drawnLastFrame);
    // A screen that is not fullscreen lets the ones below show, bottom first,
    // while with blockUpdate they still do not update.
    top->fullscreen.SetFirstBool(false);
    ui.Draw();
    EXPECT_EQ(Only(TakeJournal(), "draw"), (std::vector<std::string>{"middle:draw", "top:draw"}));
    ui.Update();
    EXPECT_EQ(Only(TakeJournal(), "update"), (std::vector<std::string>{"top:update"}));
    for (Screen* screen : ui.Stack()) {
        screen->fullscreen.SetFirstBool(false);
    }
    ui.Draw();
    EXPECT_EQ(Only(TakeJournal(), "draw"),
              (std::vector<std::string>{"bottom:draw", "middle:draw", "top:draw"}));
}

TEST_F(ScreenStackTest, OverlaysGoWhenTheirAnimationHasEnded) {
    bool playing = true;
    ui.animationPlaying = [&playing](Element&, const String&) { return playing; };
    ASSERT_TRUE(WriteFile("overlay.scene", ScreenScene("ProbeScreen", "flash")));
    Scene* overlay = LoadScene("overlay.scene").release();
    ASSERT_NE(overlay, nullptr);
    ui.AddOverlay(overlay, "appear");
    TakeJournal();
    ui.Update();
    EXPECT_EQ(Only(TakeJournal(), "update"), (std::vector<std::string>{"flash:update"}));
    EXPECT_EQ(ui.Overlays().size(), 1u);
    playing = false;
    ui.Update();
    EXPECT_EQ(Only(TakeJournal(), "destroyed"), (std::vector<std::string>{"flash:destroyed"}));
    EXPECT_TRUE(ui.Overlays().empty());
}

// ---- window events -------------------------------------------------------------------

TEST_F(ScreenStackTest, MinimiseRestoreAndCloseFollowTheWindow) {
    ui.OnSize(0, 0, 1);
    EXPECT_FALSE(ui.active);
    ui.OnSize(1024, 768, 0);
    EXPECT_FALSE(ui.active);
    ui.OnSize(1024, 768, 2);
    EXPECT_TRUE(ui.active);
    // Windowed, whatever mode the desktop is in is the game's.
    ui.OnDisplayChange(1920, 1080, 32);
    EXPECT_TRUE(ui.active);
    running = true;
    ui.OnClose();
    EXPECT_FALSE(running);
}

TEST_F(ScreenStackTest, ASteadyFrameAllocatesNothing) {
    if (!testing_support::AllocationCounter::Available()) {
        GTEST_SKIP() << "allocations cannot be counted in this build";
    }
    ASSERT_TRUE(WriteFile("gui/Screen.scene", ScreenScene("Screen", "page", true)));
    Screen* lower = ui.LoadScreen("Screen");
    Screen* upper = ui.LoadScreen("Screen");
    ASSERT_TRUE(lower && upper);
    ASSERT_TRUE(ui.PushScreen(lower, 0));
    ASSERT_TRUE(ui.PushScreen(upper, 0));
    upper->fullscreen.SetFirstBool(false);
    upper->blockUpdate.SetFirstBool(false);
    InputManagerCallback input;
    input.Install();
    input.AddHandler(&ui);
    input.PostDeferred(&ui, 3000, nullptr, 0.0f);
    // Warm-up frames fill the reused buffers and release what was queued.
    for (int frame = 0; frame < 3; ++frame) {
        input.Pump();
        ui.Update();
        ui.Draw();
    }
    testing_support::AllocationCounter counter;
    for (int frame = 0; frame < 10; ++frame) {
        input.Pump();
        input.OnMouseMove(10, 10);
        input.OnKey(65, 1, 0);
        ui.Update();
        ui.Draw();
    }
    EXPECT_EQ(counter.Count(), 0u);
}
