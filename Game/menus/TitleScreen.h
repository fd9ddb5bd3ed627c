#pragma once
// TitleScreen: the game's title, shown above the returning player's level
// or map, with play, options, help, credits and quit and the player's
// welcome.
//
// When pushed, the overlay (the buttons and the welcome) is hidden and
// fades in after 2 s the first time the title shows in a run, at once
// afterwards; the title music starts unless music plays; the idle
// animation loops. A click on the welcome line (403) opens the profiles
// list. Play with a current player pops the title and lets the level below
// (the root level) begin; with no level loaded it loads and begins the
// player's level, else opens the first screen (IntroScreen), as play does
// without a player. A finished game asks through
// the game-complete prompt whether to start over.
//
// Properties (links into the title's own scene, in this order):
// overlayGroup (widget), playButton, optionsButton, quitButton, helpButton
// (buttons), welcomeText (text box), idleAnim (animation), creditsButton
// (button; optional: a title without it works as well).

#include "anim/Anim.h"
#include "core/Link.h"
#include "ui/Button.h"
#include "ui/Screen.h"
#include "ui/TextBox.h"

class TitleScreen : public Screen {
    ENGINE_CLASS(TitleScreen, Screen)

public:
    /// Private messages.
    static constexpr int32_t kShowOverlay = message::kFirstScreenPrivate;
    static constexpr int32_t kPlay = message::kFirstScreenPrivate + 1;
    static constexpr int32_t kStartOver = message::kFirstScreenPrivate + 2;
    static constexpr int32_t kGoToIntro = message::kFirstScreenPrivate + 3;
    /// The level screen's message that (re)runs level entry.
    static constexpr int32_t kLevelEntry = message::kFirstScreenPrivate + 29;
    /// Seconds before the overlay fades in on the first showing of a run.
    static constexpr float kFirstOverlayDelay = 2.0f;

    TitleScreen();

    bool OnPush() override;
    bool Message(int32_t message, Object* sender) override;
    bool OnReturn(Screen* popped) override;
    bool OnMovieFinished() override;

    /// Shows "welcomeText" with the current player's name, or hides it
    /// without a registered player.
    void UpdateWelcomeText();

    /// The title has been shown in this run (process-wide).
    static bool titleShownBefore;

    Link<Widget> overlayGroup;
    Link<Button> playButton;
    Link<Button> optionsButton;
    Link<Button> quitButton;
    Link<Button> helpButton;
    Link<TextBox> welcomeText;
    Link<Anim> idleAnim;
    Link<Button> creditsButton;

private:
    bool Inert();
    void Play();
    void StartOver();
    void OpenMenu(const char* className);
};
