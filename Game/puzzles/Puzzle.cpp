#include "puzzles/Puzzle.h"

#include "audio/Sound.h"
#include "core/FrameTime.h"
#include "core/Log.h"
#include "core/MessageCodes.h"
#include "render/Bitmap.h"
#include "ui/Button.h"
#include "ui/UI.h"

namespace {

// The alpha of a colour property: its fourth item.
constexpr int32_t kAlphaIndex = 3;
constexpr float kHelpOpenDelay = 0.1f;
constexpr float kHelpFade = 0.25f;
constexpr uint8_t kHelpClosedFlag = 1;

void Show(Widget* widget, bool visible) {
    if (widget) {
        widget->Visible.SetFirstBool(visible);
    }
}

} // namespace

Puzzle::Puzzle() {
    Name.SetFirstString("NewPuzzle");
    DeclareString("helpButton", helpButton, 1, this, "");
    DeclareString("skipButton", skipButton, 1, this, "");
    DeclareString("skipFrame", skipFrame, 1, this, "");
    DeclareString("skipFill", skipFill, 1, this, "");
    DeclareString("helpOk", helpOk, 1, this, "");
    DeclareString("helpScreen", helpScreen, 1, this, "");
    DeclareFloat("skipTime", skipTime, 1, this, 60.0f);
}

Puzzle::~Puzzle() = default;

bool Puzzle::HasUnresolvedPuzzleLinks() const {
    return helpButton.HasUnresolved() || skipButton.HasUnresolved() || skipFrame.HasUnresolved() ||
           skipFill.HasUnresolved() || helpOk.HasUnresolved() || helpScreen.HasUnresolved();
}

bool Puzzle::IsHelpShown() const {
    const Widget* help = helpScreen.Get(0);
    return help && help->Visible.FirstBool();
}

void Puzzle::StepSkipCountdown() {
    const float limit = skipTime.FirstFloat();
    if (limit > skipTimer) {
        skipTimer += frameTime;
    }
    Bitmap* fill = skipFill.Get(0);
    if (skipTimer >= limit) {
        if (!skipOffered) {
            skipOffered = true;
            LogFormat("Puzzle %s: the skip button is offered", GetName());
        }
        Show(skipButton.Get(0), true);
        Show(skipFrame.Get(0), false);
        Show(fill, false);
        return;
    }
    Show(skipButton.Get(0), false);
    Show(skipFrame.Get(0), true);
    Show(fill, true);
    if (fill) {
        fill->AlphaMask.SetFirstFloat(1.0f - skipTimer / limit);
    }
}

void Puzzle::Update() {
    if (HasUnresolvedPuzzleLinks()) {
        return;
    }
    if (!IsHelpShown()) {
        StepSkipCountdown();
    }
    Screen::Update();
}

bool Puzzle::Message(int32_t message, Object* sender) {
    if (message == message::kButtonClicked && sender) {
        if (sender == skipButton.Get(0)) {
            OnSkip();
            GetUI().LockInputFor(kSkipDelay);
            PostMessage(kFinishUnsolved, kSkipDelay);
            return true;
        }
        if (sender == helpButton.Get(0)) {
            PostMessage(kOpenHelp, kHelpOpenDelay);
            return true;
        }
        if (sender == helpOk.Get(0)) {
            FadeOut(helpScreen.Get(0), this, kHelpFade, kHelpClosedFlag);
            return true;
        }
    }
    switch (message) {
    case kOpenHelp:
        FadeIn(this, helpScreen.Get(0), kHelpFade);
        return true;
    case kFinishSolved:
        FinishPuzzle(true);
        return true;
    case kFinishUnsolved:
        FinishPuzzle(false);
        return true;
    default:
        return Screen::Message(message, sender);
    }
}

bool Puzzle::StartPuzzle(const char* /*layout*/) {
    if (Widget* help = helpScreen.Get(0)) {
        help->Color.SetFloat(kAlphaIndex, 0.0f);
    }
    return true;
}

void Puzzle::FinishPuzzle(bool isSolved) {
    UI& ui = GetUI();
    if (finished || ui.TopScreen() != this) {
        return;
    }
    finished = true;
    ui.UnlockInput();
    solved = isSolved;
    LogFormat("Puzzle %s: %s", GetName(), solved ? "solved" : "skipped");
    ui.PopScreen(1);
    if (Screen* top = ui.TopScreen()) {
        top->OnPuzzleFinished(this);
    }
}

void Puzzle::PlayOnce(Sound* sound) {
    if (sound && sound->Implementation()) {
        sound->Implementation()->Play(false, 1.0f, 1.0f);
    }
}
