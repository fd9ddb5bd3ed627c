#include "support/PictureCompare.h"

#include "render/Image.h"

#include <algorithm>
#include <cstdlib>

namespace testing_support {
namespace {

bool SameColour(const uint8_t* a, const uint8_t* b, int tolerance) {
    return std::abs(a[0] - b[0]) <= tolerance && std::abs(a[1] - b[1]) <= tolerance &&
           std::abs(a[2] - b[2]) <= tolerance;
}

} // namespace

::testing::AssertionResult NearColour::operator()(const Rgba& actual, const Rgba& expected,
                                                  int channelTolerance) const {
    const uint8_t a[3] = {actual.r, actual.g, actual.b};
    const uint8_t e[3] = {expected.r, expected.g, expected.b};
    if (SameColour(a, e, channelTolerance)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "pixel (" << int(actual.r) << ", " << int(actual.g) << ", "
                                         << int(actual.b) << "), expected (" << int(expected.r) << ", "
                                         << int(expected.g) << ", " << int(expected.b) << ") within "
                                         << channelTolerance;
}

long CountDifferingPixels(const Image& actual, const Image& expected, int channelTolerance, Image* diff) {
    if (actual.Width() != expected.Width() || actual.Height() != expected.Height() || actual.Width() == 0) {
        return -1;
    }
    if (diff && !diff->Create(actual.Width(), actual.Height())) {
        diff = nullptr;
    }
    long differing = 0;
    for (uint32_t y = 0; y < actual.Height(); ++y) {
        for (uint32_t x = 0; x < actual.Width(); ++x) {
            const uint8_t* e = expected.PixelAt(x, y);
            const bool same = SameColour(actual.PixelAt(x, y), e, channelTolerance);
            differing += same ? 0 : 1;
            if (diff) {
                uint8_t* d = diff->PixelAt(x, y);
                d[0] = same ? static_cast<uint8_t>(e[0] / 3) : 0;
                d[1] = same ? static_cast<uint8_t>(e[1] / 3) : 0;
                d[2] = same ? static_cast<uint8_t>(e[2] / 3) : 255;
                d[3] = 255;
            }
        }
    }
    return differing;
}

long CountDifferingPixelsIn(const Image& a, const Image& b, PixelBox box, int channelTolerance) {
    const int width = int(std::min(a.Width(), b.Width()));
    const int height = int(std::min(a.Height(), b.Height()));
    long differing = 0;
    for (int y = std::max(box.top, 0); y < std::min(box.bottom, height); ++y) {
        for (int x = std::max(box.left, 0); x < std::min(box.right, width); ++x) {
            differing += SameColour(a.PixelAt(uint32_t(x), uint32_t(y)), b.PixelAt(uint32_t(x), uint32_t(y)),
                                    channelTolerance)
                             ? 0
                             : 1;
        }
    }
    return differing;
}

} // namespace testing_support
