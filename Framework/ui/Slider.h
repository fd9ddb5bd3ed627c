#pragma once
// Slider: a horizontal value control, 0 to 1, drawn as a frame picture and a
// nib that the player drags along it.
//
// "Start" and "End" are the nib centre at values 0 and 1 in the slider's own
// pixels (before its matrix); only their x counts when a point becomes a
// value. A left press on the frame or the nib sets the value from the cursor
// at once and starts a drag; while dragging, every update that finds a new
// value stores it and sends 500; the release stores the value under the
// cursor and sends 501. Messages go with the slider as sender to its message
// parent (the screen). Sprites belong to the resource cache.
//
// Properties (scene-file keys, in this order): Frame, NibUp, NibDown,
// NibOver (sprite paths, "null" for none), Start (float[2]), End (float[2]),
// Value (float, 0 … 1).

#include "core/MessageCodes.h"
#include "core/Widget.h"

#include <cstdint>

class Sprite;

enum SliderMessage : int32_t {
    kSliderMoved = message::kFirstSlider,   ///< the value changed during a drag
    kSliderReleased = message::kLastSlider, ///< the drag ended
};

class Slider : public Widget {
    ENGINE_CLASS(Slider, Widget)

public:
    Slider();

    /// Reloads each sprite whose path changed.
    bool Resolve() override;
    /// While dragging, follows the cursor (500 on a change); then the timed messages.
    void Update() override;
    /// Left button only: see the header comment.
    bool MouseButton(int32_t button, bool pressed) override;
    bool Draw() override;
    /// The frame under the world matrix or the resting nib under the nib
    /// matrix; any pixel inside counts.
    bool HitTest(const Vec2& point) override;

    /// The value a point (scene pixels) stands for: 0 left of "Start", 1 at
    /// or right of "End", linear between.
    float ValueAt(const Vec2& point) const;
    /// The world matrix moved to the nib's top-left corner for the current value.
    Matrix4 NibMatrix() const;

    bool dragging = false;

    Var Frame;
    Var NibUp;
    Var NibDown;
    Var NibOver;
    Var Start;
    Var End;
    Var Value;

private:
    Sprite* frame = nullptr;
    Sprite* nibUp = nullptr;
    Sprite* nibDown = nullptr;
    Sprite* nibOver = nullptr;
};
