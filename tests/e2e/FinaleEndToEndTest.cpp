// End to end: the end of the demo, played in the real game with real clicks.
// A player who has reached the lamp room comes back to the title, which
// lets them play on (the lamp room is not the ending); every keeper's thing
// is found by clicking it (the kinds the goal sheet lists read from the
// level's save, the places from the level's scene file); Tamsin's outro
// story is read through; the map shows the lighthouse's lamp burning and
// walks the player to the festival; the festival's one lantern completes
// the game, the credits roll, and the title then offers to start over.
#include "harness/GameSession.h"
#include "harness/Pictures.h"

#include "render/Image.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

// Centres of controls on the 1024 x 768 screen.
constexpr int kTitlePlayX = 512, kTitlePlayY = 514;
constexpr int kMapPlayX = 792, kMapPlayY = 714;
constexpr int kCreditsOkX = 512, kCreditsOkY = 606;
// The story's answers: the first of two on the left, single answers further in.
constexpr int kFirstAnswerX = 160, kReplyAnswerX = 220, kLastAnswerX = 280, kAnswerY = 710;

struct Treasure {
    std::string name, kind;
    std::vector<float> position;
};

std::vector<Treasure> TreasuresOf(const std::string& level) {
    std::ifstream in(std::string(TEST_SOURCE_DIR) + "/../content/levels/" + level + "/" + level + ".scene");
    std::map<std::string, Treasure> byName;
    std::vector<std::string> order;
    std::string line;
    while (std::getline(in, line)) {
        const size_t dot = line.find('.');
        const size_t equals = line.find(" = ");
        if (line.empty() || line[0] == '#' || dot == std::string::npos || equals == std::string::npos) {
            continue;
        }
        const std::string element = line.substr(0, dot);
        const std::string key = line.substr(dot + 1, equals - dot - 1);
        const std::string value = line.substr(equals + 3, line.size() - equals - 4);
        Treasure& t = byName[element];
        t.name = element;
        if (key == "fancyName") {
            t.kind = value;
            order.push_back(element);
        } else if (key == "Position") {
            t.position.push_back(std::stof(value));
        }
    }
    std::vector<Treasure> out;
    for (const std::string& name : order) {
        out.push_back(byName[name]);
    }
    return out;
}

std::set<std::string> Targets(const std::string& save) {
    std::set<std::string> kinds;
    std::istringstream lines(save);
    std::string line;
    const std::string key = "targetTreasure = ";
    while (std::getline(lines, line)) {
        if (line.rfind(key, 0) == 0 && line.size() > key.size() + 1) {
            kinds.insert(line.substr(key.size(), line.size() - key.size() - 1));
        }
    }
    return kinds;
}

std::string SaveFolder() {
    const std::string options = GameSession::FindSaveFile("options.widget");
    return options.empty() ? "" : options.substr(0, options.rfind('/') + 1);
}

// The profile an earlier run saved for a player who has reached `level`.
bool PlayerHasReached(const std::string& name, int level) {
    const std::string folder = SaveFolder();
    return !folder.empty() && testing_support::WriteFile(folder + "state.scene",
                                                         "Widget = player;\nplayer.Type = State;\n"
                                                         "player.PlayerId = 0;\nplayer.PlayerName = " +
                                                             name + ";\nplayer.Active = true;\nplayer.CurrentLevel = " +
                                                             std::to_string(level) + ";\n");
}

std::string SavedState() {
    return testing_support::ReadFile(SaveFolder() + "state.scene");
}

void Keep(const Image& picture, const std::string& name) {
    SavePicture(picture, std::string(TEST_BINARY_DIR) + "/e2e-output/finale-" + name + ".png");
}

} // namespace

