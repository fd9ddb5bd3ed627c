#pragma once
// ScreenGameHooks: what the screen services ask of the game's player state.
//
// The player profiles, their save folder and their progress belong to the
// game; the screen services only need the answers below. The game installs
// its implementation at start-up; until then (tools, tests) the defaults
// answer as for a fresh default player with no save folder.

#include "core/String.h"

class ScreenGameHooks {
public:
    virtual ~ScreenGameHooks() = default;

    /// The current player's save folder, ending in "/"; empty when none.
    virtual String PlayerFolder() { return String(); }
    /// The player has finished the game.
    virtual bool IsGameFinished() { return false; }
    /// The game shows its second look: the cursors' second sprites and a
    /// dark loading picture.
    virtual bool UseSecondLook() { return false; }
    /// The current player is a registered profile, not the default player.
    virtual bool IsRegisteredPlayer() { return false; }
};

/// The installed hooks (never null: the defaults until the game installs its own).
ScreenGameHooks& GetScreenGameHooks();
/// Installs `hooks` (not owned; null restores the defaults).
void SetScreenGameHooks(ScreenGameHooks* hooks);
