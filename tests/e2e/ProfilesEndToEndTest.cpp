// End to end: the players list in the real game. A returning player opens
// it from the title's welcome line and creates a second profile with the
// name typed on real keys, which starts a new game with the intro; after a
// restart the second player is greeted, is deleted after the question, and
// the first player's progress is untouched.
#include "harness/GameSession.h"
#include "harness/Pictures.h"

#include "render/Image.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>

namespace {

// Window positions: the title's welcome line, the list's buttons, the
// second row of the list and the question's Yes.
constexpr int kWelcomeX = 512, kWelcomeY = 450;
constexpr int kCreateX = 368, kDeleteX = 656, kListButtonsY = 566;
constexpr int kListOkX = 512, kListOkY = 640;
constexpr int kSecondRowX = 460, kSecondRowY = 236;
constexpr int kYesX = 290, kYesY = 418;
constexpr int kRestX = 960, kRestY = 700;

std::string SaveFolder() {
    const std::string options = GameSession::FindSaveFile("options.widget");
    return options.empty() ? "" : options.substr(0, options.rfind('/') + 1);
}

// Waits for the title of a returning player: the level behind it loads and
// its menu fades in after two seconds.
bool WaitForTitle(GameSession& game, Image& title) {
    if (!game.WaitForStillPicture(title, 20.0)) {
        return false;
    }
    std::this_thread::sleep_for(std::chrono::seconds(6));
    return game.WaitForStillPicture(title, 20.0);
}

// The saved lines of the player named `name` in the state file, without the
// one that says whether that player is the current one; empty when absent.
std::string PlayerLines(const std::string& state, const std::string& name) {
    const size_t at = state.find(".PlayerName = " + name + ";");
    if (at == std::string::npos) {
        return "";
    }
    const size_t begin = state.rfind('\n', at) + 1;
    const std::string prefix = state.substr(begin, state.find('.', begin) - begin + 1);
    std::string lines;
    std::istringstream in(state);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(prefix, 0) == 0 && line.find(".Active =") == std::string::npos) {
            lines += line + "\n";
        }
    }
    return lines;
}

// A click, then the pointer back at rest, then the changed picture.
bool ClickAndWait(GameSession& game, int x, int y, const Image& before, Image& after) {
    return game.Click(x, y) && game.MoveMouse(kRestX, kRestY) && game.WaitForChangedStillPicture(before, after);
}

} // namespace

TEST(ProfilesEndToEnd, ASecondProfileIsCreatedChosenAndDeletedAndTheFirstKeepsItsProgress) {
    {
        GameSession first;
        ASSERT_TRUE(first.Display().Ready()) << first.Problem();
        ASSERT_TRUE(first.WaitForWindow()) << first.Problem();
        ASSERT_EQ(first.Close(), 0) << first.Log();
    }
    const std::string folder = SaveFolder();
    ASSERT_NE(folder, "");
    ASSERT_TRUE(testing_support::WriteFile(folder + "state.scene", "Widget = player;\nplayer.Type = State;\n"
                                                                   "player.PlayerId = 0;\nplayer.PlayerName = Mira;\n"
                                                                   "player.Active = true;\n"));
    // Mira's progress in a level not loaded in this test.
    const std::string progress = "Widget = kept;\nkept.Type = Widget;\n";
    ASSERT_TRUE(testing_support::WriteFile(folder + "0_market_hall.save", progress));
    std::string mira;

    {
        GameSession game;
        ASSERT_TRUE(game.Display().Ready()) << game.Problem();
        ASSERT_TRUE(game.WaitForWindow()) << game.Problem();
        ASSERT_TRUE(game.MoveMouse(kRestX, kRestY));
        Image title, list, asked;
        ASSERT_TRUE(WaitForTitle(game, title)) << game.Log();
        ASSERT_TRUE(ClickAndWait(game, kWelcomeX, kWelcomeY, title, list)) << "the players list did not open";
        ASSERT_TRUE(ClickAndWait(game, kCreateX, kListButtonsY, list, asked)) << "the name prompt did not open";
        ASSERT_TRUE(game.Type("Nell"));
        ASSERT_TRUE(game.Key("Return"));
        // A new profile starts a new game: the intro movie, skipped.
        ASSERT_TRUE(game.WaitForLog("PlayMovie: intro plays", 20.0)) << game.Log();
        ASSERT_TRUE(game.Key("Escape"));
        ASSERT_TRUE(game.WaitForLog("IntroScreen: the player's level starts", 30.0)) << game.Log();
        const std::string state = testing_support::ReadFile(folder + "state.scene");
        EXPECT_NE(state.find("Nell"), std::string::npos) << state;
        mira = PlayerLines(state, "Mira");
        EXPECT_NE(mira, "") << state;
        ASSERT_EQ(game.Close(), 0) << game.Log();
    }

    GameSession game;
    ASSERT_TRUE(game.Display().Ready()) << game.Problem();
    ASSERT_TRUE(game.WaitForWindow()) << game.Problem();
    ASSERT_TRUE(game.MoveMouse(kRestX, kRestY));
    Image title, list, chosen, question, answered, back;
    ASSERT_TRUE(WaitForTitle(game, title)) << game.Log();
    SavePicture(title, std::string(TEST_BINARY_DIR) + "/e2e-output/profiles-title-nell.png");
    ASSERT_TRUE(ClickAndWait(game, kWelcomeX, kWelcomeY, title, list)) << "the players list did not open";
    SavePicture(list, std::string(TEST_BINARY_DIR) + "/e2e-output/profiles-list.png");
    // Nell, the player who played last, is chosen; a click on her row keeps her.
    ASSERT_TRUE(game.Click(kSecondRowX, kSecondRowY));
    ASSERT_TRUE(ClickAndWait(game, kDeleteX, kListButtonsY, list, question)) << "no question was asked";
    SavePicture(question, std::string(TEST_BINARY_DIR) + "/e2e-output/profiles-question.png");
    ASSERT_TRUE(ClickAndWait(game, kYesX, kYesY, question, answered)) << "Yes changed nothing";
    SavePicture(answered, std::string(TEST_BINARY_DIR) + "/e2e-output/profiles-one-left.png");
    EXPECT_GT(DifferingShare(list, answered), 0.0005) << "the list lost a row";
    const std::string state = testing_support::ReadFile(folder + "state.scene");
    EXPECT_EQ(state.find("Nell"), std::string::npos) << state;
    EXPECT_EQ(PlayerLines(state, "Mira"), mira) << "Mira's saved state is untouched";
    EXPECT_EQ(testing_support::ReadFile(folder + "0_market_hall.save"), progress) << "Mira's progress is kept";

    // OK goes on with Mira's game: the title greets her.
    ASSERT_TRUE(ClickAndWait(game, kListOkX, kListOkY, answered, back)) << "OK did not close the list";
    SavePicture(back, std::string(TEST_BINARY_DIR) + "/e2e-output/profiles-title-mira.png");
    EXPECT_EQ(game.Close(), 0) << game.Log();
}
