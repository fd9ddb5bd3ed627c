#pragma once
// Button: a widget showing one sprite per state (up, down, over, disabled)
// with an optional highlight drawn on top while over or pressed.
//
// State machine, driven by the cursor the button tests itself every update:
// up -> over when the cursor enters; over -> down on a left press (message
// 200 and the press sound); down -> over on a left release over it (message
// 201, the click); over or down -> up when an update finds the cursor
// outside, so a press dragged off the button never clicks. Messages go with
// the button as sender through its own Message to its message parent (the
// screen). Entering an enabled button plays the over sound; a release plays
// nothing. The hit test uses the current state's sprite and the pixel's
// alpha. Sprites belong to the resource cache.
//
// Properties (scene-file keys, in this order): UpPath, DownPath, OverPath,
// DisabledPath, HighlightPath (sprite paths), HighlightOffset (float[2]),
// enablePress (bool, true: false shows the disabled face and ignores the
// mouse), enableHover (bool, true: false shows the up face instead of over).

#include "core/MessageCodes.h"
#include "core/Widget.h"

#include <cstdint>

class Sprite;

/// Messages a button sends.
enum ButtonMessage : int32_t {
    kButtonPressed = message::kButtonPressed,
    kButtonClicked = message::kButtonClicked,
};

class Button : public Widget {
    ENGINE_CLASS(Button, Widget)

public:
    enum State : int32_t { kUp = 0, kDown = 1, kOver = 2 };

    /// Globals settings naming the sounds of a press and of entering a button.
    static constexpr const char* kPressSoundSetting = "Sound_ButtonDown";
    static constexpr const char* kPressSoundDefault = "audio/button_down.ogg";
    static constexpr const char* kOverSoundSetting = "Sound_ButtonOver";
    static constexpr const char* kOverSoundDefault = "audio/button_over.ogg";

    Button();

    bool Resolve() override;
    void Update() override;
    bool MouseButton(int32_t button, bool pressed) override;
    bool Draw() override;
    /// The current state's sprite under the button's matrix, alpha criterion.
    bool HitTest(const Vec2& point) override;

    /// The cursor in scene coordinates, as every control tests it.
    static Vec2 CursorInScene();

    int32_t state = kUp;

    Var UpPath;
    Var DownPath;
    Var OverPath;
    Var DisabledPath;
    Var HighlightPath;
    Var HighlightOffset;
    Var enablePress;
    Var enableHover;

protected:
    /// The sprite of a state (up, down, over); null when it has none.
    Sprite* StateSprite(int32_t which) const;

    Sprite* sprites[3] = {nullptr, nullptr, nullptr}; ///< up, down, over
    Sprite* disabled = nullptr;
    Sprite* highlight = nullptr;
    float baseDepth = 0.0f;
};

/// Plays the sound a Globals setting names (its default when the setting is
/// missing) once at volume 1, pitch 1; nothing when it does not load.
void PlaySettingSound(const char* setting, const char* fallback);
