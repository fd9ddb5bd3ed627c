#pragma once
// The per-user save folder and the files kept in it.
//
// Folder: $XDG_DATA_HOME (else $HOME/.local/share) + "/" + CompanyName + "/" +
// GameTitle + "/", built from the global settings at each use. It holds
// "options.widget" (the Options element), the state file named by
// GameStateFilename (the state root: a Scene of State elements, one per
// profile), "background.tga" and the level saves, named decimal PlayerId +
// "_" + level name + ".save".
//
// Every file is replaced crash-safely (see platform/AtomicWrite.h). A state file
// that exists but cannot be read is not wiped with the rest: it goes, with
// the files a wipe would delete, into a "backup-" folder of the save folder,
// and the game starts with a fresh default player. The state file moves last
// and the folder holds a ".unfinished" marker until all are in, so a backup
// cut short is taken up again at the next start, and a wipe moves the files
// into it rather than deleting them.
//
// Numbers in the state file are repaired as it loads (one log line each):
// PlayerIds out of range or used twice get fresh numbers, OrbCount is kept
// to -1 ... 7. Loaded option volumes and brightness are kept to 0 ... 1.

#include "core/String.h"

#include <cstdint>

class State;

/// The build number written into Options::BuildVersion; options of any other
/// build wipe the saves.
constexpr int32_t kBuildNumber = 2487;
constexpr const char* kOptionsFilename = "options.widget";

/// The save folder, ending in "/".
String SaveDirectory();
/// Creates the company folder and the save folder (existing ones are fine)
/// and removes temporary files a crash left behind; false when the save
/// folder does not exist afterwards.
bool CreateSaveFolders();

/// Reads "options.widget" into the options element. False, defaults kept,
/// when it cannot be read or applied. Options of another build wipe the saves
/// and reset the options (the result is then true).
bool LoadOptions();
/// Replaces the options element by a fresh one named "options".
void ResetOptions();
/// Writes the options with the current build number; false when the write failed.
bool SaveOptions();
/// Deletes every *.scene, *.save and *.tga file of the save folder.
void WipeSaveFiles();

/// Replaces the state root by the one in the state file; when there is none,
/// makes a fresh root. False when a fresh root had to be made.
bool LoadStateFile();
/// Wipes the save files and makes a root holding one active default player.
void CreateStateRoot();
/// Records whether the map is open and writes the state root. False when
/// there is no root or the write failed (the previous file is kept then).
bool SaveStateFile();

/// The save folder + decimal PlayerId + "_" + level name + ".save".
String LevelSavePath(const State& player, const char* levelName);
/// Deletes that level save if it exists.
void DeleteLevelSave(const State& player, const char* levelName);
/// Deletes every file of the save folder whose name starts with the decimal
/// PlayerId and "_".
void DeletePlayerFiles(const State& player);

/// Called with each file's path once it is in a backup folder; lets tests
/// stop a backup part way. Null: nothing is called.
using BackupMoveHook = void (*)(const char* movedPath);
void SetBackupMoveHook(BackupMoveHook hook);

/// Answers whether a screen of that name is on the screen stack; installed by
/// the screen stack. Without one, no screen counts as open.
using ScreenOpenQuery = bool (*)(const char* screenName);
void SetScreenOpenQuery(ScreenOpenQuery query);
