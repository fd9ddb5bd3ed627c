#include "menus/TitleScreen.h"

#include "anim/SceneAnims.h"
#include "core/EngineState.h"
#include "core/Log.h"
#include "data/Profiles.h"
#include "data/SaveFiles.h"
#include "data/State.h"
#include "menus/MenuSupport.h"
#include "play/LevelScenes.h"
#include "play/LevelScreen.h"
#include "ui/Prompt.h"
#include "ui/UI.h"
#include "ui/UiSettings.h"

bool TitleScreen::titleShownBefore = false;

namespace {

constexpr int32_t kTransition = 1;
constexpr const char* kIdleControl = "title_idle";
constexpr const char* kGameCompleteSetting = "Prompt_GameComplete";
constexpr const char* kGameCompleteKey = "prompt.game_complete";

} // namespace

TitleScreen::TitleScreen() {
    Name.SetFirstString("NewTitleScreen");
    DeclareNamedString("overlayGroup", overlayGroup, 1, this);
    DeclareNamedString("playButton", playButton, 1, this);
    DeclareNamedString("optionsButton", optionsButton, 1, this);
    DeclareNamedString("quitButton", quitButton, 1, this);
    DeclareNamedString("helpButton", helpButton, 1, this);
    DeclareNamedString("welcomeText", welcomeText, 1, this);
    DeclareString("idleAnim", idleAnim, 1, this, "");
    DeclareNamedString("creditsButton", creditsButton, 1, this);
}

bool TitleScreen::Inert() {
    creditsButton.Resolve();
    return !LinksResolved(GetName(), {&overlayGroup, &playButton, &optionsButton, &quitButton, &helpButton,
                                      &welcomeText, &idleAnim});
}

bool TitleScreen::OnPush() {
    if (Inert()) {
        return true;
    }
    Widget* overlay = overlayGroup.Get();
    overlay->Visible.SetFirstBool(false);
    for (int i = 0; i < 4; ++i) {
        overlay->Color.SetFloat(i, i < 3 ? 1.0f : 0.0f);
    }
    PostMessage(kShowOverlay, titleShownBefore ? 0.0f : kFirstOverlayDelay);
    PlayTitleMusicIfSilent();
    PlayAnim(scene, idleAnim.Get(), kIdleControl, true);
    UpdateWelcomeText();
    titleShownBefore = true;
    return true;
}

void TitleScreen::UpdateWelcomeText() {
    TextBox* box = welcomeText.Get();
    if (!box) {
        return;
    }
    const State* player = RegisteredCurrentPlayer();
    String text;
    if (!player || !FormatSettingText("String_PlayerWelcome", "str.player_welcome",
                                      player->PlayerName.FirstString().CStr(), text)) {
        box->Visible.SetFirstBool(false);
        return;
    }
    box->UseLookup.SetFirstBool(false); // the finished sentence, not a key
    box->SetText(text.CStr());
    box->Visible.SetFirstBool(true);
}

void TitleScreen::OpenMenu(const char* className) {
    if (!GetUI().PushScreenByName(className, kTransition)) {
        LogFormat("TitleScreen: the %s could not be opened", className);
    }
}

bool TitleScreen::Message(int32_t message, Object* sender) {
    const bool click = message == kButtonClicked && sender;
    if (click && !Inert()) {
        if (sender == playButton.Get()) {
            if (RegisteredCurrentPlayer()) {
                Play();
            } else {
                GetUI().SetScreen("IntroScreen", kTransition);
            }
            return true;
        }
        if (sender == quitButton.Get()) {
            running = false; // the frame loop ends after this frame, as after a close request
            return true;
        }
        if (sender == optionsButton.Get()) {
            OpenMenu("OptionsMenu");
            return true;
        }
        if (sender == helpButton.Get()) {
            OpenMenu("HelpMenu");
            return true;
        }
        if (sender == creditsButton.Get()) {
            OpenMenu("CreditsScreen");
            return true;
        }
    }
    switch (message) {
    case message::kTextClicked:
        OpenMenu("ProfilesMenu");
        return true;
    case kShowOverlay:
        if (!Inert()) {
            FadeIn(this, overlayGroup.Get(), 1.0f);
        }
        GetUI().UnlockInput();
        GetUI().ShowCursor(true);
        return true;
    case kPlay:
        Play();
        return true;
    case kStartOver:
        StartOver();
        return true;
    case kGoToIntro:
        GetUI().SetScreen("IntroScreen", kTransition);
        return true;
    default:
        return Screen::Message(message, sender);
    }
}

void TitleScreen::Play() {
    State* player = RegisteredCurrentPlayer();
    if (player && player->IsGameFinished()) {
        LogLine("TitleScreen: the game is finished; starting over is offered");
        const String question = GlobalText(kGameCompleteSetting, kGameCompleteKey);
        ShowPrompt(question.CStr(), GlobalText("String_Yes", "str.yes").CStr(),
                   GlobalText("String_No", "str.no").CStr(), false);
        return;
    }
    UI& ui = GetUI();
    LevelScenes& levels = GetLevelScenes();
    Screen* level = levels.FindLevel(levels.RootLevel().CStr());
    if (!level) {
        level = ui.TopmostGameScreen(); // the level loaded below the title
    }
    if (!level) {
        // Nothing loaded to go back to (after leaving a level for the title):
        // the player's level loads and begins, or, without one, the first screen.
        if (!levels.StartCurrentLevel()) {
            ui.SetScreen("IntroScreen", kTransition);
        }
        return;
    }
    ui.LockInput();
    ui.services.StopMusic(0.5f);
    level->PostMessage(kLevelEntry, 1.0f, 1);
    ui.PopScreen(kTransition);
    ui.UnlockInput();
}

void TitleScreen::StartOver() {
    UI& ui = GetUI();
    ui.services.StopMusic(1.0f);
    ui.LockInputFor(2.0f);
    LogLine("TitleScreen: the player starts over");
    if (State* player = RegisteredCurrentPlayer()) {
        SaveStateFile();
        ResetPlayer(*player);
        player->Active.SetFirstBool(true);
        SaveStateFile();
    }
    ui.services.StartTransition(8, 2.0f, kGoToIntro);
}

bool TitleScreen::OnReturn(Screen* popped) {
    UpdateWelcomeText();
    GetUI().ShowCursor(true);
    const String question = GlobalText(kGameCompleteSetting, kGameCompleteKey);
    if (popped && PromptAnswer(question.CStr(), popped)) {
        PostMessage(kStartOver, 1.0f);
    }
    return true;
}

bool TitleScreen::OnMovieFinished() {
    GetLevelScenes().StartCurrentLevel();
    GetUI().services.StartTransition(9, 1.0f, -1);
    RestartFrameClock();
    return true;
}
