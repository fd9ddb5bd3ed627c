#pragma once
// Map markers: the player's figure that walks the waypoint paths, and the
// animated markers that point at quests.
//
// Both show frame animations: the sprite path is "framePath" formatted with
// the current frame number; the frame runs at "frameRate" frames per second
// through "frameRange" (first, last) and wraps at either end.
//
// PlayerMarker walks as WalkPath (below) queues it: message 3000
// with a waypoint as sender glides to that waypoint at "speed" pixels per
// second (jumps with a speed of 0 or less), 3001 tells it has arrived. While
// it is not walking it stands on the marker of the player's current level
// (Globals "Levels"[CurrentLevel]) of its own scene. Its depth is kept at
// 500, above the scenery.

#include "play/Thing.h"

#include <cstdint>

/// The frame counter shared by the markers; `path` is the formatted sprite path.
struct MarkerFrames {
    float frame = 1.0f;
    int32_t shown = -1; ///< frame number whose path the sprite holds
    /// Advances by rate × seconds, wrapping inside [first, last], and sets
    /// `sprite` to the formatted path when the whole frame number changes.
    void Step(Var& sprite, const Var& framePath, const Var& frameRange, float rate, float seconds);
};

class PlayerMarker : public Thing {
    ENGINE_CLASS(PlayerMarker, Thing)

public:
    static constexpr int32_t kWalkTo = 3000;
    static constexpr int32_t kArrived = 3001;
    static constexpr float kDepth = 500.0f;

    PlayerMarker();

    void Update() override;
    /// 3000: glide to the sender waypoint; 3001: arrived (the map shows its
    /// play button). Other codes as Thing.
    bool Message(int32_t message, Object* sender) override;

    /// A walk is queued or under way (its arrival message is pending).
    bool IsWalking() const;
    /// Stands on the level marker of CurrentLevel; false (not moved) when
    /// the scene has none.
    bool StandOnCurrentLevel();
    /// Where `widget` of the same scene is, in this marker's parent's coordinates.
    Vec2 ToParent(const Widget& widget) const;

    Var speed;
    Var framePath;
    Var frameRange;
    Var frameRate;
    MarkerFrames frames;

    /// Called on arrival (3001); installed by the map screen. Unset: the
    /// input lock is lifted only.
    static void (*arrived)(PlayerMarker& marker);
};

class WaypointGraph;

/// Queues the walk along the graph's last path on `marker`: message 3000
/// for each waypoint after the first, each due when the marker has covered
/// the distance to it at "speed" (all at once with a speed of 0 or less),
/// then 3001 with the last waypoint as sender. False, nothing queued, for
/// a path of fewer than two nodes or with a node that has no waypoint.
bool WalkPath(const WaypointGraph& graph, PlayerMarker& marker);

class QuestMarker : public Thing {
    ENGINE_CLASS(QuestMarker, Thing)

public:
    static constexpr const char* kFramePathSetting = "Map_QuestMarker";
    static constexpr const char* kFramePathDefault = "gui/MapScreen/quest/quest_marker_%d.tga";

    QuestMarker();
    void Update() override;

    Var framePath;
    Var frameRange;
    Var frameRate;
    MarkerFrames frames;
};
