// End to end: a new game in the real game. The first start asks the new
// player's name (typed with real keys), the intro movie plays and Escape
// skips it, the first level begins; its journal, opened with the mouse,
// shows the piece the player was given.
#include "harness/GameSession.h"
#include "harness/Pictures.h"

#include "render/Image.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

void Keep(const Image& picture, const char* name) {
    SavePicture(picture, std::string(TEST_BINARY_DIR) + "/e2e-output/new-game-" + name + ".png");
}

// The journal button in the level's top right corner, and a spot of sky.
constexpr int kJournalX = 966, kJournalY = 62;
constexpr int kRestX = 420, kRestY = 150;

} // namespace

TEST(NewGameEndToEnd, ANewPlayerIsNamedSeesTheIntroThenTheLevelAndItsJournal) {
    GameSession game;
    ASSERT_TRUE(game.Display().Ready()) << game.Problem();
    ASSERT_TRUE(game.WaitForWindow()) << game.Problem();
    ASSERT_TRUE(game.MoveMouse(kRestX, kRestY));
    Image asked;
    ASSERT_TRUE(game.WaitForStillPicture(asked, 20.0)) << game.Log();
    ASSERT_TRUE(game.WaitForLog("IntroScreen: a new player is asked for a name", 20.0)) << game.Log();
    ASSERT_EQ(game.Log().find("PlayMovie: intro plays"), std::string::npos) << "the movie waits for the name";

    // Typed as UTF-8 keys; the game keeps names in Latin-1, as its fonts draw them.
    ASSERT_TRUE(game.Type("Zoé"));
    ASSERT_TRUE(game.Key("Return"));
    ASSERT_TRUE(game.WaitForLog("IntroScreen: the new player 'Zo\xe9' is the current profile", 20.0))
        << game.Log();
    ASSERT_TRUE(game.WaitForLog("PlayMovie: intro plays", 20.0)) << game.Log();
    std::this_thread::sleep_for(std::chrono::duration<double>(2.0 * GameSession::TimeScale()));
    Image playing;
    ASSERT_TRUE(game.Capture(playing));
    Keep(playing, "movie");
    EXPECT_LT(MeanBrightness(playing, 0, 90), 10.0) << "the movie's letterbox";
    EXPECT_GT(MeanBrightness(playing, 200, 300), 120.0) << "the movie's dusk sky";
    const std::string saved = GameSession::FindSaveFile("state.scene");
    ASSERT_NE(saved, "");
    EXPECT_NE(testing_support::ReadFile(saved).find("Zo\xe9"), std::string::npos) << "the profile is saved";

    ASSERT_TRUE(game.Key("Escape"));
    ASSERT_TRUE(game.WaitForLog("IntroScreen: the player's level starts", 30.0)) << game.Log();
    // The first entry tells the level's intro story; closing it returns to the
    // level. The story is closed only once its first page shows: the first
    // still picture after the movie can be the transition's, and closing then
    // took the level off the screen instead.
    ASSERT_TRUE(game.WaitForLog("StoryScreen: harbour_square_intro, page", 30.0)) << game.Log();
    Image story;
    ASSERT_TRUE(game.WaitForChangedStillPicture(playing, story, 30.0)) << game.Log();
    ASSERT_TRUE(game.Console("popUI"));
    std::this_thread::sleep_for(std::chrono::seconds(6)); // the console's status line fades
    Image level;
    ASSERT_TRUE(game.WaitForStillPicture(level, 20.0)) << game.Log();
    Keep(level, "level");

    ASSERT_TRUE(game.MoveMouse(kJournalX, kJournalY));
    Image hovered, journal;
    ASSERT_TRUE(game.WaitForStillPicture(hovered));
    ASSERT_TRUE(game.Display().Xdotool({"click", "1"}));
    ASSERT_TRUE(game.WaitForLog("JournalMenu: the page harbour_square shows", 20.0)) << game.Log();
    std::this_thread::sleep_for(std::chrono::seconds(6)); // the console's status line fades
    ASSERT_TRUE(game.WaitForChangedStillPicture(hovered, journal)) << game.Log();
    Keep(journal, "journal");
    EXPECT_GT(DifferingShare(level, journal), 0.5) << "the open book covers the level";
    EXPECT_TRUE(LooksLikeExpected(journal, "journal_page"));
    EXPECT_EQ(game.Close(), 0) << game.Log();
}
