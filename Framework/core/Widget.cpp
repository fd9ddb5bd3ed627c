#include "core/Widget.h"

#include "core/Log.h"
#include "core/Scene.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr float kDegreesToRadians = 0.017453292f;
}

Widget::Widget() {
    Name.SetFirstString("NewWidget");
    DeclareFloat("Position", Position, 3, this, 0.0f);
    DeclareFloat("Rotation", Rotation, 1, this, 0.0f);
    Rotation.SetHint(Var::kHintAngle);
    DeclareFloat("Scale", Scale, 2, this, 1.0f);
    DeclareFloat("Pivot", Pivot, 2, this, 0.0f);
    DeclareFloat("Color", Color, 4, this, 1.0f);
    DeclareBool("Visible", Visible, 1, this, true);
}

Widget::~Widget() {
    if (parent) {
        DetachChild(parent, this);
    }
    for (Widget* child : children) {
        child->parent = nullptr;
    }
}

bool Widget::Draw() {
    return Visible.FirstBool();
}

bool Widget::IsVisible(bool inherited) const {
    if (!Visible.FirstBool()) {
        return false;
    }
    if (inherited && parent) {
        return parent->IsVisible(true);
    }
    return true;
}

void Widget::GetMatrix(Matrix4& out, int index) const {
    switch (index) {
    case kWorldMatrix:
        out = world;
        break;
    case kLocalMatrix:
        out = local;
        break;
    case kAnchorMatrix:
        out = anchor;
        break;
    default:
        break;
    }
}

void Widget::UpdateWorld(const Matrix4& parentWorld) {
    world = parentWorld * local;
    Vec3 pivotWorld = world.TransformPoint(Vec3{Pivot.GetFloat(0), Pivot.GetFloat(1), 0.0f});
    anchor = Matrix4::Translation(pivotWorld.x, pivotWorld.y, pivotWorld.z);
    depth = world.m[14];
}

bool Widget::TransformChanged() const {
    return Position.IsChanged() || Rotation.IsChanged() || Scale.IsChanged() || Pivot.IsChanged();
}

void Widget::RebuildLocalMatrix() {
    // T(position) · Rz(rotation) · S(scale, 1) · T(−pivot), multiplied out.
    const float radians = Rotation.GetFloat(0) * kDegreesToRadians;
    const float c = std::cos(radians);
    const float s = std::sin(radians);
    const float sx = Scale.GetFloat(0);
    const float sy = Scale.GetFloat(1);
    const float px = Pivot.GetFloat(0);
    const float py = Pivot.GetFloat(1);
    local = Matrix4::Identity();
    local.m[0] = c * sx;
    local.m[1] = s * sx;
    local.m[4] = -s * sy;
    local.m[5] = c * sy;
    local.m[12] = Position.GetFloat(0) - (local.m[0] * px + local.m[4] * py);
    local.m[13] = Position.GetFloat(1) - (local.m[1] * px + local.m[5] * py);
    local.m[14] = Position.GetFloat(2);
}

bool Widget::Resolve() {
    if (TransformChanged()) {
        RebuildLocalMatrix();
    }
    return Element::Resolve();
}

void Widget::EffectiveColor(const float start[4], float out[4]) const {
    for (int i = 0; i < 4; ++i) {
        out[i] = start[i];
    }
    for (const Widget* w = this; w; w = w->parent) {
        for (int i = 0; i < 4; ++i) {
            out[i] *= w->Color.GetFloat(i);
        }
    }
}

bool Widget::HasHiddenAncestor() const {
    for (const Widget* w = parent; w; w = w->parent) {
        if (!w->Visible.FirstBool()) {
            return true;
        }
    }
    return false;
}

void Widget::RaiseHeights(Widget* widget, int32_t childHeight) {
    for (int32_t h = childHeight + 1; widget && widget->height < h; widget = widget->parent, ++h) {
        widget->height = h;
    }
}

void Widget::ReportTooDeep(const Widget& refusedParent) {
    // One line per scene: a hostile file can hold a hundred thousand of them.
    if (scene && scene->nestingRefusals++ > 0) {
        return;
    }
    LogFormat("Widget %s is not placed under %s: widgets nest at most %d deep", GetName(),
              refusedParent.GetName(), kMaxNesting);
}

void Widget::LowerHeights(Widget* widget) {
    for (; widget; widget = widget->parent) {
        int32_t h = 0;
        for (const Widget* child : widget->children) {
            h = std::max(h, child->height + 1);
        }
        if (h == widget->height) {
            return;
        }
        widget->height = h;
    }
}

bool AttachChild(Widget* parent, Widget* child) {
    if (!parent || !child) {
        return false;
    }
    // A widget never becomes its own ancestor: a cycle would make every walk
    // up or down the tree endless (a scene file can name such parents). The
    // walk is short: chains longer than kMaxNesting are refused below.
    int32_t parentDepth = 0;
    for (const Widget* w = parent; w && parentDepth <= Widget::kMaxNesting; w = w->parent, ++parentDepth) {
        if (w == child) {
            return false;
        }
    }
    if (parentDepth + child->height > Widget::kMaxNesting) {
        child->ReportTooDeep(*parent);
        return false;
    }
    auto& siblings = parent->children;
    if (std::find(siblings.begin(), siblings.end(), child) != siblings.end()) {
        return false;
    }
    if (child->parent) {
        DetachChild(child->parent, child);
    }
    siblings.push_back(child);
    child->parent = parent;
    Widget::RaiseHeights(parent, child->height);
    return true;
}

bool DetachChild(Widget* parent, Widget* child) {
    if (!parent || !child) {
        return false;
    }
    auto& siblings = parent->children;
    auto it = std::find(siblings.begin(), siblings.end(), child);
    if (it == siblings.end()) {
        return false;
    }
    siblings.erase(it);
    child->parent = nullptr;
    Widget::LowerHeights(parent);
    return true;
}
