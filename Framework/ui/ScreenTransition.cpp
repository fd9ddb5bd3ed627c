#include "ui/ScreenTransition.h"

#include "render/BlendMode.h"
#include "render/RenderContext.h"
#include "render/RenderState.h"
#include "render/ScreenDraw.h"
#include "ui/PictureDraw.h"

#include <algorithm>
#include <cmath>
#include <limits>

bool ScreenTransition::Allocate() {
    return snapshot.Create(DisplayWidth(), DisplayHeight());
}

void ScreenTransition::Release() {
    snapshot.Release();
    progress = 0.0f;
}

void ScreenTransition::Start(int32_t newType, float duration, int32_t message) {
    CaptureScreen(snapshot);
    if (uint8_t* pixels = snapshot.Pixels()) {
        const size_t bytes = size_t(snapshot.Width()) * size_t(snapshot.Height()) * 4;
        for (size_t i = 3; i < bytes; i += 4) {
            pixels[i] = 255;
        }
        snapshot.MarkPixelsChanged();
    }
    progress = 1.0f;
    speed = duration > 0.0f ? 1.0f / duration : std::numeric_limits<float>::infinity();
    completionMessage = message;
    if (newType != -1) {
        type = newType;
    }
}

int32_t ScreenTransition::Draw(float elapsed) {
    if (progress <= 0.0f) {
        return -1;
    }
    {
        RenderStackScope scope;
        DrawEffect();
    }
    // An instant transition (infinite speed) ends at its first draw even
    // when no time has passed.
    progress = std::isinf(speed) ? 0.0f : progress - elapsed * speed;
    if (progress > 0.0f) {
        return -1;
    }
    progress = 0.0f;
    return completionMessage;
}

namespace {

constexpr float kMaxZoom = 10.0f;

void DrawBlendedSnapshot(Sprite& snapshot, float alpha, const PicturePlacement& placement) {
    RenderStack::SetBlendMode(kBlendAlphaBlend);
    RenderStack::SetColor(1.0f, 1.0f, 1.0f, alpha);
    DrawCentredPicture(snapshot, placement);
}

void DrawOpaqueSnapshot(Sprite& snapshot, const PicturePlacement& placement) {
    RenderStack::SetBlendMode(kBlendBlockCopy);
    RenderStack::SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    DrawCentredPicture(snapshot, placement);
}

void FillOpaque(float level) {
    RenderStack::SetBlendMode(kBlendBlockCopy);
    FillPicture(level, level, level, 1.0f);
}

void FillBlended(float level, float alpha) {
    RenderStack::SetBlendMode(kBlendAlphaBlend);
    FillPicture(level, level, level, alpha);
}

} // namespace

// Every effect flips the snapshot about its horizontal centre line: it holds
// the frame buffer's rows bottom first, and drawn unflipped the old picture
// would slide, zoom or flash upside down.
void ScreenTransition::DrawEffect() {
    const float p = progress;
    const float width = float(DisplayWidth());
    const float height = float(DisplayHeight());
    const float spin = ((1.0f - p) * 4.0f) * ((1.0f - p) * 4.0f);
    const float zoom = std::min(1.0f / p, kMaxZoom);
    SetCentredScreenView();
    RenderStack::SetDepthTest(false);
    switch (type) {
    case 1:
        DrawBlendedSnapshot(snapshot, p, {.mirrored = true});
        break;
    case 2:
        DrawOpaqueSnapshot(snapshot, {.offsetX = (1.0f - p) * width, .mirrored = true});
        break;
    case 3:
        DrawOpaqueSnapshot(snapshot, {.offsetY = (1.0f - p) * height, .mirrored = true});
        break;
    case 4:
        DrawBlendedSnapshot(snapshot, p, {.scaleX = zoom, .scaleY = zoom, .mirrored = true});
        break;
    case 5:
        DrawBlendedSnapshot(snapshot, p, {.scaleX = p, .scaleY = p, .mirrored = true});
        break;
    case 6:
        DrawBlendedSnapshot(snapshot, p, {.scaleX = zoom, .scaleY = zoom, .radians = spin, .mirrored = true});
        break;
    case 7:
        DrawBlendedSnapshot(snapshot, p, {.scaleX = p, .scaleY = p, .radians = -spin, .mirrored = true});
        break;
    case 8:
    case 10:
        FillOpaque(type == 8 ? 0.0f : 1.0f);
        DrawBlendedSnapshot(snapshot, p, {.mirrored = true});
        break;
    case 9:
    case 11:
        FillBlended(type == 9 ? 0.0f : 1.0f, p);
        break;
    case 12:
    case 13:
        FillOpaque(type == 12 ? 0.0f : 1.0f);
        DrawBlendedSnapshot(snapshot, std::fabs(2.0f * p - 1.0f), {.mirrored = true});
        break;
    default:
        // Type 0 and unknown types draw nothing; the timing still runs.
        break;
    }
}
