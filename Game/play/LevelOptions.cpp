#include "play/LevelOptions.h"

#include "core/Scene.h"

LevelOptions::LevelOptions() {
    Name.SetFirstString("NewLevelOptions");
    DeclareInt("GameMode", GameMode, 1, this, kPuzzle);
    GameMode.AddValueName("Puzzle", kPuzzle);
    GameMode.AddValueName("List", kList);
    GameMode.AddValueName("Pairs", kPairs);
    GameMode.AddValueName("Types", kTypes);
    GameMode.AddValueName("Silhouette", kSilhouette);
    DeclareString("Music", Music, 1, this, "");
    DeclareFloat("Brightness", Brightness, 1, this, 0.0f);
    DeclareBool("NoCompletionMusic", NoCompletionMusic, 1, this, false);
    DeclareBool("NoStopMusicOnComplete", NoStopMusicOnComplete, 1, this, false);
    DeclareBool("NoStopMusicOnQuit", NoStopMusicOnQuit, 1, this, false);
    DeclareBool("ShowIntro", ShowIntro, 1, this, true);
    DeclareBool("ShowOutro", ShowOutro, 1, this, true);
    DeclareBool("BlackMapTransition", BlackMapTransition, 1, this, false);
    DeclareFloat("LevelEndDelay", LevelEndDelay, 1, this, 5.0f);
    DeclareFloat("LevelEndDelayFactor", LevelEndDelayFactor, 1, this, 0.5f);
    DeclareString("TreasureGoalText", TreasureGoalText, 1, this, "");
    DeclareBool("OrbCompletesLevel", OrbCompletesLevel, 1, this, true);
    DeclareBool("NoPartialSaves", NoPartialSaves, 1, this, false);
}

LevelOptions::~LevelOptions() = default;

LevelOptions::Mode LevelOptions::GetMode() const {
    const int32_t mode = GameMode.FirstInt();
    return mode >= kPuzzle && mode <= kSilhouette ? Mode(mode) : kPuzzle;
}

LevelOptions* FindLevelOptions(Scene& scene) {
    scene.Elements().Sort();
    for (auto& entry : scene.Elements().Entries()) {
        if (auto* options = ObjectCast<LevelOptions>(entry.value)) {
            return options;
        }
    }
    return nullptr;
}
