#include "render/ScreenCamera.h"

#include "render/RenderContext.h"

#include <cmath>

ScreenCamera& GetScreenCamera() {
    static ScreenCamera camera;
    return camera;
}

void RebuildScreenCamera() {
    ScreenCamera& camera = GetScreenCamera();
    const float cx = std::trunc(static_cast<float>(DisplayWidth() / 2) + camera.pan.x);
    const float cy = std::trunc(static_cast<float>(DisplayHeight() / 2) + camera.pan.y);
    camera.matrix = Matrix4::Translation(cx, cy, 0.0f) *
                    Matrix4::Scaling(camera.baseZoom + camera.extraZoom.x,
                                     camera.baseZoom + camera.extraZoom.y, camera.baseZoom);
    camera.inverse = camera.matrix.Inverse();
}

void ResetScreenCamera() {
    ScreenCamera& camera = GetScreenCamera();
    camera.pan = Vec2{};
    camera.baseZoom = 1.0f;
    camera.extraZoom = Vec2{};
    RebuildScreenCamera();
}

Vec2 ScreenToScene(const Vec2& screen) {
    return GetScreenCamera().inverse.TransformPoint(screen);
}
