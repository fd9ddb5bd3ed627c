// The Leapfrog puzzle screen on a small board of five slots in a line,
// opened from a level's script with PlayPuzzle and played through the
// screen stack with clicks: selection, legal and refused jumps, the skip
// countdown with its fill and the help page, and the level's
// "OnPuzzleFinish" hook after a win and after a skip. Damaged layouts open,
// log one line and can be skipped.
#include "../data/GameDataFixture.h"

#include "app/EngineClasses.h"
#include "core/FrameTime.h"
#include "core/MessageCodes.h"
#include "core/Scene.h"
#include "io/Resources.h"
#include "play/QuestScreen.h"
#include "puzzles/Leapfrog.h"
#include "render/Bitmap.h"
#include "render/RenderResources.h"
#include "render/ScreenCamera.h"
#include "script/ScriptHooks.h"
#include "support/VirtualPlatform.h"
#include "ui/Button.h"
#include "ui/InputManagerCallback.h"
#include "ui/UI.h"

#include <memory>

namespace {

using testing_support::LogCapture;

const char* const kLevelScene = "Widget = options;\noptions.Type = LevelOptions;\noptions.GameMode = 3;\n";
const char* const kLevelScript = "function OnPuzzleFinish(result) finished = result end\n";

// Slots s0 … s4 at x = 0, 100, … 400 (y = 0), each adjacent to the next.
// "line": red peg on s0, gray pegs on s1 and s3 (won in two jumps of the
// red peg); "blocked": a gray peg on s0 behind the red peg on s1;
// "broken": pegs on slots the board lacks.
const char* const kPuzzleScene = R"(Widget = board;
board.Type = Leapfrog;
board.skipTime = 3;
board.helpButton = help;
board.skipButton = skip;
board.skipFrame = frame;
board.skipFill = fill;
board.helpOk = help_ok;
board.helpScreen = help_page;
board.slots = s0;
board.slots = s1;
board.slots = s2;
board.slots = s3;
board.slots = s4;
board.slots = s5;
board.grayPegs = g0;
board.grayPegs = g1;
board.redPeg = red;
board.highlight = mark;
Widget = help;
help.Type = Button;
Widget = skip;
skip.Type = Button;
Widget = frame;
frame.Type = Bitmap;
Widget = fill;
fill.Type = Bitmap;
Widget = help_ok;
help_ok.Type = Button;
Widget = help_page;
help_page.Type = Widget;
help_page.Visible = false;
Widget = mark;
mark.Type = Bitmap;
Widget = g0;
g0.Type = LeapfrogPeg;
Widget = g1;
g1.Type = LeapfrogPeg;
Widget = red;
red.Type = LeapfrogPeg;
red.RedPeg = true;
Widget = line;
line.Type = LeapfrogConfig;
line.GrayPeg = false;
line.GrayPeg = true;
line.GrayPeg = false;
line.GrayPeg = true;
line.RedPeg = 1;
Widget = blocked;
blocked.Type = LeapfrogConfig;
blocked.GrayPeg = true;
blocked.RedPeg = 2;
Widget = broken;
broken.Type = LeapfrogConfig;
broken.GrayPeg = false;
broken.GrayPeg = false;
broken.GrayPeg = false;
broken.GrayPeg = false;
broken.GrayPeg = false;
broken.GrayPeg = false;
broken.GrayPeg = false;
broken.GrayPeg = true;
broken.RedPeg = 13;
)";

std::string Slots() {
    std::string text;
    for (int i = 0; i < 5; ++i) {
        const std::string name = "s" + std::to_string(i);
        text += "Widget = " + name + ";\n" + name + ".Type = LeapfrogSlot;\n";
        text += name + ".Position = " + std::to_string(i * 100) + ";\n" + name + ".Position = 0;\n";
        if (i > 0) {
            text += name + ".Neighbor = s" + std::to_string(i - 1) + ";\n";
        }
        if (i < 4) {
            text += name + ".Neighbor = s" + std::to_string(i + 1) + ";\n";
        }
    }
    // s5 sits close below s1, with no neighbours.
    return text + "Widget = s5;\ns5.Type = LeapfrogSlot;\ns5.Position = 100;\ns5.Position = 80;\n";
}

