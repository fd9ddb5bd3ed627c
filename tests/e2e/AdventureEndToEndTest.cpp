// End to end: a player solves the demo's boathouse in the real game with real
// clicks. Where the objects lie is read from the levels' scene files and the
// inventory drawer's place from the HUD scene, as a player would see them;
// the game itself is told nothing. On the way the rope is picked up, the
// workbench's close-up is visited and left, rope and hook are combined into
// the grapple, the grapple reaches the key and the key opens the chest; the
// game is saved and restarted, and the restored level is finished with the
// winch. The journal's page for the boathouse fills on the way.
#include "harness/GameSession.h"
#include "harness/Pictures.h"
#include "harness/Playing.h"

#include "render/Image.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The boathouse's scenes and its inventory drawer, read from their files.
class Boathouse {
public:
    explicit Boathouse(GameSession& session)
        : game(session), root("levels/boathouse/boathouse.scene"),
          bench("levels/boathouse_bench/boathouse_bench.scene"), inventory(session) {}
    bool ClickRoot(const std::string& name, int dx = 0) { return ClickElement(game, root, name, dx); }
    bool ClickBench(const std::string& name) { return ClickElement(game, bench, name); }
    bool ClickSlot(int slot) { return inventory.ClickSlot(slot); }

private:
    GameSession& game;
    SceneFile root;
    SceneFile bench;
    Inventory inventory;
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
    Pause(1.5);
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
        Pause(1.5);
        // The left edge of the close-up leads back.
        ASSERT_TRUE(game.Click(30, 384));
        Pause(1.5);

        // Rope (slot 1) in hand, dropped on the hook (slot 2): the grapple.
        ASSERT_TRUE(level.ClickSlot(0)) << game.Log();
        ASSERT_TRUE(level.ClickSlot(1)) << game.Log();
        ASSERT_TRUE(game.WaitForLog("Level boathouse: combined rope and hook into grapple", 10.0)) << game.Log();
        ASSERT_TRUE(level.ClickSlot(1)) << game.Log();
        ASSERT_TRUE(level.ClickRoot("key")) << game.Log();
        ASSERT_TRUE(game.WaitForLog("Level boathouse: picked up key", 10.0)) << game.Log();
        Pause(1.5);
        ASSERT_TRUE(level.ClickSlot(0)) << game.Log();
        ASSERT_TRUE(level.ClickRoot("chest_closed")) << game.Log();
        ASSERT_TRUE(game.WaitForLog("Level boathouse: key opens the lock chest", 10.0)) << game.Log();
        Pause(1.0);
        Image opened;
        ASSERT_TRUE(game.WaitForStillPicture(opened)) << game.Log();
        SavePicture(opened, std::string(TEST_BINARY_DIR) + "/adventure-chest-open.png");
        ASSERT_TRUE(game.Console("saveGame"));
        Pause(1.0);
        const std::string saved = testing_support::ReadFile(GameSession::FindSaveFile("0_boathouse.save"));
        EXPECT_NE(saved.find("object_parameters.chest.state = true;"), std::string::npos) << saved.substr(0, 600)
                                                                                           << game.Log();
        EXPECT_NE(saved.find("object_parameters.to_bench.used = true;"), std::string::npos);
        // The journal's page holds the keeper's note, given on entering, and
        // the grapple's sketch, given when it reached the key.
        const std::string state = testing_support::ReadFile(GameSession::FindSaveFile("state.scene"));
        EXPECT_NE(state.find("boathouse,boathouse,note,sketch;"), std::string::npos) << state;
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
        Pause(1.5);
        ASSERT_TRUE(level.ClickSlot(0)) << game.Log();
        ASSERT_TRUE(level.ClickRoot("winch_bare")) << game.Log();
        ASSERT_TRUE(game.WaitForLog("Level boathouse: handle opens the lock winch_socket", 10.0)) << game.Log();
        Pause(1.0);
        ASSERT_TRUE(level.ClickRoot("winch_off", 4)) << game.Log();
        EXPECT_TRUE(game.WaitForLog("finished the level", 20.0)) << game.Log();
        Image done;
        if (game.WaitForStillPicture(done)) {
            SavePicture(done, std::string(TEST_BINARY_DIR) + "/adventure-boat-lowered.png");
        }
        // The boat afloat is the page's last piece.
        ASSERT_TRUE(game.Console("saveGame"));
        Pause(1.0);
        EXPECT_EQ(game.Close(), 0);
        const std::string state = testing_support::ReadFile(GameSession::FindSaveFile("state.scene"));
        EXPECT_NE(state.find("boathouse,boathouse,note,sketch,torn_map;"), std::string::npos) << state;
    }
}
