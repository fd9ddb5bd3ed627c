#pragma once
// Canvas: a floating-point picture to paint on, and the masks shapes are made of.
//
// Pixels are premultiplied red, green, blue, alpha in 0 … 1, rows top first,
// x to the right and y downwards, pixel centres at (x + 0.5, y + 0.5). A Mask
// is one coverage value in 0 … 1 per pixel; shapes are drawn into masks with
// anti-aliased edges and then painted through them, so outlines, shadows and
// glows are all made from the same shape by growing and blurring its mask.
// Everything here is deterministic: same calls, same pixels.

#include "Recipe.h"

#include <cstdint>
#include <functional>
#include <vector>

struct Point {
    float x = 0, y = 0;
};

class Mask {
public:
    Mask() = default;
    Mask(int32_t width, int32_t height) : w(width), h(height), cover(static_cast<size_t>(width) * height, 0.0f) {}

    int32_t Width() const { return w; }
    int32_t Height() const { return h; }
    float At(int32_t x, int32_t y) const { return cover[static_cast<size_t>(y) * w + x]; }
    float& At(int32_t x, int32_t y) { return cover[static_cast<size_t>(y) * w + x]; }

    /// Union with a rounded rectangle (radius 0: square corners).
    void AddRoundedRect(float x0, float y0, float x1, float y1, float radius);
    /// Union with a disc / removes a disc.
    void AddCircle(float cx, float cy, float radius);
    void CutCircle(float cx, float cy, float radius);
    /// Union with a ring of the given line width centred on `radius`.
    void AddRing(float cx, float cy, float radius, float width);
    /// Union with a polygon (even-odd rule), 4 × 4 samples per pixel.
    void AddPolygon(const std::vector<Point>& points);
    /// Union with a thick line segment with round ends.
    void AddLine(Point a, Point b, float width);
    /// Coverage from a signed distance (negative inside), anti-aliased over one
    /// pixel, evaluated only inside the box x0, y0 to x1, y1 (the whole mask by
    /// default) - the shape must lie inside it.
    void AddDistance(const std::function<float(float x, float y)>& distance, float x0 = -1e9f, float y0 = -1e9f,
                     float x1 = 1e9f, float y1 = 1e9f);

    /// This mask grown by `radius` pixels (round corners).
    Mask Grown(float radius) const;
    /// This mask blurred (three box passes, about a Gaussian of that radius).
    Mask Blurred(float radius) const;
    /// This mask moved by whole pixels; what moves in is empty.
    Mask Shifted(int32_t dx, int32_t dy) const;
    /// Union with another mask of the same size.
    void Add(const Mask& other);
    /// Coverage of this mask where `other` is not.
    Mask Minus(const Mask& other) const;

private:
    int32_t w = 0, h = 0;
    std::vector<float> cover;
};

class Canvas {
public:
    Canvas() = default;
    Canvas(int32_t width, int32_t height) : w(width), h(height), pixels(static_cast<size_t>(width) * height * 4, 0.0f) {}

    int32_t Width() const { return w; }
    int32_t Height() const { return h; }
    const float* Pixel(int32_t x, int32_t y) const { return &pixels[(static_cast<size_t>(y) * w + x) * 4]; }
    float* Pixel(int32_t x, int32_t y) { return &pixels[(static_cast<size_t>(y) * w + x) * 4]; }

    /// Paints `colour` (straight alpha) over the canvas through the mask.
    void Fill(const Mask& mask, const Colour& colour);
    /// Paints a colour chosen per pixel over the canvas through the mask.
    void Fill(const Mask& mask, const std::function<Colour(float x, float y)>& colour);
    /// Paints the whole canvas with a colour per pixel (no mask).
    void Paint(const std::function<Colour(float x, float y)>& colour);
    /// Composites `other` over this canvas at (x, y).
    void Over(const Canvas& other, int32_t x, int32_t y);
    /// Multiplies every pixel's colour by a factor per pixel (alpha kept).
    void Shade(const std::function<float(float x, float y)>& factor);

    /// 8-bit blue, green, red, alpha with straight alpha, as the PNG writer takes.
    std::vector<uint8_t> ToBgra() const;

private:
    int32_t w = 0, h = 0;
    std::vector<float> pixels;
};

/// Linear mix of two colours, t in 0 … 1.
Colour Mix(const Colour& a, const Colour& b, float t);
/// Smooth step from 0 at `edge0` to 1 at `edge1`.
float SmoothStep(float edge0, float edge1, float x);

/// Small deterministic random numbers (xorshift), for noise and variation.
class Random {
public:
    explicit Random(uint32_t seed) : state(seed * 2654435761u + 0x9e3779b9u) { Next(); }
    uint32_t Next();
    /// Uniform in [0, 1).
    float Unit() { return static_cast<float>(Next() >> 8) / 16777216.0f; }
    float Range(float low, float high) { return low + (high - low) * Unit(); }

private:
    uint32_t state;
};

/// Smooth value noise in about 0 … 1 at (x, y) with the given cell size.
float ValueNoise(float x, float y, float cell, uint32_t seed);
/// Several octaves of value noise, about 0 … 1.
float FractalNoise(float x, float y, float cell, int32_t octaves, uint32_t seed);
