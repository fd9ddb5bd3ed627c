#pragma once
// LevelScreen: what the screen stack's level bookkeeping needs of a level
// screen (the quest screen of the game, one per loaded level scene).
//
// A level screen loads one level into its own scene, is entered when the
// player arrives there from another level, and writes the level's state for
// the current player. Level screens answer IsA("QuestScreen") and live in
// the level list from their load until the levels are unloaded, on or off
// the stack (see LevelScenes).

#include "ui/Screen.h"

class LevelScreen : public Screen {
    ENGINE_CLASS(LevelScreen, Screen)

public:
    /// Loads the level `name` (its scene, scripts and saved state) into this
    /// screen. False when the level cannot be loaded.
    virtual bool LoadLevel(const char* name) = 0;
    /// The player arrives in this level from `previous` (null: from none).
    virtual bool EnterLevel(LevelScreen* previous) = 0;
    /// Writes this level's state for the current player; false when it fails.
    virtual bool SaveLevel() = 0;
};
