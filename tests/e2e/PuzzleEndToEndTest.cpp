// End to end: the keeper's study opens its desk drawer's Leapfrog board as
// the level starts. One run solves it with real clicks, from a solution the
// test computes from the puzzle's scene file with the board rules the game
// uses; another waits for the skip button and skips. Both times the level
// goes on: its script marks the drawer open, which the level's save shows.
#include "harness/GameSession.h"
#include "harness/Pictures.h"

#include "puzzles/LeapfrogBoard.h"
#include "render/Image.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr const char* kPuzzle = "desk_drawer";
constexpr const char* kLayout = "drawer";

// The puzzle as its scene file declares it: "element.key = value;" lines,
// each key's values in file order.
struct PuzzleFile {
    std::map<std::string, std::vector<std::string>> values;

    const std::vector<std::string>& Get(const std::string& element, const std::string& key) {
        return values[element + "." + key];
    }
    float Number(const std::string& element, const std::string& key, size_t index) {
        const auto& list = Get(element, key);
        return index < list.size() ? std::stof(list[index]) : 0.0f;
    }
};

PuzzleFile ReadPuzzleFile() {
    std::ifstream in(std::string(TEST_SOURCE_DIR) + "/../content/puzzles/" + kPuzzle + "/" + kPuzzle + ".scene");
    PuzzleFile file;
    std::string line;
    while (std::getline(in, line)) {
        const size_t dot = line.find('.');
        const size_t equals = line.find(" = ");
        if (line.empty() || line[0] == '#' || dot == std::string::npos || equals == std::string::npos ||
            dot > equals) {
            continue;
        }
        file.values[line.substr(0, equals)].push_back(line.substr(equals + 3, line.size() - equals - 4));
    }
    return file;
}

struct Solution {
    std::vector<std::pair<float, float>> slots; ///< scene pixels, by slot index
    std::vector<LeapfrogMove> moves;
};

// Builds the board from the slots, their neighbours and the layout, and
// solves it with the board rules the game plays by.
Solution SolveFromFile() {
    PuzzleFile file = ReadPuzzleFile();
    Solution out;
    const std::vector<std::string> slots = file.Get(kPuzzle, "slots");
    LeapfrogBoard board;
    for (size_t i = 0; i < slots.size(); ++i) {
        out.slots.emplace_back(file.Number(slots[i], "Position", 0), file.Number(slots[i], "Position", 1));
        board.SetSlot(int32_t(i), out.slots.back().first, out.slots.back().second);
    }
    for (size_t i = 0; i < slots.size(); ++i) {
        for (const std::string& neighbour : file.Get(slots[i], "Neighbor")) {
            for (size_t j = 0; j < slots.size(); ++j) {
                if (slots[j] == neighbour) {
                    board.AddNeighbor(int32_t(i), int32_t(j));
                }
            }
        }
    }
    LeapfrogState start;
    const auto& gray = file.Get(kLayout, "GrayPeg");
    for (size_t j = 0; j < gray.size(); ++j) {
        if (gray[j] == "true") {
            start.gray = uint16_t(start.gray | (1u << j));
        }
    }
    start.red = int32_t(file.Number(kLayout, "RedPeg", 0)) - 1;
    EXPECT_TRUE(board.Solve(start, &out.moves)) << "the demo's layout can be solved";
    return out;
}

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
}

void Click(GameSession& game, const std::pair<float, float>& at) {
    ASSERT_TRUE(game.Click(int(at.first) + 512, int(at.second) + 384));
}

} // namespace

TEST(PuzzleEndToEnd, TheDeskDrawerIsSolvedWithClicksAndTheLevelGoesOn) {
    const Solution solution = SolveFromFile();
    ASSERT_FALSE(solution.moves.empty());
    GameSession game;
    ASSERT_TRUE(game.Display().Ready()) << game.Problem();
    OpenTheStudy(game);
    for (size_t i = 0; i < solution.moves.size(); ++i) {
        const LeapfrogMove& move = solution.moves[i];
        Click(game, solution.slots[size_t(move.from)]);
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        if (i == 0) {
            Image selected;
            ASSERT_TRUE(game.Capture(selected));
            SavePicture(selected, std::string(TEST_BINARY_DIR) + "/puzzle-desk-drawer-selected.png");
        }
        Click(game, solution.slots[size_t(move.to)]);
        // The peg glides for half a second; the board checks itself after one.
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    }
    ASSERT_TRUE(game.WaitForLog("Puzzle desk_drawer: solved", 15.0)) << game.Log();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    Image back;
    ASSERT_TRUE(game.Capture(back));
    SavePicture(back, std::string(TEST_BINARY_DIR) + "/puzzle-desk-drawer-solved.png");
    ExpectTheDrawerOpen(game);
    EXPECT_EQ(game.Close(), 0);
}

TEST(PuzzleEndToEnd, TheSkipButtonIsOfferedAfterAWhileAndSkippingGoesOn) {
    PuzzleFile file = ReadPuzzleFile();
    const float skipX = file.Number("skip_button", "Position", 0) + 66.0f;
    const float skipY = file.Number("skip_button", "Position", 1) + 26.0f;
    GameSession game;
    ASSERT_TRUE(game.Display().Ready()) << game.Problem();
    OpenTheStudy(game);
    // The help page opens over the board, and its OK button closes it.
    const float helpX = file.Number("help_button", "Position", 0) + 66.0f;
    const float helpY = file.Number("help_button", "Position", 1) + 26.0f;
    Click(game, {helpX, helpY});
    std::this_thread::sleep_for(std::chrono::seconds(1));
    Image help;
    ASSERT_TRUE(game.Capture(help));
    SavePicture(help, std::string(TEST_BINARY_DIR) + "/puzzle-desk-drawer-help.png");
    Click(game, {file.Number("help_ok", "Position", 0) + 66.0f, file.Number("help_ok", "Position", 1) + 26.0f});
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const float skipTime = file.Number(kPuzzle, "skipTime", 0);
    ASSERT_TRUE(game.WaitForLog("Puzzle desk_drawer: the skip button is offered", skipTime + 20.0)) << game.Log();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    Image offered;
    ASSERT_TRUE(game.Capture(offered));
    SavePicture(offered, std::string(TEST_BINARY_DIR) + "/puzzle-desk-drawer-skip.png");
    Click(game, {skipX, skipY});
    ASSERT_TRUE(game.WaitForLog("Puzzle desk_drawer: skipped", 10.0)) << game.Log();
    ExpectTheDrawerOpen(game);
    EXPECT_EQ(game.Close(), 0);
}
