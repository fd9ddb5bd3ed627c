#include "ui/Scrollbar.h"

#include "render/RenderState.h"
#include "ui/Button.h"
#include "ui/InputManagerCallback.h"

#include <algorithm>

namespace {

constexpr int32_t kHitDefault = -1;
constexpr int32_t kNormal = 0, kHover = 1, kPressed = 2;

float SpriteHeight(Sprite* sprite) {
    return sprite ? static_cast<float>(sprite->Height()) : 0.0f;
}

} // namespace

Scrollbar::Scrollbar() {
    Name.SetFirstString("NewScrollbar");
    DeclareFloat("length", length, 1, this, 200.0f);
    DeclareInt("range", range, 2, this, 0);
    DeclareInt("value", value, 1, this, 0);
    DeclareInt("pageIncrement", pageIncrement, 1, this, 10);
    DeclareString("less", less, 3, this, "");
    DeclareString("more", more, 3, this, "");
    DeclareString("thumb", thumb, 1, this, "");
}

bool Scrollbar::Inert() const {
    return less.HasUnresolved() || more.HasUnresolved() || thumb.HasUnresolved();
}

float Scrollbar::TrackLength() const {
    if (Inert()) {
        return 0.0f;
    }
    const float track = length.FirstFloat() - SpriteHeight(less.Get(0)) - SpriteHeight(more.Get(0)) -
                        SpriteHeight(thumb.Get(0));
    return std::max(track, 0.0f);
}

float Scrollbar::ThumbTop() const {
    const int32_t minimum = range.GetInt(0);
    const int32_t span = range.GetInt(1) - minimum;
    float fraction = 0.0f;
    if (span > 0) {
        fraction =
            std::clamp(static_cast<float>(value.FirstInt() - minimum) / static_cast<float>(span), 0.0f, 1.0f);
    }
    return SpriteHeight(less.Get(0)) + fraction * TrackLength();
}

bool Scrollbar::HitTest(const Vec2& point) {
    Sprite* up = less.Get(0);
    if (!up) {
        return false;
    }
    const Vec2 local = WorldMatrix().Inverse().TransformPoint(point);
    const float bottom = static_cast<float>(static_cast<int32_t>(length.FirstFloat()));
    return local.x >= 0.0f && local.x <= static_cast<float>(up->Width()) && local.y >= 0.0f &&
           local.y <= bottom;
}

Scrollbar::Part Scrollbar::PartAt(const Vec2& point) {
    if (Inert() || !HitTest(point)) {
        return kNone;
    }
    const Matrix4& world = WorldMatrix();
    const float moreTop = length.FirstFloat() - SpriteHeight(more.Get(0));
    const float thumbTop = ThumbTop();
    if (less.Get(0)->HitTest(world, point, kHitDefault)) {
        return kLessArrow;
    }
    if (more.Get(0)->HitTest(world * Matrix4::Translation(0.0f, moreTop, 0.0f), point, kHitDefault)) {
        return kMoreArrow;
    }
    if (thumb.Get(0)->HitTest(world * Matrix4::Translation(0.0f, thumbTop, 0.0f), point, kHitDefault)) {
        return kThumb;
    }
    const float y = world.Inverse().TransformPoint(point).y;
    if (y < thumbTop) {
        return kTrackLess;
    }
    if (y > thumbTop + SpriteHeight(thumb.Get(0))) {
        return kTrackMore;
    }
    return kNone;
}

void Scrollbar::Step(int32_t delta) {
    Message(kScrollPressed, this);
    const int32_t minimum = range.GetInt(0);
    const int32_t maximum = std::max(range.GetInt(1), minimum);
    const int64_t stepped = static_cast<int64_t>(value.FirstInt()) + delta;
    value.SetFirstInt(static_cast<int32_t>(std::clamp<int64_t>(stepped, minimum, maximum)));
    Message(kScrollChanged, this);
    Message(kScrollReleased, this);
}

bool Scrollbar::MouseButton(int32_t button, bool pressed) {
    if (!pressed) {
        if (dragging) {
            dragging = false;
            Message(kScrollReleased, this);
        }
        return false;
    }
    if (button != 0) {
        return false;
    }
    const Vec2 cursor = Button::CursorInScene();
    const int32_t page = pageIncrement.FirstInt();
    switch (PartAt(cursor)) {
    case kThumb:
        dragging = true;
        grabOffset = WorldMatrix().Inverse().TransformPoint(cursor).y - ThumbTop();
        Message(kScrollPressed, this);
        return true;
    case kLessArrow:
        Step(-1);
        return true;
    case kMoreArrow:
        Step(1);
        return true;
    case kTrackLess:
        Step(-page);
        return true;
    case kTrackMore:
        Step(page);
        return true;
    case kNone:
        break;
    }
    return false;
}

bool Scrollbar::HoverTest() {
    const Vec2 cursor = Button::CursorInScene();
    if (!dragging || Inert() || !HitTest(cursor)) {
        return false;
    }
    const float track = TrackLength();
    const int32_t minimum = range.GetInt(0);
    const int32_t span = std::max(range.GetInt(1) - minimum, 0);
    int32_t next = minimum;
    if (track >= 1.0f) {
        const float top = WorldMatrix().Inverse().TransformPoint(cursor).y - grabOffset;
        const float y = std::clamp(top - SpriteHeight(less.Get(0)), 0.0f, track);
        // Rounded, so the thumb lands on the nearest value rather than the one above it.
        next = minimum + static_cast<int32_t>(static_cast<float>(span) * y / track + 0.5f);
    }
    value.SetFirstInt(std::clamp(next, minimum, minimum + span));
    Message(kScrollChanged, this);
    return true;
}

bool Scrollbar::Draw() {
    if (Inert() || !Visible.FirstBool()) {
        return false;
    }
    const Vec2 cursor = Button::CursorInScene();
    const Part hovered = dragging ? kNone : PartAt(cursor);
    const bool held = GetInputManager().leftButtonDown;
    auto face = [&](Part part) { return hovered != part ? kNormal : (held ? kPressed : kHover); };
    const Matrix4& world = WorldMatrix();
    RenderStackScope scope;
    less.Get(face(kLessArrow))->Draw();
    RenderStack::SetModelMatrix(
        world * Matrix4::Translation(0.0f, length.FirstFloat() - SpriteHeight(more.Get(0)), 0.0f));
    more.Get(face(kMoreArrow))->Draw();
    RenderStack::SetModelMatrix(world * Matrix4::Translation(0.0f, ThumbTop(), 0.0f));
    thumb.Get(0)->Draw();
    return true;
}

void SetScrollRange(Scrollbar* bar, int32_t max) {
    if (bar && bar->range.GetCount() == 2) {
        bar->range.SetInt(0, 0);
        bar->range.SetInt(1, max);
    }
}

void SetScrollValue(Scrollbar* bar, int32_t v) {
    if (bar) {
        bar->value.SetFirstInt(v);
    }
}
