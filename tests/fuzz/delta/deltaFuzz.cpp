// Fuzz target: the delta reader on arbitrary bytes, and the expansion of an
// accepted file into a full picture, whose coverage must match the mask.
#include "core/Log.h"
#include "render/Image.h"
#include "render/ImageDecoders.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    SetLogToStandardOutput(false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Image image;
    if (!DecodeDelta(data, size, "fuzz", image)) {
        return 0;
    }
    if (!image.IsSparse() || image.PixelBytes() != size_t(image.BitsPerPixel()) * 8 ||
        image.Mask().size() != (size_t(image.Width()) * image.Height() + 7) / 8) {
        std::abort();
    }
    // Expanding the largest pictures allowed costs 256 MB each time; the code
    // path is the same for small ones, which keep the fuzzer fast.
    constexpr uint64_t kMaxExpandedPixels = uint64_t(1) << 20;
    if (uint64_t(image.Width()) * image.Height() > kMaxExpandedPixels) {
        return 0;
    }
    if (!image.ExpandDelta()) {
        std::abort();
    }
    // A pixel outside the mask was never listed, so it must be transparent black.
    for (uint32_t y = 0; y < image.Height(); ++y) {
        for (uint32_t x = 0; x < image.Width(); ++x) {
            const size_t bit = size_t(y) * image.Width() + x;
            const bool listed = (image.Mask()[bit / 8] >> (bit % 8)) & 1;
            const uint8_t* pixel = image.PixelAt(x, y);
            if (!listed && (pixel[0] | pixel[1] | pixel[2] | pixel[3])) {
                std::abort();
            }
        }
    }
    return 0;
}
