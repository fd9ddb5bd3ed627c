#pragma once
// GameStartup: the game's steps in the engine's start-up, frame and shut-down.
//
// The engine calls these hooks at their fixed places (see GameHooks). The
// global settings, options and player-state classes are not written yet, so
// the hooks that would create, load, save and delete them only name what
// goes there; the game then runs with null global objects and an empty frame.

#include "app/GameHooks.h"

class GameStartup : public GameHooks {
public:
    bool CreateGlobalObjects() override;
    void RegisterGameClasses() override;
    void ChooseFirstScreen() override;
    void SaveOptions() override;
    void DeleteStateAndOptions() override;
    void DeleteGlobals() override;
};
