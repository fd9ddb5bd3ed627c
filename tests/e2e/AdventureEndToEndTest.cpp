// End to end: a player solves the demo's boathouse in the real game with real
// clicks. Where the objects lie is read from the levels' scene files and the
// inventory drawer's place from the HUD scene, as a player would see them;
// the game itself is told nothing. On the way the rope is picked up, the
// workbench's close-up is visited and left, rope and hook are combined into
// the grapple, the grapple reaches the key and the key opens the chest; the
// game is saved and restarted, and the restored level is finished with the
// winch.
#include "harness/GameSession.h"
#include "harness/Pictures.h"

#include "render/Image.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>

namespace {

struct Point {
    float x = 0.0f;
    float y = 0.0f;
};

// The first two "Position" values of every element of a scene file.
std::map<std::string, Point> Positions(const std::string& relative) {
    std::ifstream in(std::string(TEST_SOURCE_DIR) + "/../content/" + relative);
    std::map<std::string, std::vector<float>> values;
    std::string line;
    while (std::getline(in, line)) {
        const size_t dot = line.find('.');
        const size_t equals = line.find(" = ");
        if (line.empty() || line[0] == '#' || dot == std::string::npos || equals == std::string::npos ||
            line.compare(dot + 1, equals - dot - 1, "Position") != 0) {
            continue;
        }
        values[line.substr(0, dot)].push_back(std::stof(line.substr(equals + 3)));
    }
    std::map<std::string, Point> out;
    for (const auto& [name, numbers] : values) {
        if (numbers.size() >= 2) {
            out[name] = Point{numbers[0], numbers[1]};
        }
    }
    return out;
}

void Pause(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(int(milliseconds * GameSession::TimeScale())));
}

class Boathouse {
public:
    explicit Boathouse(GameSession& session) : game(session) {
        root = Positions("levels/boathouse/boathouse.scene");
        bench = Positions("levels/boathouse_bench/boathouse_bench.scene");
        const auto hud = Positions("gui/DunhavenHud.scene");
        // The drawer slides down to the top edge; its icons are 96-pixel
        // pictures drawn at 0.66 from their corner.
        const Point first = hud.at("inventory_icon_1");
        const Point second = hud.at("inventory_icon_2");
        const Point drawer = hud.at("inventory_drawer");
        slotY = int(-384.0f + first.y + 32.0f) + 384;
        slotX[0] = int(drawer.x + first.x + 32.0f) + 512;
        slotX[1] = int(drawer.x + second.x + 32.0f) + 512;
    }
    // Clicks the centre of an element (its position is its pivot, the centre),
    // `dx` pixels to the right: the pointer must move for the click to be
    // sent, so two clicks at one place need an offset.
    bool ClickOn(const std::map<std::string, Point>& scene, const std::string& name, int dx = 0) {
        const auto where = scene.find(name);
        if (where == scene.end()) {
            ADD_FAILURE() << "no element " << name;
            return false;
        }
        const bool clicked = game.Click(int(where->second.x) + 512 + dx, int(where->second.y) + 384);
        Pause(900);
        return clicked;
    }
    bool ClickRoot(const std::string& name, int dx = 0) { return ClickOn(root, name, dx); }
    bool ClickBench(const std::string& name) { return ClickOn(bench, name); }
    // Opens the drawer by pointing at the top edge, then clicks a slot.
    bool ClickSlot(int slot) {
        const bool moved = game.MoveMouse(slotX[slot], 6);
        Pause(800);
        const bool clicked = game.Click(slotX[slot], slotY);
        Pause(900);
        return moved && clicked;
    }
    std::map<std::string, Point> root;
    std::map<std::string, Point> bench;

private:
    GameSession& game;
    int slotX[2] = {0, 0};
    int slotY = 0;
};

void EnterTheBoathouse(GameSession& game, bool firstTime) {
    ASSERT_TRUE(game.WaitForWindow()) << game.Problem();
    Image first;
    ASSERT_TRUE(game.WaitForStillPicture(first)) << "the first screen never settled";
    if (firstTime) {
        ASSERT_TRUE(game.Console("setPlayerName Tess"));
    }
    ASSERT_TRUE(game.Console("loadLevel boathouse"));
    Image entered;
    ASSERT_TRUE(game.WaitForChangedStillPicture(first, entered, 30.0)) << game.Log();
    Pause(1500);
}

} // namespace

