#include "menus/IntroScreen.h"

#include "core/Log.h"
#include "data/Profiles.h"
#include "data/SaveFiles.h"
#include "menus/MenuSupport.h"
#include "menus/MovieScreen.h"
#include "menus/ProfilePrompt.h"
#include "play/LevelScenes.h"
#include "ui/UI.h"
#include "ui/UiSettings.h"

namespace {

constexpr float kMusicFadeSeconds = 0.5f;
constexpr int32_t kTransition = 1;

} // namespace

IntroScreen::IntroScreen() {
    Name.SetFirstString("NewIntroScreen");
}

bool IntroScreen::OnPush() {
    GetUI().services.StopMusic(kMusicFadeSeconds);
    if (RegisteredCurrentPlayer()) {
        PlayIntroMovie();
    } else {
        // After the first update: the prompt stops this screen's updates,
        // and the backdrop shows only once an update has bound its pictures.
        PostMessage(kAskNameMessage, 0.0f);
    }
    return true;
}

void IntroScreen::AskName() {
    UI& ui = GetUI();
    if (ui.TopScreen() != this || !ui.PushScreenByName("ProfilePrompt", kTransition)) {
        LogLine("IntroScreen: the name prompt does not open; the movie plays");
        PlayIntroMovie();
        return;
    }
    LogLine("IntroScreen: a new player is asked for a name");
    ui.ShowCursor(true);
}

void IntroScreen::PlayIntroMovie() {
    GetUI().ShowCursor(false);
    if (!PlayMovie(GlobalText("Movie_Intro", "intro").CStr())) {
        LogLine("IntroScreen: the intro movie does not play; the level starts");
        PostMessage(kStartLevelMessage, 0.0f);
    }
}

void IntroScreen::StartLevel() {
    UI& ui = GetUI();
    ui.ShowCursor(true);
    // Loading the level takes every screen off the stack, this one included.
    if (GetLevelScenes().StartCurrentLevel()) {
        LogLine("IntroScreen: the player's level starts");
        return;
    }
    LogLine("IntroScreen: the player's level does not start; the title shows");
    if (!ui.SetScreen("TitleScreen", kTransition)) {
        LogLine("IntroScreen: no title screen either");
    }
}

bool IntroScreen::Message(int32_t message, Object* sender) {
    switch (message) {
    case kAskNameMessage:
        AskName();
        return true;
    case kPlayMovieMessage:
        PlayIntroMovie();
        return true;
    case kStartLevelMessage:
        StartLevel();
        return true;
    default:
        return Screen::Message(message, sender);
    }
}

bool IntroScreen::OnReturn(Screen* popped) {
    if (popped && popped->IsA("ProfilePrompt")) {
        auto* prompt = static_cast<ProfilePrompt*>(popped);
        if (prompt->accepted) {
            const String name = prompt->EnteredName();
            const int32_t id = CreatePlayer(name.CStr());
            if (id < 0 || !SelectPlayer(id) || !SaveStateFile()) {
                LogFormat("IntroScreen: the profile '%s' could not be created and saved", name.CStr());
            } else {
                LogFormat("IntroScreen: the new player '%s' is the current profile", name.CStr());
            }
        }
        // The prompt's own pop is still under way: the movie goes on top after it.
        PostMessage(kPlayMovieMessage, 0.0f);
        return true;
    }
    // The movie has closed. The level load replaces the whole stack, which
    // must not happen inside the movie screen's own pop.
    GetUI().ShowCursor(true);
    PostMessage(kStartLevelMessage, 0.0f);
    return true;
}
