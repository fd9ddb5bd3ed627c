#include "play/Hotspot.h"

#include "core/Log.h"
#include "render/Region.h"
#include "render/Sprite.h"

Hotspot::Hotspot() {
    Name.SetFirstString("NewHotspot");
    DeclareString("Region", RegionText, 1, this, "");
    for (Var* var : {&Color, &SpritePath, &BlendMode, static_cast<Var*>(&IconPath), &fancyName, &used}) {
        var->flags &= ~Var::kSaved;
    }
}

Hotspot::~Hotspot() = default;

bool Hotspot::Resolve() {
    if (RegionText.IsChanged()) {
        const char* problem = nullptr;
        if (!ParsePolygon(RegionText.FirstString().CStr(), vertices, &problem) && !reportedBadText) {
            LogFormat("Hotspot %s: the polygon \"%s\" does not parse (%s); %zu vertices kept", GetName(),
                      RegionText.FirstString().CStr(), problem, vertices.size());
            reportedBadText = true;
        }
    }
    return Doodad::Resolve();
}

bool Hotspot::Draw() {
    return true;
}

bool Hotspot::HitTest(const Vec2& point) {
    if (!IsVisible(true) || vertices.size() < 3) {
        return false;
    }
    return PolygonContains(vertices, WorldMatrix().Inverse().TransformPoint(point));
}

bool Hotspot::GetHintPoint(Vec3& out) {
    Vec3 local;
    if (!PolygonRandomPoint(vertices, local)) {
        return false;
    }
    out = WorldMatrix().TransformPoint(local);
    return true;
}
