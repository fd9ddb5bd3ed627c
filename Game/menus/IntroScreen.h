#pragma once
// IntroScreen: how a new game opens. A player without a profile names one
// first (the profile prompt over the intro's backdrop); then the music
// stops, the cursor hides and the intro movie plays (the setting
// "Movie_Intro", "intro" by default, through PlayMovie). When the movie
// screen closes, at its end or on Escape, the player's current level starts.
//
// The screen is loaded from gui/IntroScreen.scene like every screen; it has
// no properties of its own. Without a movie to play (its scene is missing
// or cannot be pushed) the level starts at once, and without a level to
// start the title shows, so a new game never ends on a still backdrop.

#include "ui/Screen.h"

class IntroScreen : public Screen {
    ENGINE_CLASS(IntroScreen, Screen)

public:
    /// Private codes, posted to itself: play the movie, start the level,
    /// ask the name.
    static constexpr int32_t kPlayMovieMessage = 3000;
    static constexpr int32_t kStartLevelMessage = 3001;
    static constexpr int32_t kAskNameMessage = 3002;

    IntroScreen();

    bool OnPush() override;
    bool Message(int32_t message, Object* sender) override;
    /// An accepted profile prompt creates and selects that profile, then
    /// the movie plays; any other screen closing (the movie) starts the level.
    bool OnReturn(Screen* popped) override;

private:
    void AskName();
    void PlayIntroMovie();
    void StartLevel();
};
