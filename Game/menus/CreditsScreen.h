#pragma once
// CreditsScreen: the credits, one page at a time, looping.
//
// Page i is the string-table text of Globals "Path_CreditsLine" (default
// "credits.line_%d") filled with i + 1. A page fades in over 0.25 s, stays
// 5 s, fades out over 0.25 s, and 0.5 s after the fade began the next page
// (the first again after the last) fades in: a page every 5.5 s. A left
// press that no control takes moves on almost at once. OK returns to the
// screen below, or, with the credits alone on the stack, to the player's
// game (ContinueGame) or the first screen.
//
// Properties (links into its own scene, in this order): currentText (text
// box), okButton (button), idleAnim (animation).

#include "anim/Anim.h"
#include "core/Link.h"
#include "ui/Button.h"
#include "ui/Screen.h"
#include "ui/TextBox.h"

class CreditsScreen : public Screen {
    ENGINE_CLASS(CreditsScreen, Screen)

public:
    static constexpr int32_t kNextPage = message::kFirstScreenPrivate;
    static constexpr int32_t kShowPage = message::kFirstScreenPrivate + 1;
    static constexpr float kPageSeconds = 5.0f;
    static constexpr float kFadeSeconds = 0.25f;

    CreditsScreen();

    bool OnPush() override;
    bool Message(int32_t message, Object* sender) override;
    bool MouseButton(int32_t button, bool pressed) override;

    /// The text of page `index` (0-based); false when the string table has none.
    static bool PageText(int32_t index, String& out);

    int32_t page = 0;

    Link<TextBox> currentText;
    Link<Button> okButton;
    Link<Anim> idleAnim;

private:
    bool Inert();
};
