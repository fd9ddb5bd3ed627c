#include "data/PlayerScreenHooks.h"

#include "data/Profiles.h"
#include "data/SaveFiles.h"
#include "data/State.h"
#include "play/LevelPlayerHooks.h"
#include "ui/ScreenGameHooks.h"
#include "ui/UI.h"

namespace {

class PlayerScreenHooks : public ScreenGameHooks, public LevelPlayerHooks {
public:
    String PlayerFolder() override { return CurrentPlayer() ? SaveDirectory() : String(); }
    bool IsGameFinished() override {
        State* player = CurrentPlayer();
        return player && player->IsGameFinished();
    }
    bool InSecondWorld() override {
        State* player = CurrentPlayer();
        return player && player->InSecondWorld();
    }
    // The second world is the game's second look.
    bool UseSecondLook() override { return InSecondWorld(); }
    bool IsRegisteredPlayer() override {
        State* player = CurrentPlayer();
        return player && IsRegistered(*player);
    }
    void CompactInventory() override {
        if (State* player = CurrentPlayer()) {
            player->CompactInventory();
        }
    }
    void EnterLevelSet(int32_t levelIndex) override {
        State* player = CurrentPlayer();
        if (!player) {
            return;
        }
        if (levelIndex >= 0) {
            player->CurrentLevel.SetFirstInt(levelIndex);
        }
        player->StowActiveItem();
        // Writing the state records whether the map is open (ShowMapOnLoad).
        SaveStateFile();
    }
    void ApplyLevelOrbCount() override {
        if (State* player = CurrentPlayer()) {
            player->ApplyLevelOrbCount();
        }
    }
    int32_t CurrentLevel() override {
        State* player = CurrentPlayer();
        return player ? player->CurrentLevel.FirstInt() : -1;
    }
    bool SavePlayerState() override { return SaveStateFile(); }
};

PlayerScreenHooks hooks;

} // namespace

void InstallPlayerScreenHooks() {
    SetScreenGameHooks(&hooks);
    SetLevelPlayerHooks(&hooks);
    SetScreenOpenQuery(
        [](const char* screenName) { return GetUI().FindScreen(screenName, true) != nullptr; });
}
