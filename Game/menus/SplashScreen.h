#pragma once
// SplashScreen: the partner's picture at start-up, shown while its
// animation plays; at its end the start-up loading it took over runs and
// the game continues (the returning player's game, else the first screen).
// A returning player may cut it short with a click or a key; a new player
// sees it to the end.
//
// Properties (links into its own scene): splashAnim (animation).

#include "anim/Anim.h"
#include "core/Link.h"
#include "ui/Screen.h"

class SplashScreen : public Screen {
    ENGINE_CLASS(SplashScreen, Screen)

public:
    static constexpr int32_t kEndSplash = message::kFirstScreenPrivate;

    SplashScreen();

    bool OnPush() override;
    bool Message(int32_t message, Object* sender) override;
    bool MouseButton(int32_t button, bool pressed) override;
    bool Key(int32_t key, bool pressed, bool repeat) override;

    Link<Anim> splashAnim;

private:
    bool ended = false;
};
