#pragma once
// CheckBox: a frame per state (up, down, over) with a check mark drawn at
// the box's origin while checked; a normal box toggles, a radio box only
// checks itself and unchecks the boxes its "siblings" name.
//
// The state machine is the button's (ui/Button.h). A click toggles on the
// press or on the release ("checkOn"). Every change of "checked" through
// SetChecked sends 300 (checked) or 301 (unchecked) with the box as sender
// to its message parent. The frame's hit test counts any pixel inside it.
//
// Properties (scene-file keys, in this order): sprites (3 sprite links),
// check (sprite link), checked (bool), behavior (0 Normal, 1 Radio),
// checkOn (0 Press, 1 Release), siblings (8 element names),
// hideFrameOnCheck (bool: only the check mark while checked).

#include "core/Link.h"
#include "core/MessageCodes.h"
#include "core/Widget.h"
#include "render/Sprite.h"

#include <cstdint>

enum CheckBoxMessage : int32_t {
    kCheckBoxChecked = message::kCheckBoxChecked,
    kCheckBoxUnchecked = message::kCheckBoxUnchecked,
};

class CheckBox : public Widget {
    ENGINE_CLASS(CheckBox, Widget)

public:
    enum Behavior : int32_t { kNormal = 0, kRadio = 1 };
    enum CheckOn : int32_t { kOnPress = 0, kOnRelease = 1 };
    static constexpr int32_t kSiblingCount = 8;

    CheckBox();

    void Update() override;
    bool MouseButton(int32_t button, bool pressed) override;
    bool Draw() override;
    /// The current state's frame under the box's matrix, any pixel inside.
    bool HitTest(const Vec2& point) override;

    /// Sets "checked" and sends 300 (true) or 301 (false).
    void SetChecked(bool value);

    int32_t state = 0; ///< 0 up, 1 down, 2 over
    /// Screens clear it to make the box ignore the mouse (not a property).
    bool enabled = true;

    Link<Sprite> sprites;
    Link<Sprite> check;
    Var checked;
    Var behavior;
    Var checkOn;
    Var siblings;
    Var hideFrameOnCheck;

private:
    void Toggle();
};
