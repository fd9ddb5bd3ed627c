#include "ui/Slider.h"

#include "io/Resources.h"
#include "render/RenderState.h"
#include "render/Sprite.h"
#include "ui/Button.h"

#include <algorithm>

namespace {

constexpr int32_t kHitRectangle = 2;

Sprite* SpriteAt(const Var& path) {
    const String& text = path.FirstString();
    if (text.Empty() || text == "null") {
        return nullptr;
    }
    return Resources::FindSprite(text.CStr());
}

} // namespace

Slider::Slider() {
    Name.SetFirstString("NewSlider");
    DeclareString("Frame", Frame, 1, this, "null");
    DeclareString("NibUp", NibUp, 1, this, "null");
    DeclareString("NibDown", NibDown, 1, this, "null");
    DeclareString("NibOver", NibOver, 1, this, "null");
    DeclareFloat("Start", Start, 2, this, 0.0f);
    DeclareFloat("End", End, 2, this, 0.0f);
    DeclareFloat("Value", Value, 1, this, 0.0f);
}

bool Slider::Resolve() {
    const bool result = Widget::Resolve();
    if (Frame.IsChanged()) {
        frame = SpriteAt(Frame);
    }
    if (NibUp.IsChanged()) {
        nibUp = SpriteAt(NibUp);
    }
    if (NibDown.IsChanged()) {
        nibDown = SpriteAt(NibDown);
    }
    if (NibOver.IsChanged()) {
        nibOver = SpriteAt(NibOver);
    }
    return result;
}

float Slider::ValueAt(const Vec2& point) const {
    const float x = WorldMatrix().Inverse().TransformPoint(point).x;
    const float start = Start.GetFloat(0);
    const float end = End.GetFloat(0);
    if (x >= end) {
        return 1.0f;
    }
    if (x <= start) {
        return 0.0f;
    }
    return std::clamp((x - start) / (end - start), 0.0f, 1.0f);
}

Matrix4 Slider::NibMatrix() const {
    const float value = Value.FirstFloat();
    const int32_t halfWidth = nibUp ? nibUp->Width() / 2 : 0;
    const int32_t halfHeight = nibUp ? nibUp->Height() / 2 : 0;
    const float x = Start.GetFloat(0) + value * (End.GetFloat(0) - Start.GetFloat(0)) - halfWidth;
    const float y = Start.GetFloat(1) + value * (End.GetFloat(1) - Start.GetFloat(1)) - halfHeight;
    return WorldMatrix() * Matrix4::Translation(x, y, 0.0f);
}

bool Slider::HitTest(const Vec2& point) {
    if (frame && frame->HitTest(WorldMatrix(), point, kHitRectangle)) {
        return true;
    }
    return nibUp && nibUp->HitTest(NibMatrix(), point, kHitRectangle);
}

bool Slider::MouseButton(int32_t button, bool pressed) {
    if (button != 0) {
        return false;
    }
    const Vec2 cursor = Button::CursorInScene();
    if (pressed) {
        if (!HitTest(cursor)) {
            return false;
        }
        Value.SetFirstFloat(ValueAt(cursor));
        dragging = true;
        return true;
    }
    if (!dragging) {
        return false;
    }
    dragging = false;
    Value.SetFirstFloat(ValueAt(cursor));
    Message(kSliderReleased, this);
    return true;
}

void Slider::Update() {
    if (dragging) {
        const float value = ValueAt(Button::CursorInScene());
        if (value != Value.FirstFloat()) {
            Value.SetFirstFloat(value);
            Message(kSliderMoved, this);
        }
    }
    Element::Update();
}

bool Slider::Draw() {
    if (!Visible.FirstBool()) {
        return false;
    }
    if (frame) {
        frame->Draw();
    }
    Sprite* nib = nibUp;
    if (dragging) {
        nib = nibDown;
    } else if (HitTest(Button::CursorInScene())) {
        nib = nibOver;
    }
    if (!nib) {
        nib = nibUp; // a missing pressed or hover face shows the resting one
    }
    if (nib) {
        RenderStackScope scope;
        RenderStack::SetModelMatrix(NibMatrix());
        nib->Draw();
    }
    return true;
}
