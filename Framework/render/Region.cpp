#include "render/Region.h"

#include "core/Log.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

bool ParsePolygon(const char* text, std::vector<Vec2>& out, const char** problem) {
    out.clear();
    if (problem) {
        *problem = nullptr;
    }
    if (!text) {
        return true;
    }
    float pending = 0.0f;
    bool havePending = false;
    const char* cursor = text;
    while (true) {
        while (*cursor == ' ' || *cursor == '\t') {
            ++cursor;
        }
        const char* end = std::strchr(cursor, ',');
        const size_t length = end ? static_cast<size_t>(end - cursor) : std::strlen(cursor);
        if (length == 0 && !end && !havePending) {
            return true; // the text is used up (an empty text, or a trailing comma)
        }
        char item[64];
        if (length >= sizeof item) {
            if (problem) {
                *problem = "a number is too long";
            }
            return false;
        }
        std::memcpy(item, cursor, length);
        item[length] = '\0';
        char* parsedEnd = nullptr;
        const float value = std::strtof(item, &parsedEnd);
        while (parsedEnd && (*parsedEnd == ' ' || *parsedEnd == '\t')) {
            ++parsedEnd;
        }
        if (length == 0 || parsedEnd == item || *parsedEnd != '\0' || !std::isfinite(value)) {
            if (problem) {
                *problem =
                    length == 0 && !end ? "the numbers do not come in pairs" : "an item is not a number";
            }
            return false;
        }
        if (havePending) {
            out.push_back(Vec2{pending, value});
        } else {
            pending = value;
        }
        havePending = !havePending;
        if (!end) {
            break;
        }
        cursor = end + 1;
    }
    if (havePending) {
        if (problem) {
            *problem = "the numbers do not come in pairs";
        }
        return false;
    }
    return true;
}

Region::Region() {
    Name.SetFirstString("NewRegion");
    DeclareString("Region", RegionText, 1, this, "");
    Color.flags &= ~Var::kSaved;
}

bool Region::Resolve() {
    if (RegionText.IsChanged()) {
        const char* problem = nullptr;
        if (!ParsePolygon(RegionText.FirstString().CStr(), vertices, &problem) && !reportedBadText) {
            LogFormat("Region %s: the polygon \"%s\" does not parse (%s); %zu vertices kept", GetName(),
                      RegionText.FirstString().CStr(), problem, vertices.size());
            reportedBadText = true;
        }
    }
    return Widget::Resolve();
}

bool Region::ContainsLocal(const Vec2& point) const {
    return PolygonContains(vertices, point);
}

bool PolygonContains(const std::vector<Vec2>& vertices, const Vec2& point) {
    const size_t count = vertices.size();
    if (count < 3) {
        return false;
    }
    int crossings = 0;
    for (size_t i = 0; i < count; ++i) {
        const Vec2& a = vertices[i];
        const Vec2& b = vertices[(i + 1) % count];
        if (point.y > std::min(a.y, b.y) && point.y <= std::max(a.y, b.y) && point.x <= std::max(a.x, b.x) &&
            a.y != b.y && (a.x == b.x || point.x <= a.x + (b.x - a.x) * (point.y - a.y) / (b.y - a.y))) {
            ++crossings;
        }
    }
    return (crossings & 1) != 0;
}

bool Region::HitTest(const Vec2& point) {
    if (vertices.size() < 3) {
        return false;
    }
    return ContainsLocal(WorldMatrix().Inverse().TransformPoint(point));
}

bool Region::RandomPoint(Vec3& out) const {
    return PolygonRandomPoint(vertices, out);
}

bool PolygonRandomPoint(const std::vector<Vec2>& vertices, Vec3& out) {
    if (vertices.empty()) {
        return false;
    }
    Vec2 low = vertices[0];
    Vec2 high = vertices[0];
    for (const Vec2& v : vertices) {
        low.x = std::min(low.x, v.x);
        low.y = std::min(low.y, v.y);
        high.x = std::max(high.x, v.x);
        high.y = std::max(high.y, v.y);
    }
    // Whole-pixel spans; a box too large for an int is no spawn area.
    const float spanX = std::trunc(high.x - low.x);
    const float spanY = std::trunc(high.y - low.y);
    if (spanX < 1.0f || spanY < 1.0f || spanX > 1.0e9f || spanY > 1.0e9f) {
        return false;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        const Vec2 candidate{float(std::rand() % int(spanX)) + low.x,
                             float(std::rand() % int(spanY)) + low.y};
        if (PolygonContains(vertices, candidate)) {
            out = Vec3{candidate.x, candidate.y, 0.0f};
            return true;
        }
    }
    return false;
}
