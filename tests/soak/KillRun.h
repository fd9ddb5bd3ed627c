#pragma once
// The kill test: the real game is played (levels opened from the console,
// their objects clicked, levels completed, the game saved, options changed
// and kept, the game left through its menus) and killed with SIGKILL at a
// random moment, often just after an input that makes it save. After each
// kill every file of the save folder must hold one complete version: the
// player state, the options and each level save parse line by line and end
// with the entries their writer puts last, the saved background picture is
// as long as its header says, and the next start reads them all without a
// complaint (no backup of a damaged state, no wipe, no picture that fails).

#include "SceneTargets.h"
#include "SoakReport.h"

#include <cstdint>

struct KillOptions {
    int kills = 20;
    uint32_t seed = 1;
};

void RunKills(const KillOptions& options, const SceneTargets& targets, SoakReport& report);

/// The complaints about the save folder's files as they lie now; empty when
/// each is one complete version. `playerName`, when not empty, must be in
/// the player state.
std::vector<std::string> CheckSaveFolder(const std::string& folder, const std::string& playerName);
