#pragma once
// LevelOptions: how one level plays, read from the first LevelOptions
// element of its scene (a level without one plays with the defaults).

#include "core/Element.h"

class Scene;

class LevelOptions : public Element {
    ENGINE_CLASS(LevelOptions, Element)

public:
    enum Mode : int32_t { kPuzzle = 0, kList = 1, kPairs = 2, kTypes = 3, kSilhouette = 4 };

    LevelOptions();
    ~LevelOptions() override;

    /// The game mode, Puzzle for a number outside the five modes.
    Mode GetMode() const;

    Var GameMode;
    Var Music;
    Var Brightness;
    Var NoCompletionMusic;
    Var NoStopMusicOnComplete;
    Var NoStopMusicOnQuit;
    Var ShowIntro;
    Var ShowOutro;
    Var BlackMapTransition;
    Var LevelEndDelay;
    Var LevelEndDelayFactor;
    Var TreasureGoalText;
    Var OrbCompletesLevel;
    Var NoPartialSaves;
};

/// The first LevelOptions of the scene in name order, or null.
LevelOptions* FindLevelOptions(Scene& scene);