TEST(AdventureEndToEnd, TheBoathouseIsSolvedWithItemsACombinationALockASubLevelAndTheWinch) {
    {
        GameSession game;
        ASSERT_TRUE(game.Display().Ready()) << game.Problem();
        EnterTheBoathouse(game, true);
        Boathouse level(game);
        Image start;
        ASSERT_TRUE(game.WaitForStillPicture(start)) << game.Log();
        SavePicture(start, std::string(TEST_BINARY_DIR) + "/adventure-boathouse.png");

        ASSERT_TRUE(level.ClickRoot("rope")) << game.Log();
        ASSERT_TRUE(game.WaitForLog("Level boathouse: picked up rope", 10.0)) << game.Log();
        ASSERT_TRUE(level.ClickRoot("workbench")) << game.Log();
        Image close;
        ASSERT_TRUE(game.WaitForChangedStillPicture(start, close, 20.0)) << game.Log();
        SavePicture(close, std::string(TEST_BINARY_DIR) + "/adventure-bench.png");
        ASSERT_TRUE(level.ClickBench("hook")) << game.Log();
        ASSERT_TRUE(game.WaitForLog("Level boathouse_bench: picked up hook", 10.0)) << game.Log();
        Pause(1500);
        // The left edge of the close-up leads back.
        ASSERT_TRUE(game.Click(30, 384));
        Pause(1500);

        // Rope (slot 1) in hand, dropped on the hook (slot 2): the grapple.
        ASSERT_TRUE(level.ClickSlot(0)) << game.Log();
        ASSERT_TRUE(level.ClickSlot(1)) << game.Log();
        ASSERT_TRUE(game.WaitForLog("Level boathouse: combined rope and hook into grapple", 10.0)) << game.Log();
        ASSERT_TRUE(level.ClickSlot(1)) << game.Log();
        ASSERT_TRUE(level.ClickRoot("key")) << game.Log();
        ASSERT_TRUE(game.WaitForLog("Level boathouse: picked up key", 10.0)) << game.Log();
        Pause(1500);
        ASSERT_TRUE(level.ClickSlot(0)) << game.Log();
        ASSERT_TRUE(level.ClickRoot("chest_closed")) << game.Log();
        ASSERT_TRUE(game.WaitForLog("Level boathouse: key opens the lock chest", 10.0)) << game.Log();
        Pause(1000);
        Image opened;
        ASSERT_TRUE(game.WaitForStillPicture(opened)) << game.Log();
        SavePicture(opened, std::string(TEST_BINARY_DIR) + "/adventure-chest-open.png");
        ASSERT_TRUE(game.Console("saveGame"));
        Pause(1000);
        const std::string saved = testing_support::ReadFile(GameSession::FindSaveFile("0_boathouse.save"));
        EXPECT_NE(saved.find("object_parameters.chest.state = true;"), std::string::npos) << saved.substr(0, 600)
                                                                                           << game.Log();
        EXPECT_NE(saved.find("object_parameters.to_bench.used = true;"), std::string::npos);
        EXPECT_EQ(game.Close(), 0);
    }
    {
        // A restart: the chest stays open and the handle lies in it.
        GameSession game;
        ASSERT_TRUE(game.Display().Ready()) << game.Problem();
        EnterTheBoathouse(game, false);
        Boathouse level(game);
        ASSERT_TRUE(level.ClickRoot("handle")) << game.Log();
        ASSERT_TRUE(game.WaitForLog("Level boathouse: picked up handle", 10.0)) << game.Log();
        Pause(1500);
        ASSERT_TRUE(level.ClickSlot(0)) << game.Log();
        ASSERT_TRUE(level.ClickRoot("winch_bare")) << game.Log();
        ASSERT_TRUE(game.WaitForLog("Level boathouse: handle opens the lock winch_socket", 10.0)) << game.Log();
        Pause(1000);
        ASSERT_TRUE(level.ClickRoot("winch_off", 4)) << game.Log();
        EXPECT_TRUE(game.WaitForLog("finished the level", 20.0)) << game.Log();
        Image done;
        if (game.WaitForStillPicture(done)) {
            SavePicture(done, std::string(TEST_BINARY_DIR) + "/adventure-boat-lowered.png");
        }
        EXPECT_EQ(game.Close(), 0);
    }
}
