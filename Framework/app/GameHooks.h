#pragma once
// GameHooks: the game's part of start-up, the frame and shut-down.
//
// The engine runs the fixed sequence of steps; where a step belongs to the
// game (its settings and options classes, its element classes, its first
// screen) it calls the matching hook. The game owns what it creates here:
// it must delete the global objects in the two deletion hooks and set their
// pointers (core/EngineState.h) back to null.

struct GameHooks {
    virtual ~GameHooks() = default;

    /// The product's name, for the log's start and shut-down lines.
    virtual const char* ProductName() const { return "Game"; }
    /// The window class name: the single-instance lock is named after it,
    /// and the window carries it until the game's title is set.
    virtual const char* WindowClassName() const { return "GameWindow"; }

    /// Start-up step 1: create `globals` and `options` with their built-in
    /// defaults and name the options element "options". False when they cannot
    /// be made: start-up stops, because every later step reads them.
    virtual bool CreateGlobalObjects() { return true; }
    /// Start-up step 4: register the game's state classes (its settings,
    /// options and player state); the engine calls this between its widgets
    /// and its screens, where that category stands.
    virtual void RegisterGameStateClasses() {}
    /// Start-up step 4: register the game's other element classes, after the engine's.
    virtual void RegisterGameClasses() {}
    /// Start-up step 6: create the per-user save folders, load the options and
    /// the player state (a fresh state when none can be loaded).
    virtual void LoadOptionsAndState() {}
    /// Start-up steps 15 and 18 (before the first screen): load the player
    /// state again.
    virtual void ReloadPlayerState() {}
    /// Start-up step 11: unless the partner splash picture exists, read the
    /// global settings file and preload the shared media.
    virtual void Preload() {}
    /// Start-up step 18: set the first screen (splash, the current player's
    /// game or the intro).
    virtual void ChooseFirstScreen() {}

    /// Once per frame, after the screen stack has drawn: the game's own
    /// per-frame work (tests simulate frame work and close requests here).
    virtual void OnFrame() {}

    /// Shut-down step 1: write the options file.
    virtual void SaveOptions() {}
    /// Shut-down step 6: delete `gameState` and `options`.
    virtual void DeleteStateAndOptions() {}
    /// Shut-down step 7: delete `globals`.
    virtual void DeleteGlobals() {}
};
