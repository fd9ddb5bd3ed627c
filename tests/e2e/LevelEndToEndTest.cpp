// End to end: the demo's first level on the level screen, opened from the
// console, with its HUD; the player's pointer makes an object glow and pulls
// the inventory drawer down, which goes back up a second after it leaves.
#include "harness/GameSession.h"
#include "harness/Pictures.h"

#include "render/Image.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

// Pixels of the box whose colour differs by more than 30 in some channel.
long ChangedIn(const Image& a, const Image& b, int left, int top, int right, int bottom) {
    return testing_support::CountDifferingPixelsIn(a, b, {left, top, right, bottom}, 30);
}

// Dark pixels (ink) in the box: the goal list's words on the parchment.
long InkIn(const Image& picture, uint32_t left, uint32_t top, uint32_t right, uint32_t bottom) {
    long ink = 0;
    for (uint32_t y = top; y < bottom; ++y) {
        for (uint32_t x = left; x < right; ++x) {
            const uint8_t* p = picture.PixelAt(x, y);
            ink += p[0] < 60 && p[1] < 60 && p[2] < 60;
        }
    }
    return ink;
}

// Where things are in the window (pixels from its top-left corner).
constexpr int kSkyX = 420, kSkyY = 150;      // nothing there to hover
constexpr int kCatX = 771, kCatY = 555;      // the harbour cat on the quay
constexpr int kDrawerX = 300, kDrawerY = 20; // the inventory drawer's edge

TEST(LevelEndToEnd, HarbourSquareShowsItsObjectsAndHudAndTheDrawerFollowsThePointer) {
    GameSession game;
    ASSERT_TRUE(game.Display().Ready()) << game.Problem();
    ASSERT_TRUE(game.WaitForWindow()) << game.Problem();
    ASSERT_TRUE(game.MoveMouse(kSkyX, kSkyY));
    Image title;
    ASSERT_TRUE(game.WaitForStillPicture(title)) << "the first screen never settled";

    // A named player, so that the level asks for no name.
    ASSERT_TRUE(game.Console("setPlayerName Tess"));
    ASSERT_TRUE(game.Console("loadLevel harbour_square"));
    // The first entry tells the level's intro story; closing it returns to the level.
    Image story;
    ASSERT_TRUE(game.WaitForChangedStillPicture(title, story, 30.0)) << game.Log();
    ASSERT_TRUE(game.Console("popUI"));
    Image back;
    ASSERT_TRUE(game.WaitForChangedStillPicture(story, back, 30.0)) << game.Log();
    // The console's status line of the story's log line fades after five seconds.
    std::this_thread::sleep_for(std::chrono::seconds(6));
    Image level;
    ASSERT_TRUE(game.WaitForStillPicture(level)) << game.Log();
    SavePicture(level, std::string(TEST_BINARY_DIR) + "/level-harbour-square.png");

    // The HUD came up: the goal list's names are written on its parchment.
    EXPECT_GT(InkIn(level, 200, 650, 830, 750), 400) << "the goal list shows its names\n" << game.Log();

    // Over the cat, the cat glows.
    ASSERT_TRUE(game.MoveMouse(kCatX, kCatY));
    Image glowing;
    ASSERT_TRUE(game.WaitForChangedStillPicture(level, glowing)) << game.Log();
    EXPECT_GT(ChangedIn(level, glowing, kCatX - 70, kCatY - 70, kCatX + 70, kCatY + 70), 300);
    // (The pointer itself moved away from the top-left corner.)
    EXPECT_LT(ChangedIn(level, glowing, 60, 0, 1024, kSkyY - 40), 50) << "nothing else lights up";

    // At the top edge, the drawer comes down with its eight slots.
    ASSERT_TRUE(game.MoveMouse(kDrawerX, kDrawerY));
    Image open;
    ASSERT_TRUE(game.WaitForChangedStillPicture(glowing, open)) << game.Log();
    EXPECT_GT(ChangedIn(level, open, 130, 40, 890, 120), 20000) << "the drawer covers the top";
    EXPECT_TRUE(LooksLikeExpected(open, "harbour_square_level"));

    // Back in the sky: a second later the drawer is up again and nothing glows.
    ASSERT_TRUE(game.MoveMouse(kSkyX, kSkyY));
    // The first still picture may come while the drawer waits out its second.
    Image moved, settled;
    ASSERT_TRUE(game.WaitForChangedStillPicture(open, moved)) << game.Log();
    const Image* closedPicture = &moved;
    if (ChangedIn(level, moved, 130, 40, 890, 120) > 20000) {
        ASSERT_TRUE(game.WaitForChangedStillPicture(moved, settled)) << game.Log();
        closedPicture = &settled;
    }
    const Image& closed = *closedPicture;
    EXPECT_LT(DifferingShare(level, closed), 0.002) << "the level looks as it did before the pointer moved";
}

} // namespace
