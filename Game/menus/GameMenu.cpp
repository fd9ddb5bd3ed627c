#include "menus/GameMenu.h"

#include "core/Log.h"
#include "menus/ContinueGame.h"
#include "ui/UI.h"

namespace {
constexpr int32_t kTransition = 1;
} // namespace

GameMenu::GameMenu() {
    Name.SetFirstString("NewGameMenu");
    DeclareNamedString("resumeGameButton", resumeGameButton, 1, this);
    DeclareNamedString("quitGameButton", quitGameButton, 1, this);
    DeclareNamedString("helpButton", helpButton, 1, this);
    DeclareNamedString("optionsButton", optionsButton, 1, this);
}

bool GameMenu::Message(int32_t message, Object* sender) {
    if (message != kButtonClicked || !sender) {
        return Screen::Message(message, sender);
    }
    UI& ui = GetUI();
    if (sender == resumeGameButton.Get()) {
        ui.PopScreen(kTransition);
        return true;
    }
    if (sender == quitGameButton.Get()) {
        ui.PopScreen(kTransition);
        // The level saves and leaves for the title; without one below, the title shows at once.
        if (Screen* level = ui.TopmostGameScreen()) {
            level->PostMessage(kSaveAndQuit, 0.0f);
        } else if (!ContinueGame()) {
            LogLine("GameMenu: no level to leave and no title to show");
        }
        return true;
    }
    const char* menu = sender == optionsButton.Get() ? "OptionsMenu"
                       : sender == helpButton.Get()  ? "HelpMenu"
                                                     : nullptr;
    if (!menu) {
        return Screen::Message(message, sender);
    }
    if (!ui.PushScreenByName(menu, kTransition)) {
        LogFormat("GameMenu: the %s could not be opened", menu);
    }
    return true;
}
