#pragma once
// GameScreenShake: the level screen's camera shake.
//
// While running, each step offsets the view by (u·f, v·f) pixels, u and v
// uniform in [−magnitude, +magnitude] and f = 1 − elapsed / duration, so the
// shake dies away linearly; the 2D view is zoomed a little with it (zoom
// factor × (|offset| + 1) / half the screen size per axis), which keeps the
// uncovered edges small. When the time is up offset and zoom return to zero.

#include "core/Matrix.h"

class GameScreenShake {
public:
    /// Starts (or restarts) a shake of `duration` seconds and `magnitude`
    /// pixels. A duration ≤ 0 or a magnitude < 0 starts nothing.
    void Start(float duration, float magnitude);
    /// Advances by `dt`; false when no shake ran. `zoomFactor` is Globals
    /// "CameraShakeZoom", `halfScreen` half the display size in pixels.
    bool Step(float dt, float zoomFactor, const Vec2& halfScreen);
    /// Stops at once: offset and zoom zero.
    void Stop();

    bool Running() const { return elapsed < duration; }
    const Vec2& Offset() const { return offset; }
    const Vec2& Zoom() const { return zoom; }
    bool HasOffset() const { return offset.x != 0.0f || offset.y != 0.0f; }

private:
    float duration = 0.0f;
    float elapsed = 0.0f;
    float magnitude = 0.0f;
    Vec2 offset;
    Vec2 zoom;
};
