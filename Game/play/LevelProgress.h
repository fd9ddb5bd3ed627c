#pragma once
// LevelProgress: the level's own numbers in its save document.
//
// A level's save is one key/value document: the level scene's elements with
// their properties (which carry the found flags), the script's parameters
// and the gadgets' states, the targets as "targetTreasure" (one value per
// target, in order) and these numbers under "object_parameters.NAME".
// Reading keeps every field the document does not hold, so an older save
// loads with defaults for what it lacks.

#include "core/String.h"

#include <vector>

class ConfigTable;

struct LevelProgress {
    int32_t gameMode = 0;
    bool introShown = false;
    bool outroShown = false;
    bool completed = false;
    String goalMessage;
    String activeFlashlight; ///< empty: the level has no flashlight
    float penalty = 0.0f;
    float energyEarned = 0.0f;
    int32_t levelProgress = 0;
    bool disableDisc = false;
    std::vector<String> targets;
    bool hasTargets = false; ///< after Read: the document listed targets

    void Write(ConfigTable& table) const;
    void Read(ConfigTable& table);
};
