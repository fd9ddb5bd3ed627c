#include "ui/CheckBox.h"

#include "core/Scene.h"
#include "ui/Button.h"

namespace {

constexpr int32_t kUp = 0, kDown = 1, kOver = 2;
constexpr int32_t kHitRectangle = 2;

} // namespace

CheckBox::CheckBox() {
    Name.SetFirstString("NewCheckBox");
    DeclareString("sprites", sprites, 1, this, "gui/Checkbox/checkbox_up.png");
    sprites.AddString("gui/Checkbox/checkbox_down.png");
    sprites.AddString("gui/Checkbox/checkbox_over.png");
    DeclareString("check", check, 1, this, "gui/Checkbox/checkbox_check.png");
    DeclareBool("checked", checked, 1, this, false);
    DeclareInt("behavior", behavior, 1, this, kNormal);
    behavior.AddValueName("Normal", kNormal);
    behavior.AddValueName("Radio", kRadio);
    DeclareInt("checkOn", checkOn, 1, this, kOnRelease);
    checkOn.AddValueName("Press", kOnPress);
    checkOn.AddValueName("Release", kOnRelease);
    DeclareString("siblings", siblings, kSiblingCount, this, "");
    DeclareBool("hideFrameOnCheck", hideFrameOnCheck, 1, this, false);
}

bool CheckBox::HitTest(const Vec2& point) {
    Sprite* frame = sprites.Get(state);
    if (!frame) {
        return false;
    }
    Matrix4 matrix;
    GetMatrix(matrix, kWorldMatrix);
    return frame->HitTest(matrix, point, kHitRectangle);
}

void CheckBox::Update() {
    Element::Update();
    if (!enabled) {
        return;
    }
    if (!HitTest(Button::CursorInScene())) {
        state = kUp;
    } else if (state != kDown) {
        state = kOver;
    }
}

bool CheckBox::MouseButton(int32_t button, bool pressed) {
    if (!enabled || button != 0 || !HitTest(Button::CursorInScene())) {
        return false;
    }
    // As for buttons: the press is hit-tested itself, so a press in the
    // frame the pointer arrives counts.
    if ((state == kOver || state == kUp) && pressed) {
        if (checkOn.FirstInt() == kOnPress) {
            Toggle();
        }
        state = kDown;
    } else if (state == kDown && !pressed) {
        if (checkOn.FirstInt() == kOnRelease) {
            Toggle();
        }
        state = kOver;
    }
    return true;
}

void CheckBox::SetChecked(bool value) {
    checked.SetFirstBool(value);
    Message(value ? kCheckBoxChecked : kCheckBoxUnchecked, this);
}

void CheckBox::Toggle() {
    if (behavior.FirstInt() != kRadio) {
        SetChecked(!checked.FirstBool());
        return;
    }
    if (checked.FirstBool()) {
        return; // a radio box is unchecked only by checking another
    }
    for (int32_t i = 0; i < kSiblingCount && scene; ++i) {
        const String& name = siblings.GetString(i);
        if (name.Empty()) {
            continue;
        }
        if (auto* sibling = ObjectCast<CheckBox>(scene->FindElement(name.CStr(), "CheckBox"))) {
            if (sibling != this) {
                sibling->SetChecked(false);
            }
        }
    }
    SetChecked(true);
}

bool CheckBox::Draw() {
    if (!Visible.FirstBool() || sprites.HasUnresolved() || check.HasUnresolved()) {
        return false;
    }
    const bool isChecked = checked.FirstBool();
    if (!(hideFrameOnCheck.FirstBool() && isChecked)) {
        if (Sprite* frame = sprites.Get(state)) {
            frame->Draw();
        }
    }
    if (isChecked) {
        if (Sprite* mark = check.Get(0)) {
            mark->Draw();
        }
    }
    return true;
}