class LeapfrogTest : public GameDataTest {
protected:
    void SetUp() override {
        GameDataTest::SetUp();
        ClearRegistry();
        RegisterEngineClasses([this] { startup.RegisterGameStateClasses(); });
        startup.RegisterGameClasses();
        InstallRenderResourceLoaders();
        Resources::InstallLinkResolver();
        Resources::lookupEnabled = Resources::storeEnabled = true;
        ASSERT_TRUE(testing_support::WriteFile("levels/study/study.scene", kLevelScene));
        ASSERT_TRUE(testing_support::WriteFile("levels/study/study.lua", kLevelScript));
        ASSERT_TRUE(
            testing_support::WriteFile("puzzles/pegs/pegs.scene", std::string(kPuzzleScene) + Slots()));
        LoadStateFile();
        ASSERT_TRUE(SelectPlayer(CreatePlayer("Ann")));
        ResetScreenCamera();
        frameTime = 0.05f;
        quest = std::make_unique<QuestScreen>();
        ASSERT_TRUE(quest->LoadLevel("study"));
        // The test owns the level screen: popping it must not release it.
        GetUI().gameScreenPopped = [](Screen&) { return true; };
        ASSERT_TRUE(GetUI().PushScreen(quest.get(), 0));
    }
    void TearDown() override {
        GetUI().Clear(); // the level the test owns leaves the stack before it goes
        quest.reset();
        GameDataTest::TearDown();
    }

    // Opens the puzzle from the level's script; the puzzle on top, or null.
    Leapfrog* Open(const char* layout) {
        const std::string call = std::string("opened = PlayPuzzle('pegs', '") + layout + "')";
        EXPECT_TRUE(quest->script.Run(call.c_str()));
        String opened;
        GetGlobalText("opened", quest->script.state, opened);
        EXPECT_EQ(opened, "true");
        auto* board = ObjectCast<Leapfrog>(GetUI().TopScreen());
        if (board) {
            Run(0.05f);
        }
        return board;
    }
    void Run(float seconds) {
        for (float t = 0.0f; t < seconds - 1e-4f; t += frameTime) {
            GetUI().Update();
        }
    }
    void ClickAt(Leapfrog& board, int x, int y) {
        GetInputManager().mouseX = x + 512;
        GetInputManager().mouseY = y + 384;
        board.MouseButton(0, true);
        board.MouseButton(0, false);
    }
    void ClickSlot(Leapfrog& board, int slot, int offset = 0) { ClickAt(board, slot * 100 + offset, 0); }
    LeapfrogPeg* Peg(Leapfrog& board, const char* name) {
        return ObjectCast<LeapfrogPeg>(board.scene->FindElement(name));
    }
    std::string Finished() {
        String text;
        GetGlobalText("finished", quest->script.state, text);
        return text.CStr();
    }

    testing_support::VirtualPlatform platform;
    testing_support::ScopedPlatform installed{platform};
    std::unique_ptr<QuestScreen> quest;
};

} // namespace

TEST_F(LeapfrogTest, ALayoutPutsItsPegsOnTheirSlots) {
    Leapfrog* board = Open("line");
    ASSERT_NE(board, nullptr);
    EXPECT_EQ(Peg(*board, "red")->slot, 0);
    EXPECT_EQ(Peg(*board, "g0")->slot, 1);
    EXPECT_EQ(Peg(*board, "g1")->slot, 3);
    EXPECT_FLOAT_EQ(Peg(*board, "g1")->Position.GetFloat(0), 300.0f);
    EXPECT_EQ(quest->script.Run("again = PlayPuzzle('pegs', 'nothing')"), true);
    String again;
    GetGlobalText("again", quest->script.state, again);
    EXPECT_EQ(again, "false") << "a missing layout opens nothing";
    EXPECT_EQ(GetUI().TopScreen(), board);
}