TEST(FinaleEndToEnd, TheLampRoomIsRestoredTheFestivalEndsTheGameAndTheTitleOffersToStartOver) {
    const std::vector<Treasure> treasures = TreasuresOf("lamp_room");
    ASSERT_GE(treasures.size(), 15u);
    {
        GameSession first;
        ASSERT_TRUE(first.Display().Ready()) << first.Problem();
        ASSERT_TRUE(first.WaitForWindow()) << first.Problem();
        ASSERT_EQ(first.Close(), 0) << first.Log();
    }
    ASSERT_TRUE(PlayerHasReached("Finn", 5)) << "the lamp room is the sixth place";

    GameSession game;
    ASSERT_TRUE(game.Display().Ready()) << game.Problem();
    ASSERT_TRUE(game.WaitForWindow()) << game.Problem();
    Image title;
    ASSERT_TRUE(game.WaitForStillPicture(title, 20.0)) << game.Log();
    // The title's menu fades in two seconds after the level has loaded below it.
    std::this_thread::sleep_for(std::chrono::seconds(5));
    ASSERT_TRUE(game.WaitForStillPicture(title, 20.0)) << game.Log();
    ASSERT_TRUE(game.Click(kTitlePlayX, kTitlePlayY));
    Image room;
    ASSERT_TRUE(game.WaitForChangedStillPicture(title, room, 30.0)) << game.Log();
    EXPECT_EQ(game.Log().find("starting over is offered"), std::string::npos)
        << "a player in the lamp room plays on; the game is not finished yet\n" << game.Log();
    Keep(room, "lamp-room");

    // The goal sheet lists twelve kinds at a time: find those, save, and
    // find the kinds that took their lines.
    std::set<std::string> clicked;
    for (int round = 0; round < 4 && clicked.size() < treasures.size(); ++round) {
        ASSERT_TRUE(game.Console("saveGame"));
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const std::set<std::string> targets =
            Targets(testing_support::ReadFile(GameSession::FindSaveFile("0_lamp_room.save")));
        ASSERT_FALSE(targets.empty()) << "round " << round << "\n" << game.Log();
        for (const Treasure& t : treasures) {
            if (targets.count(t.kind) && !clicked.count(t.name)) {
                ASSERT_EQ(t.position.size(), 3u) << t.name;
                ASSERT_TRUE(game.Click(int(t.position[0]) + 512, int(t.position[1]) + 384)) << t.name;
                clicked.insert(t.name);
                std::this_thread::sleep_for(std::chrono::milliseconds(400));
            }
        }
        std::this_thread::sleep_for(std::chrono::seconds(2));
    }
    EXPECT_EQ(clicked.size(), treasures.size());
    ASSERT_TRUE(game.WaitForLog("Level lamp_room: the player finished the level", 20.0)) << game.Log();

    // Tamsin is found, and Maren opens the festival.
    ASSERT_TRUE(game.WaitForLog("lamp_room_outro, page A: Goodness! Finn, is that you?", 20.0)) << game.Log();
    Image page;
    ASSERT_TRUE(game.WaitForStillPicture(page, 20.0));
    Keep(page, "outro-tamsin");
    ASSERT_TRUE(game.Click(kFirstAnswerX, kAnswerY));
    ASSERT_TRUE(game.WaitForLog("page B: Forgive an old keeper.", 20.0)) << game.Log();
    ASSERT_TRUE(game.WaitForStillPicture(page, 20.0));
    ASSERT_TRUE(game.Click(kReplyAnswerX, kAnswerY));
    ASSERT_TRUE(game.WaitForLog("page M: Tamsin, safe and sound!", 20.0)) << game.Log();
    ASSERT_TRUE(game.WaitForStillPicture(page, 20.0));
    Keep(page, "outro-maren");
    ASSERT_TRUE(game.Click(kLastAnswerX, kAnswerY));

    // The map: the lighthouse's lamp burns again, then the player walks on.
    ASSERT_TRUE(game.WaitForLog("Level lamp_room: the map opens", 30.0)) << game.Log();
    // The lamp lights up on the map and the player walks on to the festival;
    // the map's water moves, so the walk is waited out by the clock.
    std::this_thread::sleep_for(std::chrono::seconds(4));
    Image map;
    ASSERT_TRUE(game.Capture(map));
    Keep(map, "map-lamp-lit");
    // The walk to the quay ends with the map's play button; the map's water
    // moves, so the festival is known by its picture standing still.
    Image festival;
    bool arrived = false;
    for (int attempt = 0; attempt < 12 && !arrived; ++attempt) {
        std::this_thread::sleep_for(std::chrono::seconds(3));
        ASSERT_TRUE(game.Click(kMapPlayX, kMapPlayY));
        arrived = game.WaitForStillPicture(festival, 3.0);
    }
    ASSERT_TRUE(arrived) << "the festival never opened\n" << game.Log();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    ASSERT_TRUE(game.Capture(festival));
    Keep(festival, "festival");
    const std::vector<Treasure> lantern = TreasuresOf("festival");
    ASSERT_EQ(lantern.size(), 1u);
    ASSERT_TRUE(game.Click(int(lantern[0].position[0]) + 512, int(lantern[0].position[1]) + 384));
    ASSERT_TRUE(game.WaitForLog("Level festival: the game is completed", 20.0)) << game.Log();
    ASSERT_TRUE(game.WaitForLog("CreditsScreen: the credits roll", 20.0)) << game.Log();
    Image credits;
    std::this_thread::sleep_for(std::chrono::seconds(3));
    ASSERT_TRUE(game.WaitForStillPicture(credits, 20.0));
    Keep(credits, "credits");
    EXPECT_NE(SavedState().find("CurrentLevel = 6;"), std::string::npos) << "the finished game is saved";

    // The credits' OK leads to the title, whose Play asks to start over.
    ASSERT_TRUE(game.Click(kCreditsOkX, kCreditsOkY));
    Image after;
    ASSERT_TRUE(game.WaitForChangedStillPicture(credits, after, 20.0)) << game.Log();
    std::this_thread::sleep_for(std::chrono::seconds(3));
    ASSERT_TRUE(game.WaitForStillPicture(after, 20.0));
    Keep(after, "title-after");
    ASSERT_TRUE(game.Click(kTitlePlayX, kTitlePlayY));
    ASSERT_TRUE(game.WaitForLog("TitleScreen: the game is finished; starting over is offered", 20.0)) << game.Log();
    Image prompt;
    ASSERT_TRUE(game.WaitForChangedStillPicture(after, prompt, 20.0));
    Keep(prompt, "start-over");
    EXPECT_GT(DifferingShare(after, prompt), 0.05) << "the question shows over the title";
    game.Kill();
}
