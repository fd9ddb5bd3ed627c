#include "GameConsoleCommands.h"

#include "data/Profiles.h"
#include "data/SaveFiles.h"
#include "data/State.h"
#include "menus/MapScreen.h"
#include "menus/MovieScreen.h"
#include "menus/StoryScreen.h"
#include "play/ItemDatabase.h"
#include "play/JournalFunctions.h"
#include "play/LevelScenes.h"
#include "play/QuestScreen.h"

#include "core/EngineState.h"
#include "core/Log.h"
#include "script/GlobalScriptFunctions.h"
#include "ui/ConsoleCommands.h"
#include "ui/UI.h"

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

/// Loads the level with its sub-levels and makes it the screen, entered from
/// wherever the player was.
bool LoadAndShowLevel(const char* level) {
    LevelScenes& levels = GetLevelScenes();
    return level && levels.LoadLevelWithSubLevels(level) && levels.SwitchToLevel(level, true);
}

bool ScreenshotAllLevels() {
    if (State* player = CurrentPlayer()) {
        player->hudVisible = false;
    }
    GetLevelScenes().ScreenshotAllLevels();
    return true;
}

// The map plays the changes of a completed level: that of `index`, or the
// player's current one for -1. A map not on the stack is opened first, so
// the changes are seen.
bool CompleteMapLevel(int32_t index) {
    State* player = ActivePlayer("completeMapLevel");
    UI& ui = GetUI();
    auto* map = ObjectCast<MapScreen>(ui.FindScreen("MapScreen"));
    if (!player || !map) {
        LogLine("completeMapLevel: the map screen could not be found or loaded");
        return false;
    }
    const int32_t level = index < 0 ? player->CurrentLevel.FirstInt() : index;
    player->mapChangePending = true;
    if (!ui.IsOnStack(map)) {
        // Opening the map plays the current level's changes by itself.
        if (!ui.PushScreen(map, 0)) {
            player->mapChangePending = false;
            return false;
        }
        if (level == player->CurrentLevel.FirstInt()) {
            return true;
        }
        player->mapChangePending = true;
    }
    map->AnimateLevelChanges(level, 1.0f);
    return true;
}

/// The level screen nearest the top of the stack; null (with a line naming
/// the command) when no level is open.
QuestScreen* TopLevelScreen(const char* command) {
    const std::vector<Screen*>& stack = GetUI().Stack();
    for (auto it = stack.rbegin(); it != stack.rend(); ++it) {
        if (auto* quest = ObjectCast<QuestScreen>(*it)) {
            return quest;
        }
    }
    if (command) {
        LogFormat("%s: no level is open", command);
    }
    return nullptr;
}

bool GiveItem(const char* item) {
    State* player = ActivePlayer("give");
    if (!player || !item) {
        return false;
    }
    if (!GetItemDatabase().Has(item)) {
        LogFormat("give: \"%s\" is no item of the item list", item);
        return false;
    }
    if (!player->AddToInventory(item)) {
        LogFormat("give: the inventory has no room for \"%s\"", item);
        return false;
    }
    if (QuestScreen* quest = TopLevelScreen(nullptr)) {
        quest->RefreshInventory();
    }
    return true;
}

void InstallLevelCommands(ConsoleGameCommands& commands) {
    commands.levelScriptState = []() -> ScriptState* {
        QuestScreen* quest = TopLevelScreen(nullptr);
        return quest ? &quest->script.state : nullptr;
    };
    commands.completeLevel = [] {
        QuestScreen* quest = TopLevelScreen("completeLevel");
        if (quest) {
            quest->CompleteLevel(0.0f);
        }
        return quest != nullptr;
    };
    commands.findAll = [] {
        QuestScreen* quest = TopLevelScreen("findAll");
        if (quest) {
            quest->FindAll();
        }
        return quest != nullptr;
    };
    commands.give = &GiveItem;
    commands.giveOrb = [] {
        State* player = ActivePlayer("giveOrb");
        if (player) {
            player->GiveOrb();
        }
        return player != nullptr;
    };
    commands.toggleHud = [] {
        State* player = ActivePlayer("toggleHud");
        if (player) {
            player->hudVisible = !player->hudVisible;
        }
        return player != nullptr;
    };
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
    commands.completeMapLevel = &CompleteMapLevel;
    commands.unlockJournals = &UnlockJournals;
    commands.giveJournal = &GiveJournalOnTopLevel;
    // A level on top plays its HUD out first and in again as the script asks;
    // elsewhere the story opens at once.
    GetScriptHost().showStory = [](const char* name, bool hideHud, bool restoreHud) {
        if (auto* level = dynamic_cast<GameScreen*>(GetUI().TopScreen())) {
            level->TellStory(name, hideHud, restoreHud);
        } else {
            ShowStory(name);
        }
    };
    commands.loadLevel = &LoadAndShowLevel;
    commands.saveGame = [] { return GetLevelScenes().SaveLevels(); };
    InstallLevelCommands(commands);
}
