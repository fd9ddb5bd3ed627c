#include "menus/Waypoint.h"

#include "core/Log.h"
#include "core/Scene.h"
#include "data/Options.h"
#include "render/RenderState.h"
#include "render/ScreenDraw.h"

#include <algorithm>
#include <cmath>

Matrix4 SceneMatrixOf(const Widget& widget) {
    Matrix4 matrix = widget.LocalMatrix();
    int32_t depth = 0;
    for (const Widget* up = widget.Parent(); up && up != widget.scene && depth < Widget::kMaxNesting;
         up = up->Parent(), ++depth) {
        matrix = up->LocalMatrix() * matrix;
    }
    return matrix;
}

Vec2 ScenePositionOf(const Widget& widget) {
    const Matrix4 matrix = SceneMatrixOf(widget);
    return Vec2{matrix.m[12], matrix.m[13]};
}

Waypoint::Waypoint() {
    Name.SetFirstString("NewWaypoint");
    DeclareString("proxy", proxy, 1, this, "");
    DeclareString("neighbors", neighbors, kMaxNeighbours, this, "");
    table.reserve(kMaxNeighbours);
}

bool Waypoint::Resolve() {
    const bool rebuild = neighbors.IsChanged();
    Widget::Resolve();
    if (rebuild) {
        RebuildNeighbourTable();
    }
    return true;
}

bool Waypoint::Lists(const Waypoint& other) const {
    return std::find(table.begin(), table.end(), &other) != table.end();
}

void Waypoint::RebuildNeighbourTable() {
    // Links other waypoints made back to this one stay; the names decide the rest.
    std::vector<Waypoint*> previous;
    previous.swap(table);
    table.reserve(kMaxNeighbours);
    for (int32_t i = 0; i < neighbors.GetCount(); ++i) {
        const String& name = neighbors.GetString(i);
        if (name.Empty()) {
            continue;
        }
        Element* found = scene ? scene->FindElement(name.CStr(), "Waypoint") : nullptr;
        Waypoint* neighbour = static_cast<Waypoint*>(found);
        if (!neighbour || neighbour == this) {
            LogFormat("Map: waypoint \"%s\" lists \"%s\", which is not another waypoint of its scene; erased",
                      GetName(), name.CStr());
            neighbors.SetString(i, "");
            continue;
        }
        if (!Lists(*neighbour)) {
            table.push_back(neighbour);
        }
        LinkBack(*neighbour);
    }
}

void Waypoint::LinkBack(Waypoint& other) {
    if (other.Lists(*this)) {
        return;
    }
    for (int32_t i = 0; i < other.neighbors.GetCount(); ++i) {
        if (other.neighbors.GetString(i).Equals(GetName())) {
            // Listed by name but not resolved yet: its own rebuild adds us.
            other.table.push_back(this);
            return;
        }
    }
    for (int32_t i = 0; i < other.neighbors.GetCount(); ++i) {
        if (other.neighbors.GetString(i).Empty()) {
            other.neighbors.SetString(i, GetName());
            other.table.push_back(this);
            return;
        }
    }
}

bool Waypoint::HitTest(const Vec2& point) {
    const String& name = proxy.FirstString();
    auto* area =
        name.Empty() || !scene ? nullptr : ObjectCast<Bitmap>(scene->FindElement(name.CStr(), "Bitmap"));
    return area && area->HitTest(point);
}

bool Waypoint::Draw() {
    const Options* settings = GetOptions();
    if (!settings || !settings->Editing.FirstBool()) {
        return false;
    }
    // A thin untextured bar along each link, in world coordinates.
    RenderStackScope scope;
    RenderStack::SetTexturing(false);
    RenderStack::SetColor(1.0f, 0.9f, 0.2f, 0.8f);
    const Vec2 here{WorldMatrix().m[12], WorldMatrix().m[13]};
    for (const Waypoint* neighbour : table) {
        const float dx = neighbour->WorldMatrix().m[12] - here.x;
        const float dy = neighbour->WorldMatrix().m[13] - here.y;
        const float length = std::sqrt(dx * dx + dy * dy);
        if (length < 1.0f) {
            continue;
        }
        RenderStack::SetModelMatrix(Matrix4::Translation(here.x, here.y, 0.0f) *
                                    Matrix4::RotationZ(std::atan2(dy, dx)));
        DrawRectQuad(Vec2{0.0f, -1.0f}, Vec2{length, 1.0f});
    }
    return true;
}
