#pragma once
// ScreenBackground: the half-size, blurred copy of a picture drawn beneath
// screens that ask for a backdrop, and behind the loading picture.
//
// The background is a sprite of half the display size in each direction,
// allocated once with a scratch buffer of the full display size. Capture
// reads the frame buffer into the scratch buffer and keeps every second
// pixel of every second row, starting with the first pixel of the first
// row; its rows stay as OpenGL gives them (bottom first), so the picture is
// drawn mirrored, scaled to cover the whole display. Files are written and
// read with the top row first; loading resamples a picture of any size to
// the background's size. Main thread only.

#include "render/Sprite.h"

#include <cstdint>
#include <memory>

class ScreenBackground {
public:
    static constexpr int32_t kBlurRadius = 2;

    /// Half-size sprite and full-size scratch buffer; false when either
    /// cannot be made (captures then do nothing).
    bool Allocate();
    void Release();

    /// Reads the frame buffer into the background, optionally blurs it,
    /// resets its brightness to 0 and marks it for upload. False when the
    /// buffers are missing.
    bool Capture(bool blur);
    /// Draws the background over the whole picture: white, blending and
    /// alpha test off, mirrored, scaled to the display size.
    void Draw();
    /// Clamped to −1 … 1; each colour channel is offset by brightness × 64
    /// at upload. Uploads again at once.
    void SetBrightness(float value);
    float Brightness() const { return picture.Brightness(); }

    /// Captures, blurs and writes the background as a TGA file at `path`.
    /// False (logged) when the capture or the write fails.
    bool Save(const char* path);
    /// Loads the picture at `path` into the background; false (the
    /// background unchanged) when it does not load.
    bool Load(const char* path);

    /// Set once the background holds a picture (captured or loaded); the
    /// loading picture draws it only then.
    bool HasPicture() const { return hasPicture; }
    Sprite& Picture() { return picture; }

private:
    Sprite picture;
    std::unique_ptr<uint8_t[]> scratch;
    int32_t scratchWidth = 0;
    int32_t scratchHeight = 0;
    bool hasPicture = false;
};
