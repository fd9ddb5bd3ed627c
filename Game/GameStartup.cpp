#include "GameStartup.h"

bool GameStartup::CreateGlobalObjects() {
    // The Globals element with its declared defaults goes into `globals` here,
    // and the Options element, named "options", into `options`.
    return true;
}

void GameStartup::RegisterGameClasses() {
    // The game's element classes register here, category by category.
}

void GameStartup::ChooseFirstScreen() {
    // SetScreen("SplashScreen", 1) when the partner splash picture exists,
    // else the current player's game, else SetScreen("IntroScreen", 1), goes here.
}

void GameStartup::SaveOptions() {
    // The options file is written here.
}

void GameStartup::DeleteStateAndOptions() {
    // `gameState` and `options` are deleted and set to null here.
}

void GameStartup::DeleteGlobals() {
    // `globals` is deleted and set to null here.
}
