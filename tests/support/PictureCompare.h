#pragma once
// Comparing pixels and pictures in tests.
//
// Two colours match when none of red, green and blue differs by more than
// the channel tolerance; alpha is not compared (what the tests read back
// from a frame is opaque). Pictures are the engine's Image (blue, green,
// red, alpha in memory).

#include "support/GlTestContext.h"

#include <gtest/gtest.h>

class Image;

namespace testing_support {

/// A rectangle of pixels: columns [left, right), rows [top, bottom).
struct PixelBox {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

/// A pixel comparison with a tolerance of its own, for a test file to name
/// once (`constexpr NearColour Near{2};`) and call as Near(pixel, r, g, b)
/// or Near(pixel, expected); a last argument overrides the tolerance.
class NearColour {
public:
    constexpr explicit NearColour(int tolerance) : tolerance(tolerance) {}
    ::testing::AssertionResult operator()(const Rgba& actual, const Rgba& expected) const {
        return (*this)(actual, expected, tolerance);
    }
    ::testing::AssertionResult operator()(const Rgba& actual, const Rgba& expected, int channelTolerance) const;
    ::testing::AssertionResult operator()(const Rgba& actual, int r, int g, int b) const {
        return (*this)(actual, Rgba{uint8_t(r), uint8_t(g), uint8_t(b), 255}, tolerance);
    }
    ::testing::AssertionResult operator()(const Rgba& actual, int r, int g, int b, int channelTolerance) const {
        return (*this)(actual, Rgba{uint8_t(r), uint8_t(g), uint8_t(b), 255}, channelTolerance);
    }

private:
    int tolerance;
};

/// Pixels that differ beyond the tolerance; -1 when the sizes differ or the
/// pictures are empty. Fills `diff` (when given) with the diff picture: the
/// differing pixels red over a dimmed copy of `expected`.
long CountDifferingPixels(const Image& actual, const Image& expected, int channelTolerance, Image* diff = nullptr);
/// The pixels inside `box` (clipped to both pictures) that differ beyond the tolerance.
long CountDifferingPixelsIn(const Image& a, const Image& b, PixelBox box, int channelTolerance);

} // namespace testing_support
