#pragma once
// The console's commands, registered once at start-up in one table.
//
// The engine answers the commands it can serve itself (quit, print,
// fullscreen, the screen stack, the string tables, toggleFps, test, ...).
// The commands about levels, the player, the map, stories, movies and the
// journal belong to the game: it fills the matching member of
// ConsoleGameCommands. A member left empty makes its command fail with a
// log line saying what is missing, so every command exists from the start
// and begins to work when the game provides it.

#include "core/String.h"

#include <cstdint>
#include <functional>

class ScriptState;

struct ConsoleGameCommands {
    /// Start again from the first screen.
    std::function<bool()> play;
    /// The script state of the current level screen; null when none.
    std::function<ScriptState*()> levelScriptState;
    std::function<bool(const char* level)> loadLevel;
    std::function<bool()> saveGame;
    std::function<bool(const char* level)> resetLevelProgress;
    std::function<bool()> resetAllProgress;
    std::function<bool(const char* name)> setPlayerName;
    /// resetGame's first step; the screen stack part is the engine's.
    std::function<void()> resetPlayerData;
    std::function<bool(const char* name)> playMovie;
    std::function<bool(const char* name)> showStory;
    /// `levelIndex` −1: the active player's current level.
    std::function<bool(int32_t levelIndex)> completeMapLevel;
    std::function<bool(const char* item)> give;
    std::function<bool()> giveOrb;
    std::function<bool()> completeLevel;
    std::function<bool()> findAll;
    std::function<bool()> toggleHud;
    std::function<bool()> unlockJournals;
    std::function<bool()> giveJournal;
    /// The journal pages' layout tool, with the name of the framing bitmap.
    std::function<bool(const char* bitmap)> autoPositionJournalBitmaps;
    /// Clears the HUD display flag, then photographs every level.
    std::function<bool()> screenshotAllLevels;
};

/// The game's part; empty members until the game fills them.
ConsoleGameCommands& GetConsoleGameCommands();

/// Registers every console command, in the table's fixed order.
void RegisterConsoleCommands();

/// The words of all string tables: every blank, tab or line feed counts one,
/// and every non-empty text one more.
int64_t CountStringTableWords();

/// `format` with its first two "%s" replaced by `argument` (no other
/// conversion is honoured: the format comes from the settings file).
String FormatLevelPath(const char* format, const char* argument);
