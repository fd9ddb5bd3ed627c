#pragma once
// ScreenTransition: the effect drawn over the new screens after a push, a
// pop or a change of the game's scene, made from a snapshot of the picture taken when it
// started.
//
// The snapshot is a sprite of the display size, allocated once, into which
// the frame buffer is read as OpenGL gives it (bottom row first, opaque).
// Progress p runs from 1 at the start down to 0, by frame time × speed per
// drawn frame (speed = 1 / duration). Types:
//
//   0  nothing drawn; only the timing and the completion message
//   1  cross-fade: snapshot blended with alpha p
//   2  slide along x by (1 − p) × width, opaque
//   3  slide along y by (1 − p) × height, opaque
//   4  zoom out of view: scaled by min(1 / p, 10), blended with alpha p
//   5  shrink: scaled by p, blended with alpha p
//   6  as 4, turned by ((1 − p) × 4)² radians
//   7  as 5, turned by −((1 − p) × 4)² radians
//   8  opaque black, then the snapshot with alpha p (fade to black)
//   9  black with alpha p (fade from black)
//   10 as 8 with white       11 as 9 with white
//   12 opaque black, then the snapshot with alpha |2p − 1|
//   13 as 12 with white
//
// Every type that draws the snapshot flips it about the horizontal centre
// line, so the old picture shows the right way up. With 8 and 10 the new screens stay
// hidden until the end; callers change screens on the completion message
// and follow with 9 or 11. Main thread only.

#include "render/Sprite.h"

#include <cstdint>

class ScreenTransition {
public:
    static constexpr int32_t kTypeCount = 14;

    /// The snapshot at the display size; false when it cannot be made (the
    /// transitions then keep their timing and draw an empty snapshot).
    bool Allocate();
    void Release();

    /// Reads the frame buffer into the snapshot (when it has the display
    /// size), makes it opaque and restarts at p = 1. A type of −1 keeps the
    /// current one; `completionMessage` −1 sends nothing. A duration ≤ 0 ends
    /// the transition at the next draw.
    void Start(int32_t type, float duration, int32_t completionMessage);

    /// Draws the effect (nothing once p is 0), then advances p by `elapsed`
    /// seconds. Returns the completion message when the transition ended in
    /// this call, else −1; the caller delivers it to the top screen.
    int32_t Draw(float elapsed);

    bool IsRunning() const { return progress > 0.0f; }
    float Progress() const { return progress; }
    int32_t Type() const { return type; }
    Sprite& Snapshot() { return snapshot; }

private:
    void DrawEffect();

    Sprite snapshot;
    float progress = 0.0f;
    float speed = 0.0f;
    int32_t type = 0;
    int32_t completionMessage = -1;
};
