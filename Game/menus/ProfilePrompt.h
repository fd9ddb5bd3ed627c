#pragma once
// ProfilePrompt: asks a new player to type a profile name.
//
// When pushed, the name box ("nameText") is emptied and takes the keyboard
// focus. The OK button (201 from "okButton") or Enter in the box (401)
// checks the name: it is cleaned (no control characters, blanks trimmed); an
// empty name or one another profile already has is refused and the name
// prompt stays open: the refusal (Globals "Prompt_ShortPlayerName" or
// "Prompt_PlayerExists") shows in the prompt's own "messageText" box, or,
// without one, in an OK-only prompt over this one. An accepted name
// sets `accepted` and closes the prompt; the screen below reads it with
// EnteredName in its OnReturn and creates the profile. The box's
// "editWidthLimit" bounds the name to what the box shows.
//
// Properties (links into the prompt's own scene): okButton, nameText,
// messageText (optional).

#include "core/Link.h"
#include "ui/Button.h"
#include "ui/Screen.h"
#include "ui/TextBox.h"

class ProfilePrompt : public Screen {
    ENGINE_CLASS(ProfilePrompt, Screen)

public:
    ProfilePrompt();

    bool OnPush() override;
    bool Message(int32_t message, Object* sender) override;

    /// The cleaned name as typed; empty without a name box.
    String EnteredName() const;

    bool accepted = false;

    Link<Button> okButton;
    Link<TextBox> nameText;
    Link<TextBox> messageText;

private:
    void Accept();
    void Refuse(const char* setting, const char* fallback);
};
