#include "menus/ContinueGame.h"

#include "core/ClassRegistry.h"
#include "core/Log.h"
#include "data/State.h"
#include "menus/MenuSupport.h"
#include "play/LevelScenes.h"
#include "ui/UI.h"
#include "ui/UiSettings.h"

#include <algorithm>

namespace {

constexpr int32_t kTransition = 1;
constexpr const char* kMapScreenClass = "MapScreen";

/// Loads the level set `name` behind the title; logs why when it cannot.
bool LoadLevelSetBehindTitle(const String& name) {
    if (!GetLevelScenes().LoadLevelSet(name.CStr(), false)) {
        LogFormat("ContinueGame: the level set '%s' did not load; the title shows alone", name.CStr());
        return false;
    }
    return true;
}

} // namespace

std::function<void()>& DeferredStartupLoading() {
    static std::function<void()> loading;
    return loading;
}

bool ContinueGame() {
    State* player = RegisteredCurrentPlayer();
    bool behind = false; // a map or level now lies below the title
    if (player && player->IsGameFinished()) {
        // The game's last level: the list always holds its full count of
        // names, of which a game of fewer levels uses only the first
        // LevelCount.
        const int32_t count = std::min(GlobalCount("Levels"), GlobalInt("LevelCount", 0, GlobalCount("Levels")));
        if (count > 0) {
            behind = LoadLevelSetBehindTitle(GlobalText("Levels", "", count - 1));
        }
    } else if (player && player->ShowMapOnLoad.FirstBool()) {
        if (FindClass(kMapScreenClass) && GetUI().SetScreen(kMapScreenClass, kTransition)) {
            player->ShowMapOnLoad.SetFirstBool(false);
            behind = true;
        } else {
            LogLine("ContinueGame: the map could not be shown; the title shows alone");
        }
    } else if (player) {
        const int32_t level = player->CurrentLevel.FirstInt();
        if (level >= 0 && level < GlobalCount("Levels")) {
            behind = LoadLevelSetBehindTitle(GlobalText("Levels", "", level));
        }
    }
    UI& ui = GetUI();
    const bool shown =
        behind ? ui.PushScreenByName("TitleScreen", kTransition) : ui.SetScreen("TitleScreen", kTransition);
    if (!shown) {
        LogLine("ContinueGame: the title screen could not be shown");
        return false;
    }
    return true;
}
