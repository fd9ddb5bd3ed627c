#pragma once
// ScreenGameHooks: what the screen services ask of the game's player state.
//
// The player profiles, their save folder and their progress belong to the
// game; the screen services only need the answers below. The game installs
// its implementation at start-up; until then (tools, tests) the defaults
// answer as for a fresh default player with no save folder.

#include "core/String.h"

#include <cstdint>

class ScreenGameHooks {
public:
    virtual ~ScreenGameHooks() = default;

    /// The current player's save folder, ending in "/"; empty when none.
    virtual String PlayerFolder() { return String(); }
    /// The player has finished the game.
    virtual bool IsGameFinished() { return false; }
    /// The player is in the second world (its look: dark loading picture).
    virtual bool InSecondWorld() { return false; }
    /// The current player is a registered profile, not the default player.
    virtual bool IsRegisteredPlayer() { return false; }

    /// Before a level set loads: the inventory is compacted.
    virtual void CompactInventory() {}
    /// The level set of index `levelIndex` (in Globals "Levels") becomes the
    /// current level: the item in hand is put back and the player state is
    /// saved, remembering whether the map is open.
    virtual void EnterLevelSet(int32_t /*levelIndex*/) {}
    /// After the level set loaded: the level's orb count takes effect.
    virtual void ApplyLevelOrbCount() {}
    /// The player's current level index; −1 when none.
    virtual int32_t CurrentLevel() { return -1; }
    /// Writes the player state; false when it could not be written.
    virtual bool SavePlayerState() { return true; }
};

/// The installed hooks (never null: the defaults until the game installs its own).
ScreenGameHooks& GetScreenGameHooks();
/// Installs `hooks` (not owned; null restores the defaults).
void SetScreenGameHooks(ScreenGameHooks* hooks);
