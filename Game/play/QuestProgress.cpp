// Saving and restoring a level's progress: one key/value document per level
// and player, written crash-safe (a temporary file renamed over the old one).
#include "play/QuestScreen.h"

#include "core/ConfigTable.h"
#include "core/Log.h"
#include "core/Scene.h"
#include "core/SceneFile.h"
#include "data/Profiles.h"
#include "data/SaveFiles.h"
#include "data/State.h"
#include "play/Flashlight.h"
#include "platform/AtomicWrite.h"

#include <string>

namespace {

Flashlight* FirstFlashlight(Scene& scene) {
    for (auto& entry : scene.Elements().Entries()) {
        if (auto* light = ObjectCast<Flashlight>(entry.value)) {
            return light;
        }
    }
    return nullptr;
}

} // namespace

bool QuestScreen::SaveLevelProgress() {
    State* player = CurrentPlayer();
    Scene* level = LevelScene();
    if (!player || !IsRegistered(*player) || !level) {
        return false;
    }
    ConfigTable table;
    SaveScene(*level, table);
    script.SaveParameters(table);
    gadgets.Save(table);
    LevelProgress progress;
    progress.gameMode = gameMode;
    progress.introShown = introShown;
    progress.outroShown = outroShown;
    progress.completed = completed;
    progress.goalMessage = goalMessage;
    if (Flashlight* light = FirstFlashlight(*level)) {
        progress.activeFlashlight = light->GetName();
    }
    progress.penalty = penalty;
    progress.energyEarned = energyEarned;
    progress.levelProgress = levelProgress;
    progress.disableDisc = disableDisc;
    progress.targets = treasures.Targets();
    progress.Write(table);
    const String path = LevelSavePath(*player, LevelName().CStr());
    if (!WriteFileAtomically(path.CStr(), table.ToText(path.CStr()))) {
        LogFormat("Level %s: its progress could not be written to %s", LevelName().CStr(), path.CStr());
        return false;
    }
    return true;
}

bool QuestScreen::LoadLevelProgress() {
    State* player = CurrentPlayer();
    Scene* level = LevelScene();
    if (!player || !IsRegistered(*player) || !level) {
        return false;
    }
    const String path = LevelSavePath(*player, LevelName().CStr());
    ConfigTable table;
    if (!table.Load(path.CStr())) {
        return false; // a fresh start
    }
    script.ReadParameters(table);
    gadgets.Load(table);
    LevelProgress progress;
    progress.gameMode = gameMode;
    progress.goalMessage = goalMessage;
    progress.Read(table);
    if (progress.hasTargets) {
        treasures.SetTargets(progress.targets);
    }
    if (!progress.activeFlashlight.Empty()) {
        Flashlight* light = FirstFlashlight(*level);
        if (!light) {
            light = ObjectCast<Flashlight>(level->CreateElement("Flashlight"));
        }
        if (light && !progress.activeFlashlight.Equals(light->GetName())) {
            level->RenameElement(*light, progress.activeFlashlight.CStr());
        }
    }
    gameMode = progress.gameMode;
    introShown = progress.introShown;
    outroShown = progress.outroShown;
    completed = progress.completed;
    goalMessage = progress.goalMessage;
    penalty = progress.penalty;
    energyEarned = progress.energyEarned;
    levelProgress = progress.levelProgress;
    disableDisc = progress.disableDisc;
    completionDone = completed;
    for (auto& entry : level->Elements().Entries()) {
        LoadProperties(*entry.value, table);
    }
    level->Update();
    RefreshGoals();
    if (Flashlight* light = FirstFlashlight(*level)) {
        light->Setup();
    }
    script.WriteBackParameters();
    return true;
}
