// End to end: a returning player's start. The game remembers a profile from
// an earlier run, starts at the title, greets the player by name, shows the
// credits page by page (a click turns the page), goes back to the title and
// ends from its quit button.
#include "harness/GameSession.h"
#include "harness/Pictures.h"

#include "render/Image.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <chrono>
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

TEST(TitleEndToEnd, OptionsCancelRollsTheMusicVolumeBackAndOkSavesIt) {
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

    GameSession game;
    ASSERT_TRUE(game.Display().Ready()) << game.Problem();
    ASSERT_TRUE(game.WaitForWindow()) << game.Problem();
    ASSERT_TRUE(game.MoveMouse(kRestX, kRestY));
    Image title, opened, changed, closed, reopened;
    ASSERT_TRUE(game.WaitForStillPicture(title, 20.0)) << "the title never settled";
    // As above: the level behind the title loads, then the menu fades in.
    std::this_thread::sleep_for(std::chrono::seconds(6));
    ASSERT_TRUE(game.WaitForStillPicture(title, 20.0)) << "the title's menu never settled";

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
    ASSERT_EQ(game.Close(), 0) << game.Log();

    const std::string saved = testing_support::ReadFile(optionsFile);
    EXPECT_NE(saved.find("MusicVolume = 0.5"), std::string::npos) << saved;
}
