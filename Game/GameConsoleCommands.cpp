#include "GameConsoleCommands.h"

#include "data/Profiles.h"
#include "data/SaveFiles.h"
#include "data/State.h"
#include "menus/MovieScreen.h"
#include "menus/StoryScreen.h"
#include "play/LevelScenes.h"

#include "core/EngineState.h"
#include "core/Log.h"
#include "script/GlobalScriptFunctions.h"
#include "ui/ConsoleCommands.h"

namespace {

State* ActivePlayer(const char* command) {
    State* player = CurrentPlayer();
    if (!player) {
        LogFormat("%s: there is no active player", command);
    }
    return player;
}

bool SetPlayerName(const char* name) {
    State* player = ActivePlayer("setPlayerName");
    String cleaned;
    if (!player || !CleanPlayerName(name, cleaned)) {
        return false;
    }
    const int32_t id = gameState ? NextPlayerId() : -1;
    player->PlayerName.SetFirstString(cleaned.CStr());
    player->PlayerId.SetFirstInt(id);
    return true;
}

bool ResetLevelProgress(const char* level) {
    State* player = ActivePlayer("resetLevelProgress");
    if (!player) {
        return false;
    }
    DeleteLevelSave(*player, level);
    return true;
}

bool ResetAllProgress() {
    State* player = ActivePlayer("resetAllProgress");
    if (!player) {
        return false;
    }
    DeletePlayerFiles(*player);
    return true;
}

/// Loads the level and makes it the screen, entered from wherever the player was.
bool LoadAndShowLevel(const char* level) {
    LevelScenes& levels = GetLevelScenes();
    return level && levels.LoadLevel(level) && levels.SwitchToLevel(level, true);
}

bool ScreenshotAllLevels() {
    if (State* player = CurrentPlayer()) {
        player->hudVisible = false;
    }
    GetLevelScenes().ScreenshotAllLevels();
    return true;
}

} // namespace

void InstallGameConsoleCommands() {
    ConsoleGameCommands& commands = GetConsoleGameCommands();
    commands.setPlayerName = &SetPlayerName;
    commands.resetLevelProgress = &ResetLevelProgress;
    commands.resetAllProgress = &ResetAllProgress;
    commands.resetPlayerData = [] {
        if (State* player = CurrentPlayer()) {
            ResetPlayer(*player);
        }
    };
    commands.screenshotAllLevels = &ScreenshotAllLevels;
    commands.showStory = &ShowStory;
    commands.playMovie = &PlayMovie;
    GetScriptHost().playMovie = [](const char* name) { PlayMovie(name); };
    // Scripts open stories at once; a level screen that plays its HUD out
    // first installs its own opener over this one.
    GetScriptHost().showStory = [](const char* name, bool, bool) { ShowStory(name); };
    commands.loadLevel = &LoadAndShowLevel;
}
