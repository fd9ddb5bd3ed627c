// End to end: the intro movie played from data.pack by the console command
// playMovie in the real game, seen while it plays and skipped with Escape.
#include "harness/GameSession.h"
#include "harness/Pictures.h"

#include "render/Image.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

// The mean of each colour channel over the rows [top, bottom).
void MeanColour(const Image& picture, uint32_t top, uint32_t bottom, double rgb[3]) {
    double sum[3] = {0, 0, 0};
    long count = 0;
    for (uint32_t y = top; y < bottom && y < picture.Height(); ++y) {
        for (uint32_t x = 0; x < picture.Width(); ++x) {
            const uint8_t* p = picture.PixelAt(x, y);
            sum[0] += p[2], sum[1] += p[1], sum[2] += p[0];
            ++count;
        }
    }
    for (int c = 0; c < 3; ++c) {
        rgb[c] = count ? sum[c] / double(count) : 0.0;
    }
}

TEST(MovieEndToEnd, PlayMovieShowsTheIntroWhileItPlaysAndEscapeSkipsIt) {
    GameSession game;
    ASSERT_TRUE(game.Display().Ready()) << game.Problem();
    ASSERT_TRUE(game.WaitForWindow()) << game.Problem();
    ASSERT_TRUE(game.MoveMouse(960, 700));
    Image before;
    ASSERT_TRUE(game.WaitForStillPicture(before)) << "the first screen never settled";

    ASSERT_TRUE(game.Key("grave"));
    ASSERT_TRUE(game.Type("playMovie intro"));
    ASSERT_TRUE(game.Key("Return"));
    ASSERT_TRUE(game.Key("grave"));
    ASSERT_TRUE(game.WaitForLog("PlayMovie: intro plays", 20.0)) << game.Log();
    std::this_thread::sleep_for(std::chrono::duration<double>(2.0 * GameSession::TimeScale()));
    Image playing;
    ASSERT_TRUE(game.Capture(playing));
    SavePicture(playing, std::string(TEST_BINARY_DIR) + "/movie-playing.png");
    // Black bars above and below the 1024 x 576 picture; a dusk sky, bluer
    // at the top, over the middle.
    double bar[3], sky[3];
    MeanColour(playing, 0, 90, bar);
    MeanColour(playing, 200, 300, sky);
    EXPECT_LT(bar[0] + bar[1] + bar[2], 10.0) << "the letterbox is black";
    EXPECT_GT(sky[0] + sky[1] + sky[2], 120.0) << "the movie's picture shows";
    EXPECT_GT(DifferingShare(before, playing), 0.5) << game.Log();
    Image later;
    std::this_thread::sleep_for(std::chrono::duration<double>(1.0 * GameSession::TimeScale()));
    ASSERT_TRUE(game.Capture(later));
    EXPECT_GT(DifferingShare(playing, later, 8), 0.0) << "the pictures move on";

    ASSERT_TRUE(game.Key("Escape"));
    Image after;
    ASSERT_TRUE(game.WaitForStillPicture(after)) << game.Log();
    EXPECT_LT(DifferingShare(before, after), 0.05) << "the first screen is back";
    EXPECT_EQ(game.Close(), 0) << game.Log();
}

} // namespace
