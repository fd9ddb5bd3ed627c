// End to end: the display server goes away under the running game. The game
// must end as after a close request: exit status 0, the shut-down line, the
// options file written.
#include "harness/GameSession.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

namespace {

constexpr const char* kShutdownLine = "Dunhaven shut down after ";

// The display is killed while the game draws frames, at a few points of
// its run (a frame is about 15 ms), so that the loss meets it in different
// calls.
void LoseTheDisplayAfter(double seconds) {
    GameSession game;
    ASSERT_TRUE(game.Display().Ready()) << game.Problem();
    ASSERT_TRUE(game.WaitForWindow()) << game.Problem();
    ASSERT_TRUE(game.WaitForLog("Preloaded", 20.0)) << game.Log();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds * GameSession::TimeScale()));
    ASSERT_EQ(GameSession::FindSaveFile("options.widget"), "") << "written before the game ended";

    game.Display().KillServer();
    const int status = game.WaitForExit(20.0);
    EXPECT_EQ(status, 0) << (status == kStillRunning ? "the game still runs" : "the game died")
                         << "; its log:\n"
                         << game.Log();
    EXPECT_NE(game.Log().find(kShutdownLine), std::string::npos) << game.Log();
    const std::string options = GameSession::FindSaveFile("options.widget");
    EXPECT_NE(options, "") << game.Log();
    std::filesystem::remove(options); // the next run writes its own
}

} // namespace

TEST(LostDisplay, GameEndsLikeAfterACloseRequestAndWritesTheOptions) {
    for (const double seconds : {0.0, 0.37, 1.21}) {
        SCOPED_TRACE("display lost " + std::to_string(seconds) + " s after the preload");
        LoseTheDisplayAfter(seconds);
        if (HasFatalFailure()) {
            return;
        }
    }
}
