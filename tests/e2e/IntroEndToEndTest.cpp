// End to end: the intro movie in the real game, heard and skipped. A new
// player's first intro is recorded through the sound library's wave back-end
// and plays to its end into the first level; a second profile made from the
// title's players list sees the intro again and skips it with Escape.
#include "harness/GameSession.h"
#include "harness/Pictures.h"

#include "render/Image.h"
#include "support/AudioCapture.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>

namespace {

// The title's welcome line, the players list's create button, a spot away
// from every control.
constexpr int kWelcomeX = 512, kWelcomeY = 450;
constexpr int kCreateX = 368, kCreateY = 566;
constexpr int kRestX = 960, kRestY = 700;
// The demo's intro lasts fourteen seconds.
constexpr double kIntroSeconds = 14.0;

void Keep(const Image& picture, const char* name) {
    SavePicture(picture, std::string(TEST_BINARY_DIR) + "/e2e-output/intro-" + name + ".png");
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The root mean square of the left channel between two times in seconds.
double Loudness(const testing_support::Capture& heard, double from, double to) {
    const size_t begin = size_t(std::max(0.0, from) * heard.rate);
    const size_t end = std::min(heard.left.size(), size_t(std::max(0.0, to) * heard.rate));
    double sum = 0.0;
    for (size_t i = begin; i < end; ++i) {
        sum += double(heard.left[i]) * heard.left[i];
    }
    return end > begin ? std::sqrt(sum / double(end - begin)) : 0.0;
}

testing_support::Span Seconds(const testing_support::Capture& heard, double from, double to) {
    return {size_t(std::max(0.0, from) * heard.rate), std::min(heard.left.size(), size_t(to * heard.rate))};
}

bool WaitForTitle(GameSession& game, Image& title) {
    if (!game.WaitForStillPicture(title, 20.0)) {
        return false;
    }
    // The level behind the title loads, then its menu fades in.
    std::this_thread::sleep_for(std::chrono::seconds(6));
    return game.WaitForStillPicture(title, 20.0);
}

} // namespace

TEST(IntroEndToEnd, ANewPlayerHearsTheIntroToItsEndAndASecondRunSkipsItIntoTheFirstLevel) {
    const std::string heardFile = testing_support::TestTempDir() + "/intro.wav";
    double movieStart = 0.0, movieEnd = 0.0;
    {
        GameSession game("", GameSession::HeardInto(heardFile));
        ASSERT_TRUE(game.Display().Ready()) << game.Problem();
        ASSERT_TRUE(game.WaitForWindow()) << game.Problem();
        ASSERT_TRUE(game.MoveMouse(kRestX, kRestY));
        ASSERT_TRUE(game.WaitForLog("IntroScreen: a new player is asked for a name", 20.0)) << game.Log();
        Image asked;
        ASSERT_TRUE(game.WaitForStillPicture(asked, 20.0)) << game.Log();
        ASSERT_TRUE(game.Type("Ada"));
        ASSERT_TRUE(game.Key("Return"));
        ASSERT_TRUE(game.WaitForLog("PlayMovie: intro plays", 20.0)) << game.Log();
        movieStart = GameSession::SecondsHeard(heardFile);
        const auto started = std::chrono::steady_clock::now();
        // Left alone, the movie plays to its end and the first level begins.
        ASSERT_TRUE(game.WaitForLog("IntroScreen: the player's level starts", kIntroSeconds + 20.0)) << game.Log();
        movieEnd = GameSession::SecondsHeard(heardFile);
        EXPECT_GT(SecondsSince(started), kIntroSeconds - 1.0) << "the movie was not cut short";
        EXPECT_TRUE(game.WaitForLog("Level harbour_square: on screen", 30.0)) << game.Log();
        ASSERT_EQ(game.Close(), 0) << game.Log();
    }
    // What was heard while the movie played: its waves and its low chord
    // (110, 165 and 220 Hz while the lamp burns, in the first eight seconds);
    // the title's music is stopped for the intro, so nothing else plays.
    testing_support::Capture heard;
    ASSERT_TRUE(testing_support::ReadCapture(heardFile, heard)) << heardFile;
    ASSERT_GT(movieEnd - movieStart, kIntroSeconds - 1.0) << "the recording kept pace with the movie";
    const double during = Loudness(heard, movieStart + 1.5, movieEnd - 1.5);
    const double before = Loudness(heard, movieStart - 1.5, movieStart - 0.2);
    EXPECT_GT(during, 0.02) << "the movie's sound is heard";
    EXPECT_GT(during, 4.0 * before) << "the movie's sound (" << during << ") stands out of the quiet before it ("
                                    << before << ")";
    const testing_support::Span lampLit = Seconds(heard, movieStart + 2.0, movieStart + 7.0);
    const double chord = testing_support::ToneAmplitude(heard.left, lampLit, heard.rate, 110.0);
    const double offChord = testing_support::ToneAmplitude(heard.left, lampLit, heard.rate, 123.5);
    std::printf("intro heard from %.2f s to %.2f s: level %.4f (before it %.4f), 110 Hz %.5f, 123.5 Hz %.5f\n",
                movieStart, movieEnd, during, before, chord, offChord);
    EXPECT_GT(chord, 4.0 * offChord) << "the movie's own chord is in the mix (" << chord << " against "
                                     << offChord << ")";

    // A second run: the returning player's title, a second profile from the
    // players list, and the intro again, skipped this time.
    GameSession game;
    ASSERT_TRUE(game.Display().Ready()) << game.Problem();
    ASSERT_TRUE(game.WaitForWindow()) << game.Problem();
    ASSERT_TRUE(game.MoveMouse(kRestX, kRestY));
    Image title, list, asked;
    ASSERT_TRUE(WaitForTitle(game, title)) << game.Log();
    ASSERT_TRUE(game.Click(kWelcomeX, kWelcomeY));
    ASSERT_TRUE(game.MoveMouse(kRestX, kRestY));
    ASSERT_TRUE(game.WaitForChangedStillPicture(title, list)) << "the players list did not open";
    ASSERT_TRUE(game.Click(kCreateX, kCreateY));
    ASSERT_TRUE(game.MoveMouse(kRestX, kRestY));
    ASSERT_TRUE(game.WaitForChangedStillPicture(list, asked)) << "the name prompt did not open";
    ASSERT_TRUE(game.Type("Bo"));
    ASSERT_TRUE(game.Key("Return"));
    ASSERT_TRUE(game.WaitForLog("PlayMovie: intro plays", 20.0)) << game.Log();
    std::this_thread::sleep_for(std::chrono::duration<double>(1.5 * GameSession::TimeScale()));
    Image playing;
    ASSERT_TRUE(game.Capture(playing));
    Keep(playing, "second-run-movie");
    EXPECT_LT(MeanBrightness(playing, 0, 90), 10.0) << "the movie shows in its letterbox";

    const auto skipped = std::chrono::steady_clock::now();
    ASSERT_TRUE(game.Key("Escape"));
    ASSERT_TRUE(game.WaitForLog("IntroScreen: the player's level starts", 20.0)) << game.Log();
    EXPECT_LT(SecondsSince(skipped), kIntroSeconds / 2.0 * GameSession::TimeScale())
        << "Escape ended the movie well before its end";
    ASSERT_TRUE(game.WaitForLog("Level harbour_square: on screen", 30.0)) << game.Log();
    // The first level with its opening story.
    Image arrived;
    ASSERT_TRUE(game.WaitForChangedStillPicture(playing, arrived, 30.0)) << game.Log();
    Keep(arrived, "second-run-level");
    EXPECT_GT(DifferingShare(playing, arrived), 0.5) << "the movie is gone";
    EXPECT_GT(MeanBrightness(arrived, 0, 90), 30.0) << "the level fills the screen, no letterbox";
    EXPECT_EQ(game.Close(), 0) << game.Log();
}
