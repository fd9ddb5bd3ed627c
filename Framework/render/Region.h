#pragma once
// Region: a polygonal area for clicks and particle spawning.
//
// "Region" holds the polygon as a comma-separated list of numbers
// x1, y1, x2, y2, ... in the widget's own pixels (x right, y down); the last
// vertex joins the first. The polygon is rebuilt in the resolve step whenever
// the text changes. A region draws nothing; its "Color" is not saved.
//
// Inside means an odd number of edge crossings of a ray to the left, with
// each edge counting its lower end (larger y) but not its upper one: on a
// square, a point on the top edge is outside and one on the bottom edge
// inside, so that squares sharing an edge never both claim a point.

#include "core/Widget.h"

#include <vector>

class Region : public Widget {
    ENGINE_CLASS(Region, Widget)

public:
    Region();

    bool Resolve() override;
    /// True when `point` (screen pixels, mapped through the inverse of the
    /// world matrix) lies inside; false with fewer than 3 vertices.
    bool HitTest(const Vec2& point) override;
    /// True when the local `point` lies inside the polygon.
    bool ContainsLocal(const Vec2& point) const;
    /// A random point inside the polygon, in the widget's own pixels (z 0):
    /// up to 100 whole-pixel tries in the bounding box. False after 100
    /// misses, without vertices, or when the box has no width or height.
    bool RandomPoint(Vec3& out) const;

    const std::vector<Vec2>& Vertices() const { return vertices; }

    Var RegionText; ///< the property "Region"

private:
    std::vector<Vec2> vertices;
    bool reportedBadText = false;
};

/// Reads a polygon text into `out` (cleared first): numbers split at commas,
/// taken in pairs. Returns false, with the pairs read before the fault kept,
/// when an item is not a number or the count is odd; `problem` then names the
/// fault. Fewer than three vertices parse but enclose nothing.
bool ParsePolygon(const char* text, std::vector<Vec2>& out, const char** problem = nullptr);

/// The inside rule above for `point` against the closed polygon `vertices`;
/// false with fewer than 3 vertices.
bool PolygonContains(const std::vector<Vec2>& vertices, const Vec2& point);
/// Region::RandomPoint for any polygon.
bool PolygonRandomPoint(const std::vector<Vec2>& vertices, Vec3& out);
