#pragma once
// Objective and Quest: the game's goal catalogue, data only.
//
// An Objective is one entry of a player's list of achievements (a quest, a
// secret, a trinket, an artwork or a location); a Quest is one quest of the
// map with the place it belongs to and the quests it depends on. Scene files
// holding them load and save through the ordinary scene format; nothing in
// the game acts on them yet, so they keep what the files give.

#include "core/Element.h"

class Objective : public Element {
    ENGINE_CLASS(Objective, Element)

public:
    enum Category : int32_t { kQuest = 0, kSecret = 1, kTrinket = 2, kArtwork = 3, kLocation = 4 };

    Objective();

    Var Category;
    Var Title;
    Var Icon;
    Var Completed;
    Var Unlocked;
    Var Persistent;
    Var Viewed;
    Var Progress;
};

class Quest : public Element {
    ENGINE_CLASS(Quest, Element)

public:
    enum Category : int32_t { kQuest = 0, kTreasure = 1 };
    static constexpr int32_t kMaxDependencies = 8;

    Quest();

    Var Category;
    Var MapLocation;
    Var Dependencies; ///< quest names, unused items empty
};
