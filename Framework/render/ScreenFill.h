#pragma once
// ScreenFill: fills the whole screen in the widget's colour.
//
// Draws one untextured quad of the display size, whatever the widget's
// transform, in its effective colour (the colours of it and its ancestors)
// with its "BlendMode": a fade to black, a tint over the scene below. Its
// "Position", "Rotation" and "Scale" are not saved.

#include "core/Widget.h"

class ScreenFill : public Widget {
    ENGINE_CLASS(ScreenFill, Widget)

public:
    ScreenFill();

    /// False when not visible.
    bool Draw() override;

    Var BlendMode;
};
