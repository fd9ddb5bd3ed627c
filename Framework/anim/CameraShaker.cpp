#include "anim/CameraShaker.h"

#include "core/Redraw.h"
#include "anim/EffectsHold.h"
#include "core/FrameTime.h"
#include "core/Random.h"
#include "render/RenderContext.h"
#include "render/ScreenCamera.h"

#include <cmath>

CameraShaker::CameraShaker() {
    Name.SetFirstString("NewCameraShaker");
    DeclareFloat("magnitude", magnitude, 1, this, 5.0f);
    DeclareFloat("frequency", frequency, 1, this, 5.0f);
    DeclareFloat("zoom", zoom, 1, this, 3.0f);
}

void CameraShaker::Update() {
    Element::Update();
    ScreenCamera& camera = GetScreenCamera();
    const float size = magnitude.FirstFloat();
    const float rate = frequency.FirstFloat();
    if (EffectsHeld() || size == 0.0f || !(rate > 0.0f) || !std::isfinite(rate) || !std::isfinite(size)) {
        camera.pan = Vec2{};
        RebuildScreenCamera();
        camera.extraZoom = Vec2{};
        return;
    }
    // The camera moves every frame the shaker runs.
    RequestRedraw();
    elapsed += frameTime;
    const float period = 1.0f / rate;
    if (elapsed >= period) {
        // However many periods passed, only the last target matters.
        elapsed = std::fmod(elapsed, period);
        from = camera.pan;
        to = Vec2{Random(-size, size), Random(-size, size)};
    }
    const float s = elapsed / period;
    camera.pan = Vec2{from.x + (to.x - from.x) * s, from.y + (to.y - from.y) * s};
    RebuildScreenCamera();
    const float halfWidth = float(DisplayWidth() / 2);
    const float halfHeight = float(DisplayHeight() / 2);
    if (halfWidth > 0.0f && halfHeight > 0.0f) {
        camera.extraZoom = Vec2{zoom.FirstFloat() * (std::fabs(camera.pan.x) + 1.0f) / halfWidth,
                                zoom.FirstFloat() * (std::fabs(camera.pan.y) + 1.0f) / halfHeight};
    }
}
