#pragma once
// Pictures the screen-service tests draw and read back: a snapshot pattern
// of four coloured quadrants and a flat "new screen" colour.

#include "render/RenderContext.h"
#include "render/RenderState.h"
#include "render/ScreenDraw.h"
#include "support/GlTestContext.h"
#include "support/PictureCompare.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace ui_test {

using testing_support::Rgba;

constexpr Rgba kRed{255, 0, 0, 255};
constexpr Rgba kGreen{0, 255, 0, 255};
constexpr Rgba kBlue{0, 0, 255, 255};
constexpr Rgba kWhite{255, 255, 255, 255};
constexpr Rgba kBlack{0, 0, 0, 255};
/// The colour the "new screens" under a transition are cleared to.
constexpr Rgba kUnder{40, 40, 40, 255};

inline void ScreenView() {
    RenderStack::SetProjectionMatrix(MakeScreenProjection(DisplayWidth(), DisplayHeight()));
    RenderStack::SetCameraMatrix(Matrix4::Identity());
    RenderStack::SetModelMatrix(Matrix4::Identity());
}

inline void Fill(const Rgba& colour, float x0, float y0, float x1, float y1) {
    RenderStack::SetTexturing(false);
    RenderStack::SetColor(colour.r / 255.0f, colour.g / 255.0f, colour.b / 255.0f, 1.0f);
    DrawRectQuad(Vec2{x0, y0}, Vec2{x1, y1});
    RenderStack::SetTexturing(true);
    RenderStack::SetColor(1, 1, 1, 1);
}

inline void ClearTo(const Rgba& colour) {
    ScreenView();
    RenderStack::SetColor(colour.r / 255.0f, colour.g / 255.0f, colour.b / 255.0f, 1.0f);
    ClearScreen();
    RenderStack::SetColor(1, 1, 1, 1);
}

/// Top left red, top right green, bottom left blue, bottom right white.
inline void DrawQuadrants() {
    ScreenView();
    const float w = float(DisplayWidth());
    const float h = float(DisplayHeight());
    Fill(kRed, 0, 0, w / 2, h / 2);
    Fill(kGreen, w / 2, 0, w, h / 2);
    Fill(kBlue, 0, h / 2, w / 2, h);
    Fill(kWhite, w / 2, h / 2, w, h);
}

/// alpha × top + (1 − alpha) × under, per channel.
inline Rgba Mix(const Rgba& top, const Rgba& under, float alpha) {
    auto channel = [&](uint8_t a, uint8_t b) { return uint8_t(std::lround(alpha * a + (1.0f - alpha) * b)); };
    return Rgba{channel(top.r, under.r), channel(top.g, under.g), channel(top.b, under.b), 255};
}

inline constexpr testing_support::NearColour Near{3};

} // namespace ui_test
