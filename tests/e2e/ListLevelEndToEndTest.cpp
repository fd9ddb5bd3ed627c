// End to end: the harbour square, a List level of more kinds than its list
// has lines, played in the real game with real clicks. The player finds
// every treasure of the list's first kind (the kind read from the level's
// save, the places from the level's scene file), sees the kind replaced by a
// new one, asks for a hint, and is locked out after clicking wildly at
// nothing.
#include "harness/GameSession.h"
#include "harness/Pictures.h"
#include "harness/SceneFile.h"

#include "render/Image.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Treasure {
    std::string name;
    std::string kind;
    ScenePoint at;
};

std::vector<Treasure> TreasuresOfTheSquare() {
    const SceneFile scene("levels/harbour_square/harbour_square.scene");
    std::vector<Treasure> out;
    for (const std::string& name : scene.ElementsWith("fancyName")) {
        out.push_back(Treasure{name, scene.Values(name, "fancyName")[0], scene.Position(name)});
    }
    return out;
}

std::vector<std::string> Targets(const std::string& save) {
    std::vector<std::string> kinds;
    std::istringstream lines(save);
    std::string line;
    const std::string key = "targetTreasure = ";
    while (std::getline(lines, line)) {
        if (line.rfind(key, 0) == 0 && line.size() > key.size() + 1) {
            kinds.push_back(line.substr(key.size(), line.size() - key.size() - 1));
        }
    }
    return kinds;
}

std::string SavedSquare(GameSession& game) {
    EXPECT_TRUE(game.Console("saveGame"));
    std::this_thread::sleep_for(std::chrono::seconds(1));
    return testing_support::ReadFile(GameSession::FindSaveFile("0_harbour_square.save"));
}

} // namespace

TEST(ListLevelEndToEnd, AKindFoundIsStruckAndReplacedAHintShowsAndWildClicksLockThePlayerOut) {
    const std::vector<Treasure> treasures = TreasuresOfTheSquare();
    ASSERT_GE(treasures.size(), 13u) << "more kinds than the list's twelve lines";
    GameSession game;
    ASSERT_TRUE(game.Display().Ready()) << game.Problem();
    ASSERT_TRUE(game.WaitForWindow()) << game.Problem();
    Image first;
    ASSERT_TRUE(game.WaitForStillPicture(first)) << "the first screen never settled";
    ASSERT_TRUE(game.Console("setPlayerName Tess"));
    ASSERT_TRUE(game.Console("loadLevel harbour_square"));
    Image entered;
    ASSERT_TRUE(game.WaitForChangedStillPicture(first, entered, 30.0)) << game.Log();
    if (game.WaitForLog("is told", 5.0)) {
        ASSERT_TRUE(game.Console("popUI"));
        Image back;
        ASSERT_TRUE(game.WaitForChangedStillPicture(entered, back, 30.0)) << game.Log();
    }

    const std::vector<std::string> before = Targets(SavedSquare(game));
    ASSERT_EQ(before.size(), 12u) << game.Log();
    const std::string kind = before.front();
    int clicked = 0;
    for (const Treasure& t : treasures) {
        if (t.kind == kind) {
            ASSERT_TRUE(game.Click(ScreenX(t.at.x), ScreenY(t.at.y))) << t.name;
            ++clicked;
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
        }
    }
    ASSERT_GT(clicked, 0);
    // The find flies to its line, the line is struck, then a new kind takes it.
    std::this_thread::sleep_for(std::chrono::seconds(4));
    Image found;
    EXPECT_TRUE(game.WaitForStillPicture(found, 20.0)) << game.Log();
    SavePicture(found, std::string(TEST_BINARY_DIR) + "/list-square-kind-found.png");
    const std::string save = SavedSquare(game);
    for (const Treasure& t : treasures) {
        if (t.kind == kind) {
            EXPECT_NE(save.find(t.name + ".used = true;"), std::string::npos) << t.name << "\n" << game.Log();
        }
    }
    const std::vector<std::string> after = Targets(save);
    ASSERT_EQ(after.size(), 12u);
    EXPECT_NE(after.front(), kind) << "the found kind's line holds a new kind";
    EXPECT_EQ(std::vector<std::string>(after.begin() + 1, after.end()),
              std::vector<std::string>(before.begin() + 1, before.end()))
        << "the other lines stay";

    // The hint button at the bar's right end: sparkles over an unfound treasure.
    Image beforeHint;
    ASSERT_TRUE(game.WaitForStillPicture(beforeHint, 20.0));
    ASSERT_TRUE(game.Click(943, 697));
    // Sparkles, then the button's cool-down gauge draining: the picture
    // moves for a long while, so it is only compared, not waited still.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    Image hinted;
    ASSERT_TRUE(game.Capture(hinted));
    SavePicture(hinted, std::string(TEST_BINARY_DIR) + "/list-square-hinted.png");
    EXPECT_GT(CountDifferingPixels(hinted, beforeHint, 24, nullptr), 200) << "the hint shows\n" << game.Log();

    // Clicks at the empty evening sky, one after another, lock the player out.
    for (int i = 0; i < 6; ++i) {
        ASSERT_TRUE(game.Click(760 + 10 * i, 170));
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
    }
    EXPECT_TRUE(game.WaitForLog("too many misclicks", 10.0)) << game.Log();
    Image locked;
    ASSERT_TRUE(game.Capture(locked));
    SavePicture(locked, std::string(TEST_BINARY_DIR) + "/list-square-locked-out.png");
    EXPECT_EQ(game.Close(), 0);
}
