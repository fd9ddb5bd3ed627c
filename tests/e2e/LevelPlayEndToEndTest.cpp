// End to end: a player plays the demo's market level (ten shells, any shell
// counts) in the real game with real clicks. The test reads where the shells
// lie from the level's scene file, as a player would see them; the game
// itself is not told anything. It then saves, restarts, finds the level's
// progress restored, completes the level and is taken to the town map.
#include "harness/GameSession.h"
#include "harness/Pictures.h"
#include "harness/SceneFile.h"

#include "render/Image.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Shell {
    std::string name;
    ScenePoint at;
};

// The treasures of type "shell" and their centres, read from the level's scene file.
std::vector<Shell> ShellsOfTheMarket() {
    const SceneFile scene("levels/market_hall/market_hall.scene");
    std::vector<Shell> out;
    for (const std::string& name : scene.ElementsWith("fancyName")) {
        if (scene.Values(name, "fancyName")[0] == "shell") {
            out.push_back(Shell{name, scene.Position(name)});
        }
    }
    return out;
}

// Opens the market as a named player and closes its intro story.
void EnterTheMarket(GameSession& game, bool firstTime) {
    ASSERT_TRUE(game.WaitForWindow()) << game.Problem();
    Image first;
    ASSERT_TRUE(game.WaitForStillPicture(first)) << "the first screen never settled";
    if (firstTime) {
        ASSERT_TRUE(game.Console("setPlayerName Tess"));
    }
    ASSERT_TRUE(game.Console("loadLevel market_hall"));
    Image entered;
    ASSERT_TRUE(game.WaitForChangedStillPicture(first, entered, 30.0)) << game.Log();
    if (firstTime) {
        ASSERT_TRUE(game.WaitForLog("is told", 10.0)) << "the intro story opens\n" << game.Log();
        ASSERT_TRUE(game.Console("popUI"));
        Image back;
        ASSERT_TRUE(game.WaitForChangedStillPicture(entered, back, 30.0)) << game.Log();
    }
}

} // namespace

TEST(LevelPlayEndToEnd, TheMarketIsPlayedByClickingItsShellsAndItsProgressSurvivesARestart) {
    const std::vector<Shell> shells = ShellsOfTheMarket();
    ASSERT_EQ(shells.size(), 10u) << "the market hides ten shells";
    {
        GameSession game;
        ASSERT_TRUE(game.Display().Ready()) << game.Problem();
        EnterTheMarket(game, true);
        // Three shells found, then the game is saved.
        for (size_t i = 0; i < 3; ++i) {
            ASSERT_TRUE(game.Click(ScreenX(shells[i].at.x), ScreenY(shells[i].at.y))) << shells[i].name;
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        }
        std::this_thread::sleep_for(std::chrono::seconds(3));
        Image found;
        ASSERT_TRUE(game.WaitForStillPicture(found)) << game.Log();
        SavePicture(found, std::string(TEST_BINARY_DIR) + "/level-market-three-found.png");
        ASSERT_TRUE(game.Console("saveGame"));
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const std::string saved = testing_support::ReadFile(GameSession::FindSaveFile("0_market_hall.save"));
        for (size_t i = 0; i < shells.size(); ++i) {
            const bool used = saved.find(shells[i].name + ".used = true;") != std::string::npos;
            EXPECT_EQ(used, i < 3) << shells[i].name << "\n" << saved.substr(0, 400) << "\n" << game.Log();
        }
        EXPECT_EQ(game.Close(), 0);
    }
    {
        // A restart: the three shells stay found; the other seven complete the level.
        GameSession game;
        ASSERT_TRUE(game.Display().Ready()) << game.Problem();
        EnterTheMarket(game, false);
        for (size_t i = 3; i < shells.size(); ++i) {
            ASSERT_TRUE(game.Click(ScreenX(shells[i].at.x), ScreenY(shells[i].at.y))) << shells[i].name;
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        }
        EXPECT_TRUE(game.WaitForLog("finished the level", 20.0)) << game.Log();
        // The level's end fades to the town map, where the player's marker
        // walks on from the market.
        Image level;
        ASSERT_TRUE(game.Capture(level));
        ASSERT_TRUE(game.WaitForLog("Level market_hall: the map opens", 20.0)) << game.Log();
        Image map;
        EXPECT_TRUE(game.WaitForChangedStillPicture(level, map, 30.0)) << game.Log();
        SavePicture(map, std::string(TEST_BINARY_DIR) + "/level-market-then-map.png");
        EXPECT_EQ(game.Log().find("MapScreen:"), std::string::npos) << "the map reports no problem\n"
                                                                     << game.Log();
        EXPECT_EQ(game.Close(), 0);
    }
}
