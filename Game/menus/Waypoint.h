#pragma once
// Waypoint: a point of the map's path network; LevelMarker: the waypoint
// that stands for a level and carries the level's name (an entry of the
// Globals "Levels") as its element name.
//
// "neighbors" names up to eight adjacent waypoints of the same scene. When
// the names change, the neighbour table is rebuilt: a name that finds no
// waypoint is erased (set to "") with one log line, and every link is made
// symmetric: a neighbour that does not list this waypoint gets its name in
// its first empty slot and this waypoint in its table (nothing when its
// eight slots are used). The clickable area is the pixels of the bitmap
// "proxy" names (optional: a waypoint without one is never hit).
// Waypoints draw nothing, except their links while the option "Editing" is on.
//
// Positions are the widget's own (parent's pixels); paths are planned on
// world positions (menus/WaypointGraph.h).

#include "core/Link.h"
#include "core/Widget.h"
#include "render/Bitmap.h"

#include <vector>

/// The widget's matrix in its scene's coordinates: its local matrices up to
/// the top level, without the scene's own matrix (the map's camera), so it
/// holds even while that matrix changes between updates.
Matrix4 SceneMatrixOf(const Widget& widget);
/// The translation of SceneMatrixOf.
Vec2 ScenePositionOf(const Widget& widget);

class Waypoint : public Widget {
    ENGINE_CLASS(Waypoint, Widget)

public:
    static constexpr int32_t kMaxNeighbours = 8;

    Waypoint();

    /// Rebuilds the neighbour table when "neighbors" changed, then resolves.
    bool Resolve() override;
    /// The proxy bitmap's hit test; false without one.
    bool HitTest(const Vec2& point) override;
    /// The links to the neighbours while editing; nothing otherwise.
    bool Draw() override;

    /// The adjacent waypoints, in the order of "neighbors".
    const std::vector<Waypoint*>& NeighbourTable() const { return table; }
    /// Makes the table current now (the scene does it in its resolve step).
    void RebuildNeighbourTable();

    /// Name of the bitmap whose pixels are the clickable area ("" for none).
    Var proxy;
    Var neighbors;

private:
    /// Adds `other` to the table and this waypoint's name to its
    /// "neighbors" and table, unless it is there or full.
    void LinkBack(Waypoint& other);
    bool Lists(const Waypoint& other) const;

    std::vector<Waypoint*> table;
};

class LevelMarker : public Waypoint {
    ENGINE_CLASS(LevelMarker, Waypoint)
};
