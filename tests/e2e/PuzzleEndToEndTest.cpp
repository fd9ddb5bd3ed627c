// End to end: the keeper's study opens its desk drawer's Leapfrog board as
// the level starts. One run solves it with real clicks, from a solution the
// test computes from the puzzle's scene file with the board rules the game
// uses; another waits for the skip button and skips. Both times the level
// goes on: its script marks the drawer open, which the level's save shows,
// and puts the plan's piece from the drawer into the journal.
#include "harness/GameSession.h"
#include "harness/Pictures.h"
#include "harness/Playing.h"

#include "render/Image.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

constexpr const char* kPuzzle = "desk_drawer";
constexpr const char* kLayout = "drawer";

void OpenTheStudy(GameSession& game) {
    ASSERT_TRUE(game.WaitForWindow()) << game.Problem();
    Image first;
    ASSERT_TRUE(game.WaitForStillPicture(first)) << "the first screen never settled";
    ASSERT_TRUE(game.Console("setPlayerName Tess"));
    ASSERT_TRUE(game.Console("loadLevel keepers_study"));
    ASSERT_TRUE(game.WaitForLog("PlayPuzzle: desk_drawer opens with layout drawer", 30.0)) << game.Log();
    // The skip countdown keeps the picture moving: wait out the board's slide.
    std::this_thread::sleep_for(std::chrono::seconds(2));
    Image board;
    ASSERT_TRUE(game.Capture(board));
    SavePicture(board, std::string(TEST_BINARY_DIR) + "/puzzle-desk-drawer.png");
}

// The level's script marks the drawer open once the board has closed.
void ExpectTheDrawerOpen(GameSession& game) {
    ASSERT_TRUE(game.Console("saveGame"));
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const std::string saved = testing_support::ReadFile(GameSession::FindSaveFile("0_keepers_study.save"));
    EXPECT_NE(saved.find("drawerOpen.value = true;"), std::string::npos) << saved.substr(0, 600) << game.Log();
    // The journal's page for the study: the keeper's note, then the piece
    // of her plan that lay in the drawer.
    const std::string state = testing_support::ReadFile(GameSession::FindSaveFile("state.scene"));
    EXPECT_NE(state.find("keepers_study,keepers_study,note,torn_map;"), std::string::npos) << state;
}

// A button of the board's scene: its position is its corner.
void ClickButton(GameSession& game, const SceneFile& file, const std::string& button) {
    const ScenePoint at = file.Position(button);
    ASSERT_TRUE(game.Click(ScreenX(at.x + 66.0f), ScreenY(at.y + 26.0f)));
}

} // namespace

TEST(PuzzleEndToEnd, TheDeskDrawerIsSolvedWithClicksAndTheLevelGoesOn) {
    const LeapfrogPlan plan = PlanLeapfrog(kPuzzle, kLayout);
    ASSERT_FALSE(plan.moves.empty()) << "the demo's layout can be solved";
    GameSession game;
    ASSERT_TRUE(game.Display().Ready()) << game.Problem();
    OpenTheStudy(game);
    ASSERT_TRUE(PlayLeapfrog(game, plan));
    ASSERT_TRUE(game.WaitForLog("Puzzle desk_drawer: solved", 15.0)) << game.Log();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    Image back;
    ASSERT_TRUE(game.Capture(back));
    SavePicture(back, std::string(TEST_BINARY_DIR) + "/puzzle-desk-drawer-solved.png");
    ExpectTheDrawerOpen(game);
    EXPECT_EQ(game.Close(), 0);
}

TEST(PuzzleEndToEnd, TheSkipButtonIsOfferedAfterAWhileAndSkippingGoesOn) {
    const SceneFile file(std::string("puzzles/") + kPuzzle + "/" + kPuzzle + ".scene");
    GameSession game;
    ASSERT_TRUE(game.Display().Ready()) << game.Problem();
    OpenTheStudy(game);
    // The help page opens over the board, and its OK button closes it.
    ClickButton(game, file, "help_button");
    std::this_thread::sleep_for(std::chrono::seconds(1));
    Image help;
    ASSERT_TRUE(game.Capture(help));
    SavePicture(help, std::string(TEST_BINARY_DIR) + "/puzzle-desk-drawer-help.png");
    ClickButton(game, file, "help_ok");
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const float skipTime = file.Number(kPuzzle, "skipTime", 0);
    ASSERT_TRUE(game.WaitForLog("Puzzle desk_drawer: the skip button is offered", skipTime + 20.0)) << game.Log();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    Image offered;
    ASSERT_TRUE(game.Capture(offered));
    SavePicture(offered, std::string(TEST_BINARY_DIR) + "/puzzle-desk-drawer-skip.png");
    ClickButton(game, file, "skip_button");
    ASSERT_TRUE(game.WaitForLog("Puzzle desk_drawer: skipped", 10.0)) << game.Log();
    ExpectTheDrawerOpen(game);
    EXPECT_EQ(game.Close(), 0);
}
