#pragma once
// GameMenu: the pause menu pushed over a level by its menu button: resume,
// quit the level (to the title, saving as the level screen does), options
// and help.
//
// Properties (links into its own scene, in this order): resumeGameButton,
// quitGameButton, helpButton, optionsButton (text buttons).

#include "core/Link.h"
#include "ui/Screen.h"
#include "ui/TextButton.h"

class GameMenu : public Screen {
    ENGINE_CLASS(GameMenu, Screen)

public:
    /// The level screen's message that saves and quits to the title.
    static constexpr int32_t kSaveAndQuit = message::kFirstScreenPrivate + 31;

    GameMenu();

    bool Message(int32_t message, Object* sender) override;

    Link<TextButton> resumeGameButton;
    Link<TextButton> quitGameButton;
    Link<TextButton> helpButton;
    Link<TextButton> optionsButton;
};
