#pragma once
// LevelScenes: the level scenes currently loaded and the moves between them.
//
// Every loaded level is an entry {level screen, level name}; the entries own
// their screens' scenes until UnloadLevels queues them for release. The list
// is sorted by name (byte-wise) on the first look-up after a change and
// searched by bisection. A level set is every level whose directory name
// contains the set's name: its levels are loaded together behind the
// loading picture, and SwitchToLevel moves one of them onto the stack as
// its only screen, without unloading the others.
//
// Level switching happens from an empty stack or from the level screen
// itself: with any other screen on the stack SwitchToLevel refuses. Main
// thread only.
//
// Attach installs the screen stack's hooks that make levels work there: the
// quest screen's file by world, popping a game screen unloads the levels
// (the list keeps the scenes of its level screens), the queued level load
// (deferred message 1003), and unloading at shut-down.

#include "core/MessageCodes.h"
#include "core/String.h"

#include <cstdint>
#include <functional>
#include <vector>

class LevelScreen;
class Screen;
class UI;

class LevelScenes {
public:
    static constexpr int32_t kLevelLoadMessage = message::kFirstGameDelayed;

    struct Entry {
        LevelScreen* screen = nullptr;
        String name;
    };

    explicit LevelScenes(UI& ui);
    ~LevelScenes();
    LevelScenes(const LevelScenes&) = delete;
    LevelScenes& operator=(const LevelScenes&) = delete;

    /// Installs the stack's hooks listed above (replacing any installed).
    void Attach();
    /// Removes them again when they are this list's.
    void Detach();

    /// Pops every screen, loads a fresh level screen and its level `name`
    /// and adds it to the list (replacing a loaded level of that name).
    /// False, nothing added, when the screen or the level does not load.
    bool LoadLevel(const char* name);
    /// LoadLevel of `name`, then of each of its sub-levels (the other levels
    /// of its set, which the level's links show), none of them entered.
    /// False, as LoadLevel, when `name` does not load; a sub-level that does
    /// not load is left out with LoadLevel's log line.
    bool LoadLevelWithSubLevels(const char* name);
    /// Unloads the loaded levels and loads every level of the set `name`
    /// behind the loading picture, then switches to `name`. False when a
    /// level fails (every level unloaded, the stack empty) or the switch
    /// is refused.
    bool LoadLevelSet(const char* name, bool enter);
    /// Makes the loaded level `name` the only screen on the stack; with
    /// `enter` it is entered from the level that was there. True at once
    /// when it is the topmost game screen already. False when more than one
    /// screen is on the stack, the one screen is not a level screen, or
    /// `name` is not loaded.
    bool SwitchToLevel(const char* name, bool enter);
    /// Releases the resources of every level's directory, queues the level
    /// scenes for release (a level screen still on the stack gets OnPop and
    /// is taken off) and empties the list.
    void UnloadLevels();
    /// Loads the player's current level set and enters its root level;
    /// false when the player has no valid level or the set does not load.
    bool StartCurrentLevel();
    /// Saves the player state, then every level's state, stopping at the
    /// first failure (a failed player state saves no level); false when
    /// anything failed.
    bool SaveLevels();
    /// Pops every screen now and loads the level `name` after `delay`
    /// seconds (deferred message 1003), then switches to it.
    void QueueLevelLoad(const char* name, float delay);
    /// Handles 1003; false for other codes.
    bool OnDeferredMessage(int32_t code, void* data);
    /// Every bitmap of every level scene gets the sprite brightness
    /// (brightness − 0.5) × 2, brightness being the game's option 0 … 1.
    void ApplyBrightness(float brightness);
    /// The same with the services' picture brightness.
    void ApplyBrightness();
    /// A screenshot of every level: dialogues off, then for the i-th scene
    /// file below "levels" (base name n) a queued load of n after 7·i s and
    /// a screenshot named n after 7·i + 5 s.
    void ScreenshotAllLevels();

    /// The loaded level `name`, or null.
    LevelScreen* FindLevel(const char* name);
    bool IsLevelScreen(const Screen* screen) const;
    const std::vector<Entry>& Entries() const { return entries; }
    /// The level being loaded right now (scripts that run during its load
    /// find it here), else null.
    LevelScreen* LoadingLevel() const { return loadingLevel; }
    const String& CurrentLevelName() const { return currentLevelName; }
    /// The level entered after StartCurrentLevel loads a set (set by level scripts).
    void SetRootLevel(const char* name) { rootLevelName = name ? name : ""; }
    const String& RootLevel() const { return rootLevelName; }

    /// Drops the pending deferred script calls when levels unload; installed
    /// by the script layer. Unset: nothing to drop.
    std::function<void()> dropDeferredScriptCalls;

private:
    void PopAllScreens();
    void ApplyBrightnessTo(const Entry& entry, float spriteBrightness);
    void ReleaseLevelScene(LevelScreen* screen);
    void SortIfChanged();
    /// The directories below LevelDirectory holding a level script whose
    /// name contains `name`, in listing order, each once.
    std::vector<String> LevelSetMembers(const char* name) const;

    UI& ui;
    bool attached = false;
    std::vector<Entry> entries;
    bool sorted = true;
    LevelScreen* loadingLevel = nullptr;
    String currentLevelName;
    String rootLevelName;
};

/// The game's level list, on the one screen stack.
LevelScenes& GetLevelScenes();
