#pragma once
// Prompt: the modal question screen, and HelpPrompt, the help page on it.
//
// A prompt is the Screen of its own scene file ("Prompt", "HelpPrompt"),
// pushed over the current screen. The question is a string-table key shown
// by the "promptText" text box; two prompts ask the same question exactly
// when those keys are equal. Its buttons close it: "okButton" or
// "okSoloButton" set `answer` true, "cancelButton" false; the screen below
// reads the answer in its OnReturn with PromptAnswer (and DontAskAgainChecked
// when the check box was offered). The prompt has no keys of its own.
//
// ShowPrompt always pushes a prompt that is not on the stack: when a prompt
// is already up (a second question), it loads a fresh prompt scene for the
// new question, so one screen is never pushed twice.
//
// Properties (links into the prompt's own scene, in this order): okButton,
// okSoloButton, cancelButton (text buttons), promptText (text box),
// dontAskAgainCheckbox, frameWindow (window), windowHeightFromCheckbox
// (int[2]: the frame's middle rows without and with the check box).
// HelpPrompt adds headerText (text box). The check box is optional; a
// prompt whose scene lacks another child still shows, but its buttons are
// left as the scene file has them.

#include "core/Link.h"
#include "ui/CheckBox.h"
#include "ui/Screen.h"
#include "ui/TextBox.h"
#include "ui/TextButton.h"
#include "ui/Window.h"

class Prompt : public Screen {
    ENGINE_CLASS(Prompt, Screen)

public:
    Prompt();

    /// 201 from an OK button: `answer` true and pop; from the cancel button:
    /// false and pop. Everything else as the Screen.
    bool Message(int32_t message, Object* sender) override;
    /// Shows `identifier` (a string-table key) as the question.
    virtual void SetPromptId(const char* identifier);
    /// Shows one OK button (when either label is empty) or OK and cancel,
    /// labelled by the keys; shows the check box when asked and sizes the
    /// frame for it. Nothing when a saved link is unresolved.
    void LayoutButtons(const char* okLabel, const char* cancelLabel, bool withCheckBox);

    bool answer = false;

    Link<TextButton> okButton;
    Link<TextButton> okSoloButton;
    Link<TextButton> cancelButton;
    Link<TextBox> promptText;
    Link<CheckBox> dontAskAgainCheckbox;
    Link<Window> frameWindow;
    Var windowHeightFromCheckbox;
};

class HelpPrompt : public Prompt {
    ENGINE_CLASS(HelpPrompt, Prompt)

public:
    /// Globals keys and defaults of the help text and header key patterns.
    static constexpr const char* kTextSetting = "Path_HelpText";
    static constexpr const char* kTextDefault = "help.%s";
    static constexpr const char* kHeaderSetting = "Path_HelpHeader";
    static constexpr const char* kHeaderDefault = "help.%s_header";

    HelpPrompt();
    /// Takes a topic name: the text and header show help.<topic> and
    /// help.<topic>_header (patterns from the Globals settings).
    void SetPromptId(const char* topic) override;

    Link<TextBox> headerText;
};

/// Opens a prompt asking `identifier` with the labelled buttons (an empty
/// `cancelLabel` gives the one-button layout). False when no prompt scene
/// loads or the push fails.
bool ShowPrompt(const char* identifier, const char* okLabel, const char* cancelLabel, bool withCheckBox);
/// True when `screen` is a Prompt asking `identifier` that was closed by OK.
bool PromptAnswer(const char* identifier, const Screen* screen);
/// True when the prompt's check box is visible and checked.
bool DontAskAgainChecked(const Prompt* prompt);
/// The prompt's question key; empty when it has no text box.
String PromptId(const Prompt* prompt);
