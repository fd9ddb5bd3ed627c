#pragma once
// The screen camera: maps scene coordinates (origin at the screen centre)
// to pixels of the logical screen.
//
// camera = T(cx, cy, 0) · S(baseZoom + extraZoom.x, baseZoom + extraZoom.y, baseZoom)
// with cx = trunc(W div 2 + pan.x) and cy = trunc(H div 2 + pan.y), W × H the
// display size. Camera effects change the pan and the extra zoom and rebuild;
// input maps the cursor into the scene through the inverse.

#include "core/Matrix.h"

struct ScreenCamera {
    Vec2 pan;
    float baseZoom = 1.0f;
    Vec2 extraZoom;
    Matrix4 matrix;
    Matrix4 inverse;
};

/// The one camera of the game.
ScreenCamera& GetScreenCamera();
/// Recomputes the matrix and its inverse from pan and zooms.
void RebuildScreenCamera();
/// Pan (0, 0), base zoom 1, extra zoom (0, 0), then rebuild.
void ResetScreenCamera();
/// A screen pixel (the cursor) in scene coordinates.
Vec2 ScreenToScene(const Vec2& screen);
