#pragma once
// LevelPlayerHooks: what the level bookkeeping asks of the player state.
//
// The level scenes load and switch levels; the inventory, the player's
// current level and world and the state file belong to the player state.
// The game installs its implementation at start-up; until then (tools,
// tests) the defaults answer as for a fresh player with nothing to save.

#include <cstdint>

class LevelPlayerHooks {
public:
    virtual ~LevelPlayerHooks() = default;

    /// The player is in the second world: levels show its HUD.
    virtual bool InSecondWorld() { return false; }
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
LevelPlayerHooks& GetLevelPlayerHooks();
/// Installs `hooks` (not owned; null restores the defaults).
void SetLevelPlayerHooks(LevelPlayerHooks* hooks);
