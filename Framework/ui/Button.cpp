#include "ui/Button.h"

#include "audio/Sound.h"
#include "io/Resources.h"
#include "render/RenderState.h"
#include "render/ScreenCamera.h"
#include "render/Sprite.h"
#include "ui/InputManagerCallback.h"
#include "ui/UiSettings.h"

namespace {

// Hit criteria of the sprite hit test.
constexpr int32_t kHitAlpha = 0;

Sprite* SpriteAt(const Var& path) {
    const String& text = path.FirstString();
    return text.Empty() ? nullptr : Resources::FindSprite(text.CStr());
}

} // namespace

void PlaySettingSound(const char* setting, const char* fallback) {
    const String path = GlobalText(setting, fallback);
    if (Sound* sound = Resources::FindSound(path.CStr())) {
        sound->Implementation()->Play(false, 1.0f, 1.0f);
    }
}

Vec2 Button::CursorInScene() {
    const InputManagerCallback& input = GetInputManager();
    return ScreenToScene(Vec2{static_cast<float>(input.mouseX), static_cast<float>(input.mouseY)});
}

Button::Button() {
    Name.SetFirstString("NewButton");
    DeclareString("UpPath", UpPath, 1, this, "");
    DeclareString("DownPath", DownPath, 1, this, "");
    DeclareString("OverPath", OverPath, 1, this, "");
    DeclareString("DisabledPath", DisabledPath, 1, this, "");
    DeclareString("HighlightPath", HighlightPath, 1, this, "");
    DeclareFloat("HighlightOffset", HighlightOffset, 2, this, 0.0f);
    DeclareBool("enablePress", enablePress, 1, this, true);
    DeclareBool("enableHover", enableHover, 1, this, true);
}

bool Button::Resolve() {
    const bool result = Widget::Resolve();
    const bool pathsChanged = UpPath.IsChanged() || DownPath.IsChanged() || OverPath.IsChanged() ||
                              DisabledPath.IsChanged() || HighlightPath.IsChanged();
    if (UpPath.IsChanged()) {
        sprites[kUp] = SpriteAt(UpPath);
    }
    if (DownPath.IsChanged()) {
        sprites[kDown] = SpriteAt(DownPath);
    }
    if (OverPath.IsChanged()) {
        sprites[kOver] = SpriteAt(OverPath);
    }
    if (DisabledPath.IsChanged()) {
        disabled = SpriteAt(DisabledPath);
    }
    if (HighlightPath.IsChanged()) {
        highlight = SpriteAt(HighlightPath);
    }
    // Taken with the sprites only: the raise while highlighted changes the
    // position too, and must not become the new base.
    if (pathsChanged) {
        baseDepth = Position.GetCount() == 3 ? Position.GetFloat(2) : 0.0f;
    }
    return result;
}

Sprite* Button::StateSprite(int32_t which) const {
    return which >= 0 && which < 3 ? sprites[which] : nullptr;
}

bool Button::HitTest(const Vec2& point) {
    Sprite* sprite = StateSprite(state);
    if (!sprite) {
        return false;
    }
    Matrix4 matrix;
    GetMatrix(matrix, kWorldMatrix);
    return sprite->HitTest(matrix, point, kHitAlpha);
}

void Button::Update() {
    Element::Update();
    if (!enablePress.FirstBool() || !Visible.FirstBool()) {
        return;
    }
    const bool raise = highlight && Position.GetCount() == 3;
    if (HitTest(CursorInScene())) {
        if (state == kUp) {
            PlaySettingSound(kOverSoundSetting, kOverSoundDefault);
        }
        if (state != kDown) {
            state = kOver;
        }
        // Drawn above the neighbours while the highlight shows.
        if (raise && Position.GetFloat(2) != baseDepth + 100.0f) {
            Position.SetFloat(2, baseDepth + 100.0f);
        }
    } else {
        state = kUp;
        if (raise && Position.GetFloat(2) != baseDepth) {
            Position.SetFloat(2, baseDepth);
        }
    }
}

bool Button::MouseButton(int32_t button, bool pressed) {
    if (!enablePress.FirstBool() || button != 0 || !HitTest(CursorInScene())) {
        return false;
    }
    // The press is hit-tested itself: a pointer that arrives and presses in
    // one frame has not been seen by the hover pass yet, but is over us.
    if (pressed && (state == kOver || state == kUp)) {
        state = kDown;
        Message(kButtonPressed, this);
        PlaySettingSound(kPressSoundSetting, kPressSoundDefault);
        return true;
    }
    if (!pressed && state == kDown) {
        state = kOver;
        Message(kButtonClicked, this);
        return true;
    }
    return false;
}

bool Button::Draw() {
    if (!Visible.FirstBool()) {
        return false;
    }
    Sprite* sprite = StateSprite(state);
    if (!enablePress.FirstBool()) {
        sprite = disabled;
    } else if (!enableHover.FirstBool() && sprite == sprites[kOver]) {
        sprite = sprites[kUp];
    }
    if (!sprite) {
        return true;
    }
    sprite->Draw();
    if (enablePress.FirstBool() && highlight && state != kUp) {
        RenderStackScope scope;
        RenderStack::SetModelMatrix(WorldMatrix() * Matrix4::Translation(HighlightOffset.GetFloat(0),
                                                                         HighlightOffset.GetFloat(1), 0.0f));
        highlight->Draw();
    }
    return true;
}