TEST_F(LeapfrogTest, SelectionFollowsTheClickedPegAndEmptySlotsDoNotSelect) {
    Leapfrog* board = Open("line");
    ASSERT_NE(board, nullptr);
    ClickSlot(*board, 2);
    EXPECT_EQ(board->Selected(), nullptr) << "an empty slot selects nothing";
    ClickSlot(*board, 0);
    EXPECT_EQ(board->Selected(), Peg(*board, "red"));
    auto* mark = ObjectCast<Bitmap>(board->scene->FindElement("mark"));
    EXPECT_TRUE(mark->Visible.FirstBool()) << "the highlight follows at once";
    ClickSlot(*board, 1, 40);
    EXPECT_EQ(board->Selected(), Peg(*board, "g0")) << "another peg takes the selection";
    EXPECT_FLOAT_EQ(mark->Position.GetFloat(0), 100.0f);
    ClickSlot(*board, 1);
    EXPECT_EQ(board->Selected(), Peg(*board, "g0")) << "the selected peg again stays selected";
    ClickSlot(*board, 4);
    EXPECT_EQ(board->Selected(), Peg(*board, "g0")) << "a refused move keeps the selection";
    EXPECT_EQ(Peg(*board, "g0")->slot, 1);
}

TEST_F(LeapfrogTest, AClickBetweenTwoSlotsGoesToTheNearestOnly) {
    Leapfrog* board = Open("line");
    ASSERT_NE(board, nullptr);
    ClickSlot(*board, 0);
    ASSERT_EQ(board->Selected(), Peg(*board, "red"));
    // (100, 42) is within reach of s1 (gray peg, 42 pixels) and of the empty
    // s5 below it (38 pixels): only s5 hears it, a refused move.
    ClickAt(*board, 100, 42);
    EXPECT_EQ(board->Selected(), Peg(*board, "red"));
    ClickAt(*board, 100, 38);
    EXPECT_EQ(board->Selected(), Peg(*board, "g0"));
}

TEST_F(LeapfrogTest, LegalJumpsRemoveTheJumpedPegAndTheLastOneWinsBackToTheLevel) {
    Leapfrog* board = Open("line");
    ASSERT_NE(board, nullptr);
    LeapfrogPeg* red = Peg(*board, "red");
    ClickSlot(*board, 0);
    ClickSlot(*board, 2);
    EXPECT_EQ(board->Selected(), nullptr);
    EXPECT_EQ(red->slot, 2);
    EXPECT_TRUE(red->IsMoving());
    ClickSlot(*board, 3);
    EXPECT_EQ(board->Selected(), nullptr) << "no click counts while a peg glides";
    Run(0.2f);
    EXPECT_TRUE(Peg(*board, "g0")->Visible.FirstBool()) << "the jumped peg goes after 0.25 s";
    Run(0.15f);
    EXPECT_FALSE(Peg(*board, "g0")->Visible.FirstBool());
    EXPECT_EQ(Peg(*board, "g0")->slot, -1);
    Run(0.3f);
    EXPECT_FALSE(red->IsMoving());
    EXPECT_FLOAT_EQ(red->Position.GetFloat(0), 200.0f);
    Run(0.5f);
    EXPECT_EQ(GetUI().TopScreen(), board) << "a gray peg is left: play goes on";

    ClickSlot(*board, 2);
    ClickSlot(*board, 4);
    Run(1.15f);
    EXPECT_GT(GetUI().inputLock, 0.0f) << "won: input waits for the close";
    EXPECT_EQ(Finished(), "");
    Run(2.1f);
    EXPECT_EQ(GetUI().TopScreen(), quest.get());
    EXPECT_EQ(Finished(), "solved");
}

TEST_F(LeapfrogTest, TheRedPegIsNeverJumpedAndALayoutWithoutMovesIsReported) {
    LogCapture log;
    Leapfrog* board = Open("blocked");
    ASSERT_NE(board, nullptr);
    EXPECT_TRUE(log.Contains("no legal move"));
    ClickSlot(*board, 0);
    ClickSlot(*board, 2);
    EXPECT_EQ(Peg(*board, "g0")->slot, 0) << "a jump over the red peg is refused";
    EXPECT_EQ(board->IsLegalMove(0, 2), nullptr);
    EXPECT_EQ(board->IsLegalMove(1, 1), nullptr);
}

