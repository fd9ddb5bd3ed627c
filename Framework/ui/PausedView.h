#pragma once
// PausedView: what the window shows while the game is in the background: a
// strongly blurred still of the last picture with the paused caption.
//
// The still is a sprite of the display size, allocated once, read from the
// frame buffer on the first background frame (bottom row first, so it is
// drawn mirrored) and blurred with radius 5. The caption is drawn in the
// drawing font at (−W/2, −2H) from the centre of the picture: W is its width
// in that font, so it is centred, and H the measuring font's height value.
// Main thread only.

#include "core/String.h"
#include "render/Sprite.h"

#include <cstdint>

/// The text operations the caption needs from a font.
class CaptionFont {
public:
    virtual ~CaptionFont() = default;
    virtual float TextWidth(const char* text) = 0;
    /// The font's height value (its nominal line height in pixels).
    virtual float HeightValue() = 0;
    /// Draws `text` with its top-left corner at the current model origin.
    virtual void DrawText(const char* text) = 0;
};

struct PausedCaption {
    String text;                    ///< empty: no caption
    CaptionFont* measure = nullptr; ///< height value
    CaptionFont* draw = nullptr;    ///< the drawing font, which also gives the width
};

class PausedView {
public:
    static constexpr int32_t kBlurRadius = 5;

    /// The still at the display size; false when it cannot be made.
    bool Allocate();
    void Release();

    /// Reads the frame buffer into the still and blurs it. False when the
    /// still does not have the display size.
    bool Capture();
    /// Draws the still over the whole picture, then the caption (when it
    /// has text and both fonts).
    void Draw(const PausedCaption& caption);

    Sprite& Still() { return still; }

private:
    Sprite still;
};
