#pragma once
// Hotspot: an invisible clickable area of a level.
//
// "Region" holds the polygon as comma-separated numbers x1, y1, x2, y2, ...
// in the hotspot's own pixels; it is parsed again in the resolve step when
// the text changes. The inside rule is the Region widget's (a point on a
// top edge is outside, on a bottom edge inside). A hotspot has no picture
// and is never a treasure: its colour, picture, blend mode, icon, fancy
// name and used flag are not read from or written to scene files.

#include "play/Doodad.h"

#include <vector>

class Hotspot : public Doodad {
    ENGINE_CLASS(Hotspot, Doodad)

public:
    Hotspot();
    ~Hotspot() override;

    bool Resolve() override;
    /// Draws nothing.
    bool Draw() override;
    /// False when hidden (itself or an ancestor) or with fewer than 3
    /// vertices; otherwise the inside rule on the point mapped into the
    /// hotspot's own pixels.
    bool HitTest(const Vec2& point) override;
    /// A random point inside the polygon in scene pixels (100 whole-pixel
    /// tries in its bounding box); false when none is found.
    bool GetHintPoint(Vec3& out) override;

    const std::vector<Vec2>& Vertices() const { return vertices; }

    Var RegionText; ///< the property "Region"

private:
    std::vector<Vec2> vertices;
    bool reportedBadText = false;
};