TEST_F(LeapfrogTest, ABoardWithNoMoveLeftAfterAJumpRestarts) {
    // Gray pegs on s1 and s2, red on s0: the red peg cannot move; s2 over s1
    // to s0 is taken; s1 over s2 to s3 leaves one gray peg with no move.
    ASSERT_TRUE(testing_support::WriteFile(
        "puzzles/pegs/pegs.scene",
        std::string(kPuzzleScene) + Slots() +
            "Widget = stuck;\nstuck.Type = LeapfrogConfig;\nstuck.GrayPeg = false;\nstuck.GrayPeg = true;\n"
            "stuck.GrayPeg = true;\nstuck.RedPeg = 1;\n"));
    Leapfrog* board = Open("stuck");
    ASSERT_NE(board, nullptr);
    ClickSlot(*board, 1);
    ClickSlot(*board, 3);
    ASSERT_EQ(Peg(*board, "g0")->slot, 3);
    Run(1.15f);
    EXPECT_GT(GetUI().inputLock, 0.0f);
    Run(2.1f);
    EXPECT_EQ(Peg(*board, "g0")->slot, 1) << "laid out again from the layout";
    EXPECT_TRUE(Peg(*board, "g1")->Visible.FirstBool());
    EXPECT_EQ(GetUI().TopScreen(), board);
}

TEST_F(LeapfrogTest, TheSkipCountdownFillsDownPausesForHelpAndSkippingReachesTheLevel) {
    Leapfrog* board = Open("line");
    ASSERT_NE(board, nullptr);
    auto* fill = ObjectCast<Bitmap>(board->scene->FindElement("fill"));
    auto* skip = ObjectCast<Button>(board->scene->FindElement("skip"));
    Run(1.45f);
    EXPECT_NEAR(fill->AlphaMask.FirstFloat(), 0.5f, 0.02f);
    EXPECT_FALSE(skip->Visible.FirstBool());
    EXPECT_TRUE(fill->Visible.FirstBool());

    board->Message(message::kButtonClicked, board->helpButton.Get(0));
    Run(0.5f);
    EXPECT_TRUE(board->IsHelpShown());
    const float paused = board->SkipTimer();
    Run(2.0f);
    EXPECT_FLOAT_EQ(board->SkipTimer(), paused) << "the countdown waits while the help page is open";
    ClickSlot(*board, 0);
    EXPECT_EQ(board->Selected(), nullptr) << "the board ignores clicks under the help page";
    board->Message(message::kButtonClicked, board->helpOk.Get(0));
    Run(0.5f);
    EXPECT_FALSE(board->IsHelpShown());

    Run(1.3f);
    EXPECT_TRUE(skip->Visible.FirstBool()) << "three seconds of play offer the skip button";
    EXPECT_FALSE(fill->Visible.FirstBool());
    board->Message(message::kButtonClicked, skip);
    Run(1.9f);
    EXPECT_EQ(Finished(), "");
    Run(0.2f);
    EXPECT_EQ(GetUI().TopScreen(), quest.get());
    EXPECT_EQ(Finished(), "skipped");
    EXPECT_FALSE(board->IsSolved());
}

TEST_F(LeapfrogTest, ADamagedLayoutOpensLogsOneLineAndCanBeSkipped) {
    LogCapture log;
    Leapfrog* board = Open("broken");
    ASSERT_NE(board, nullptr);
    int lines = 0;
    for (const std::string& line : log.Lines()) {
        lines += line.find("Leapfrog") != std::string::npos;
    }
    EXPECT_EQ(lines, 1);
    EXPECT_TRUE(log.Contains("2 peg(s) on slots the board lacks"));
    EXPECT_FALSE(Peg(*board, "g0")->Visible.FirstBool());
    EXPECT_FALSE(Peg(*board, "red")->Visible.FirstBool());
    Run(3.1f);
    board->Message(message::kButtonClicked, board->skipButton.Get(0));
    Run(2.1f);
    EXPECT_EQ(Finished(), "skipped");
}
