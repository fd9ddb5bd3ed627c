#pragma once
// SpriteBatch: many copies of one sprite drawn with one call.
//
// Each quad is the sprite's picture mapped by an affine placement: the
// picture's pixel (u, v) lands at origin + u·axisU + v·axisV (z fixed per
// quad), with a colour of its own. Corners are computed on the CPU and drawn
// from client-side vertex, texture-coordinate and colour arrays with one
// glDrawArrays per Flush, under whatever model matrix and blend mode the
// caller set. The arrays are shared (drawing is main-thread only) and grow
// to the largest batch ever drawn, never shrinking, so a steady batch
// allocates nothing.
//
// Use: Begin(sprite), Add... , Flush(). A sprite that cannot be bound (no
// pixels, no texture slot) makes Begin return false and the quads are dropped.

#include <cstdint>

class Sprite;

struct QuadPlacement {
    float originX = 0.0f, originY = 0.0f, z = 0.0f;
    float axisUX = 1.0f, axisUY = 0.0f; ///< where one pixel step to the right goes
    float axisVX = 0.0f, axisVY = 1.0f; ///< where one pixel step down goes
};

class SpriteBatch {
public:
    /// Binds the sprite and starts an empty batch with room for `expectedQuads`.
    /// `transformed` asks for linear filtering (turned or scaled quads).
    static bool Begin(Sprite& sprite, int32_t expectedQuads, bool transformed);
    /// Appends one quad in the colour r, g, b, a (0 ... 1).
    static void Add(const QuadPlacement& placement, const float color[4]);
    /// Draws the quads added since Begin (one draw call) and ends the batch.
    static void Flush();
    /// Draw calls made by Flush since the program started (for tests).
    static int64_t DrawCalls();
};
