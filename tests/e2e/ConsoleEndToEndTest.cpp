// End to end: the developer console of the real game, opened with the key
// left of 1, typed into and run with Enter, judged on the window's pixels.
#include "harness/GameSession.h"
#include "harness/Pictures.h"

#include "render/Image.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Pixels brighter than this in every channel count as console text.
constexpr int kTextBrightness = 200;

long BrightPixels(const Image& picture, uint32_t top, uint32_t bottom, uint32_t right) {
    long count = 0;
    for (uint32_t y = top; y < bottom && y < picture.Height(); ++y) {
        for (uint32_t x = 0; x < right && x < picture.Width(); ++x) {
            const uint8_t* p = picture.PixelAt(x, y);
            count += p[0] > kTextBrightness && p[1] > kTextBrightness && p[2] > kTextBrightness;
        }
    }
    return count;
}

// Pixels bright in `after` that were not bright in `before`: text that appeared.
long NewlyBrightPixels(const Image& before, const Image& after, uint32_t top, uint32_t bottom, uint32_t right) {
    const auto bright = [](const uint8_t* p) {
        return p[0] > kTextBrightness && p[1] > kTextBrightness && p[2] > kTextBrightness;
    };
    long count = 0;
    for (uint32_t y = top; y < bottom && y < after.Height() && y < before.Height(); ++y) {
        for (uint32_t x = 0; x < right && x < after.Width() && x < before.Width(); ++x) {
            count += bright(after.PixelAt(x, y)) && !bright(before.PixelAt(x, y));
        }
    }
    return count;
}

TEST(ConsoleEndToEnd, TheToggleKeyOpensTheConsoleAndEnterRunsTheTypedCommand) {
    GameSession game;
    ASSERT_TRUE(game.Display().Ready()) << game.Problem();
    ASSERT_TRUE(game.WaitForWindow()) << game.Problem();
    ASSERT_TRUE(game.MoveMouse(960, 700));
    Image closed;
    ASSERT_TRUE(game.WaitForStillPicture(closed)) << "the first screen never settled";
    const uint32_t middle = closed.Height() / 2;
    // The prompt line sits just above the white line at the middle; the
    // newest history lines above it.
    const uint32_t promptTop = middle - 16;
    const uint32_t historyTop = middle - 60;

    ASSERT_TRUE(game.Key("grave"));
    Image open;
    ASSERT_TRUE(game.WaitForStillPicture(open));
    EXPECT_LT(MeanBrightness(open, middle / 2, promptTop),
              MeanBrightness(closed, middle / 2, promptTop) * 0.5 + 1.0)
        << "the top half is darkened";
    EXPECT_GT(BrightPixels(open, middle, middle + 1, open.Width()), long(open.Width()) * 9 / 10)
        << "a white line under the console";
    const long emptyPrompt = BrightPixels(open, promptTop, middle, 300);
    EXPECT_GT(emptyPrompt, 10) << "the prompt \"> _\" is drawn";

    ASSERT_TRUE(game.Type("print hello there"));
    Image typed;
    ASSERT_TRUE(game.WaitForStillPicture(typed));
    EXPECT_GT(BrightPixels(typed, promptTop, middle, 300), emptyPrompt + 100)
        << "the typed text follows the prompt";
    SavePicture(typed, std::string(TEST_BINARY_DIR) + "/console-typed.png");

    ASSERT_TRUE(game.Key("Return"));
    Image ran;
    ASSERT_TRUE(game.WaitForStillPicture(ran));
    SavePicture(ran, std::string(TEST_BINARY_DIR) + "/console-ran.png");
    EXPECT_NEAR(BrightPixels(ran, promptTop, middle, 300), emptyPrompt, 5) << "the line is empty again";
    EXPECT_GT(DifferingShare(typed, ran), 0.0) << game.Log();
    // The history may hold the first screen's own log lines already.
    EXPECT_GT(NewlyBrightPixels(typed, ran, historyTop, promptTop, 400), 200)
        << "the printed text and the report appear above the prompt";

    // A command that the game obeys visibly: quit ends it.
    ASSERT_TRUE(game.Type("quit"));
    ASSERT_TRUE(game.Key("Return"));
    EXPECT_EQ(game.WaitForExit(20.0), 0) << game.Log();
}

} // namespace
