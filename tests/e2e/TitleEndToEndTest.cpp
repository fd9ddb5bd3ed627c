// End to end: a returning player's start. The game remembers a profile from
// an earlier run, starts at the title, greets the player by name, shows the
// credits page by page (a click turns the page), goes back to the title and
// ends from its quit button. The options menu changes the music's volume at
// once, cancel rolls a change back, and OK keeps it across a restart: the
// game's mix is written by the sound library's wave back-end and measured.
#include "harness/GameSession.h"
#include "harness/Pictures.h"

#include "render/Image.h"
#include "support/AudioCapture.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>
#include <thread>

namespace {

// Centres of the title's buttons and of a bare spot of the credits' picture.
constexpr int kCreditsX = 382, kCreditsY = 666;
constexpr int kQuitX = 642, kQuitY = 666;
constexpr int kCreditsOkX = 512, kCreditsOkY = 606;
constexpr int kBareX = 90, kBareY = 640;
// Where the pointer rests between clicks, away from every control.
constexpr int kRestX = 960, kRestY = 700;

// The save folder of a game that has run once, with a profile written into
// it as an earlier run would have saved it.
bool RememberPlayer(const std::string& name) {
    const std::string options = GameSession::FindSaveFile("options.widget");
    if (options.empty()) {
        return false;
    }
    const std::string folder = options.substr(0, options.rfind('/') + 1);
    return testing_support::WriteFile(folder + "state.scene", "Widget = player;\n"
                                                              "player.Type = State;\n"
                                                              "player.PlayerId = 0;\n"
                                                              "player.PlayerName = " +
                                                                  name + ";\nplayer.Active = true;\n");
}

// The title of a returning player: the level behind it loads behind the
// loading picture and the menu fades in after two seconds, so a slow machine
// can hand over a still picture of either before the title is complete.
bool WaitForTitle(GameSession& game, Image& title) {
    if (!game.WaitForStillPicture(title, 20.0)) {
        ADD_FAILURE() << "the title never settled";
        return false;
    }
    std::this_thread::sleep_for(std::chrono::seconds(6));
    if (!game.WaitForStillPicture(title, 20.0)) {
        ADD_FAILURE() << "the title's menu never settled";
        return false;
    }
    return true;
}

// The root mean square of the left channel over [begin, end); 0 when empty.
double Level(const testing_support::Capture& heard, size_t begin, size_t end) {
    end = std::min(end, heard.left.size());
    double sum = 0.0;
    for (size_t i = begin; i < end; ++i) {
        sum += double(heard.left[i]) * heard.left[i];
    }
    return end > begin ? std::sqrt(sum / double(end - begin)) : 0.0;
}

// The level of four seconds of music, from 1.5 s after the first sound on.
double MusicLevelFromItsStart(const testing_support::Capture& heard) {
    const auto bursts = testing_support::FindBursts(heard.left, heard.rate, 0.01f, 0.5);
    if (bursts.empty()) {
        return 0.0;
    }
    const size_t from = bursts.front().begin + size_t(1.5 * heard.rate);
    return Level(heard, from, from + size_t(4 * heard.rate));
}

} // namespace

TEST(TitleEndToEnd, AReturningPlayerIsGreetedOnTheTitleAndTheCreditsTurnTheirPages) {
    {
        GameSession first;
        ASSERT_TRUE(first.Display().Ready()) << first.Problem();
        ASSERT_TRUE(first.WaitForWindow()) << first.Problem();
        ASSERT_EQ(first.Close(), 0) << first.Log();
    }
    ASSERT_TRUE(RememberPlayer("Mira"));

    GameSession game;
    ASSERT_TRUE(game.Display().Ready()) << game.Problem();
    ASSERT_TRUE(game.WaitForWindow()) << game.Problem();
    ASSERT_TRUE(game.MoveMouse(kRestX, kRestY));
    Image title;
    ASSERT_TRUE(game.WaitForStillPicture(title, 20.0)) << "the title never settled";
    // The player's level loads behind the loading picture and the title's
    // menu fades in after two seconds: a slow machine can hand over a still
    // picture of either before the title is complete.
    std::this_thread::sleep_for(std::chrono::seconds(6));
    ASSERT_TRUE(game.WaitForStillPicture(title, 20.0)) << "the title's menu never settled";
    EXPECT_TRUE(LooksLikeExpected(title, "title_screen"))
        << "the title with its menu and the welcome of Mira";

    Image page1, page2, back;
    ASSERT_TRUE(game.Click(kCreditsX, kCreditsY));
    ASSERT_TRUE(game.MoveMouse(kRestX, kRestY));
    ASSERT_TRUE(game.WaitForChangedStillPicture(title, page1, 20.0)) << "the credits never showed";
    EXPECT_TRUE(LooksLikeExpected(page1, "credits_page_1"));

    ASSERT_TRUE(game.Click(kBareX, kBareY));
    ASSERT_TRUE(game.WaitForChangedStillPicture(page1, page2, 10.0)) << "a click did not turn the page";
    EXPECT_TRUE(LooksLikeExpected(page2, "credits_page_2"));

    ASSERT_TRUE(game.Click(kCreditsOkX, kCreditsOkY));
    ASSERT_TRUE(game.MoveMouse(kRestX, kRestY));
    ASSERT_TRUE(game.WaitForChangedStillPicture(page2, back, 20.0)) << "OK did not leave the credits";
    EXPECT_TRUE(LooksLikeExpected(back, "title_screen")) << "OK goes back to the title below";

    ASSERT_TRUE(game.Click(kQuitX, kQuitY));
    EXPECT_EQ(game.WaitForExit(20.0), 0) << "the quit button ends the game\n" << game.Log();
}

