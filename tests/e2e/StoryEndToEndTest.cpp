// End to end: the intro story of the first level in the real game, opened
// with the console command and read through both of Maren's answers in two
// runs, clicking the answers. The player's name, typed in lower case, comes
// back capitalised in the page text the game logs, and the two branches
// show different replies.
#include "harness/GameSession.h"
#include "harness/Pictures.h"

#include "render/Image.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The answers on the story's parchment (1024 x 768 picture): the first of
// two (and a single answer) on the left, the second on the right. Each click
// goes to another point: the pointer must move for the input to arrive.
constexpr int kFirstAnswerX = 160, kSecondAnswerX = 600, kAnswerY = 710;
constexpr int kReplyAnswerX = 220, kLastAnswerX = 280;

void Keep(const Image& picture, const std::string& name) {
    SavePicture(picture, std::string(TEST_BINARY_DIR) + "/e2e-output/story-" + name + ".png");
}

// Opens the intro story for a player named "ann", answers `firstAnswerX`
// on Maren's first page and reads on to the end. Returns the picture of the
// reply page (empty on failure).
void ReadIntroStory(int firstAnswerX, const std::string& reply, const std::string& run, Image& replyPicture) {
    GameSession game;
    ASSERT_TRUE(game.Display().Ready()) << game.Problem();
    ASSERT_TRUE(game.WaitForWindow()) << game.Problem();
    ASSERT_TRUE(game.MoveMouse(1000, 20));
    Image first;
    ASSERT_TRUE(game.WaitForStillPicture(first));
    ASSERT_TRUE(game.Console("setPlayerName ann"));
    ASSERT_TRUE(game.Console("showStory harbour_square_intro"));
    ASSERT_TRUE(game.WaitForLog("page A: Welcome to Dunhaven, Ann.", 20.0)) << game.Log();
    Image pageA;
    ASSERT_TRUE(game.WaitForStillPicture(pageA, 20.0));
    Keep(pageA, run + "-page-a");
    EXPECT_GT(DifferingShare(first, pageA), 0.3) << "the story covers the first screen";

    ASSERT_TRUE(game.Click(firstAnswerX, kAnswerY));
    ASSERT_TRUE(game.WaitForLog(reply, 20.0)) << game.Log();
    ASSERT_TRUE(game.WaitForChangedStillPicture(pageA, replyPicture, 20.0));
    Keep(replyPicture, run + "-reply");

    ASSERT_TRUE(game.Click(kReplyAnswerX, kAnswerY));
    ASSERT_TRUE(game.WaitForLog("page D: Follow her notes, Ann,", 20.0)) << game.Log();
    Image pageD;
    ASSERT_TRUE(game.WaitForChangedStillPicture(replyPicture, pageD, 20.0));
    Keep(pageD, run + "-page-d");
    ASSERT_TRUE(game.Click(kLastAnswerX, kAnswerY));
    // The answer leads to the end: the words fade, the speaker goes, and the
    // first screen is back.
    Image after;
    for (int attempt = 0; attempt < 20; ++attempt) {
        ASSERT_TRUE(game.WaitForStillPicture(after, 20.0));
        if (DifferingShare(first, after) < 0.05) {
            break;
        }
    }
    Keep(after, run + "-after");
    EXPECT_LT(DifferingShare(first, after), 0.05) << "back on the screen that opened the story";
    EXPECT_EQ(game.Close(), 0) << game.Log();
}

} // namespace

TEST(StoryEndToEnd, TheIntroStoryReadsThroughBothAnswersWithThePlayersName) {
    Image helped, asked;
    ReadIntroStory(kFirstAnswerX, "page B: Bless you, Ann!", "help", helped);
    ReadIntroStory(kSecondAnswerX, "page C: Because the evening boat", "why", asked);
    EXPECT_GT(DifferingShare(helped, asked), 0.01) << "the two answers lead to different replies";
}