TEST(TitleEndToEnd, OptionsCancelRollsTheMusicVolumeBackAndOkKeepsItHeardAfterARestart) {
    // The title's options button, the music slider's frame (its value runs
    // from x 510 to x 734; x 622 is one half) and the menu's two buttons.
    constexpr int kOptionsX = 382, kOptionsY = 590;
    constexpr int kMusicHalfX = 622, kMusicY = 294;
    constexpr int kOkX = 380, kCancelX = 644, kButtonsY = 570;
    {
        GameSession first;
        ASSERT_TRUE(first.Display().Ready()) << first.Problem();
        ASSERT_TRUE(first.WaitForWindow()) << first.Problem();
        ASSERT_EQ(first.Close(), 0) << first.Log();
    }
    ASSERT_TRUE(RememberPlayer("Mira"));
    const std::string optionsFile = GameSession::FindSaveFile("options.widget");
    const std::string heardBefore = testing_support::TestTempDir() + "/before-restart.wav";
    const std::string heardAfter = testing_support::TestTempDir() + "/after-restart.wav";

    Image opened, changed;
    {
        GameSession game("", GameSession::HeardInto(heardBefore));
        ASSERT_TRUE(game.Display().Ready()) << game.Problem();
        ASSERT_TRUE(game.WaitForWindow()) << game.Problem();
        ASSERT_TRUE(game.MoveMouse(kRestX, kRestY));
        Image title, closed, reopened;
        ASSERT_TRUE(WaitForTitle(game, title));

        ASSERT_TRUE(game.Click(kOptionsX, kOptionsY));
        ASSERT_TRUE(game.MoveMouse(kRestX, kRestY));
        ASSERT_TRUE(game.WaitForChangedStillPicture(title, opened)) << "the options did not open";
        EXPECT_TRUE(LooksLikeExpected(opened, "options_menu")) << "every slider at its stored value";

        ASSERT_TRUE(game.Click(kMusicHalfX, kMusicY));
        ASSERT_TRUE(game.MoveMouse(kRestX, kRestY));
        ASSERT_TRUE(game.WaitForChangedStillPicture(opened, changed))
            << "a click on the frame did not move the nib";
        ASSERT_TRUE(game.Click(kCancelX, kButtonsY));
        ASSERT_TRUE(game.MoveMouse(kRestX, kRestY));
        ASSERT_TRUE(game.WaitForChangedStillPicture(changed, closed)) << "cancel did not close the options";

        ASSERT_TRUE(game.Click(kOptionsX, kOptionsY));
        ASSERT_TRUE(game.MoveMouse(kRestX, kRestY));
        ASSERT_TRUE(game.WaitForChangedStillPicture(closed, reopened));
        EXPECT_LT(DifferingShare(opened, reopened), 0.001) << "after cancel the music slider is back at full";

        ASSERT_TRUE(game.Click(kMusicHalfX, kMusicY));
        ASSERT_TRUE(game.MoveMouse(kRestX, kRestY));
        ASSERT_TRUE(game.WaitForChangedStillPicture(reopened, changed));
        ASSERT_TRUE(game.Click(kOkX, kButtonsY));
        ASSERT_TRUE(game.MoveMouse(kRestX, kRestY));
        ASSERT_TRUE(game.WaitForChangedStillPicture(changed, closed)) << "OK did not close the options";
        // The title's music goes on at the new volume for a while.
        std::this_thread::sleep_for(std::chrono::seconds(7));
        ASSERT_EQ(game.Close(), 0) << game.Log();
    }
    const std::string saved = testing_support::ReadFile(optionsFile);
    EXPECT_NE(saved.find("MusicVolume = 0.5"), std::string::npos) << saved;

    // A real restart on the same save folder: the menu shows the kept value
    // and the music plays at it from the start.
    {
        GameSession game("", GameSession::HeardInto(heardAfter));
        ASSERT_TRUE(game.Display().Ready()) << game.Problem();
        ASSERT_TRUE(game.WaitForWindow()) << game.Problem();
        ASSERT_TRUE(game.MoveMouse(kRestX, kRestY));
        Image title, kept;
        ASSERT_TRUE(WaitForTitle(game, title));
        ASSERT_TRUE(game.Click(kOptionsX, kOptionsY));
        ASSERT_TRUE(game.MoveMouse(kRestX, kRestY));
        ASSERT_TRUE(game.WaitForChangedStillPicture(title, kept)) << "the options did not open";
        EXPECT_LT(DifferingShare(kept, changed), DifferingShare(kept, opened))
            << "the music slider stands at one half, not at full";
        ASSERT_EQ(game.Close(), 0) << game.Log();
    }

    // What was heard: the music's level from its start (after its one-second
    // fade-in) at full volume, in the last seconds of the first run at one
    // half, and from the start of the second run at one half again.
    testing_support::Capture before, after;
    ASSERT_TRUE(testing_support::ReadCapture(heardBefore, before)) << heardBefore;
    ASSERT_TRUE(testing_support::ReadCapture(heardAfter, after)) << heardAfter;
    const double full = MusicLevelFromItsStart(before);
    const double halvedLive = Level(before, before.left.size() - size_t(6 * before.rate),
                                    before.left.size() - size_t(2 * before.rate));
    const double halvedKept = MusicLevelFromItsStart(after);
    ASSERT_GT(full, 0.02) << "the title's music is heard";
    EXPECT_NEAR(halvedLive / full, 0.5, 0.15) << "the change is heard at once";
    EXPECT_NEAR(halvedKept / full, 0.5, 0.15) << "the change is heard after a restart";
}
