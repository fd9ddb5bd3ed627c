#include "render/ImageBlur.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace {

constexpr int kColourChannels = 3;
constexpr size_t kBytesPerPixel = 4;

/// Box-filters one line of `size` values, read `inStride` bytes apart and written
/// `outStride` bytes apart, with a running sum over the clamped window.
void BlurLine(const uint8_t* in, size_t inStride, uint8_t* out, size_t outStride, int64_t size,
              int64_t radius) {
    const int64_t window = 2 * radius + 1;
    const int64_t last = size - 1;
    auto value = [&](int64_t index) { return int64_t(in[size_t(index) * inStride]); };
    // Window centred on 0: radius + 1 copies of the first value, then the values
    // 1..radius with the indices beyond the end clamped to the last one.
    const int64_t inside = std::min(radius, last);
    int64_t sum = (radius + 1) * value(0) + (radius - inside) * value(last);
    for (int64_t i = 1; i <= inside; ++i) {
        sum += value(i);
    }
    for (int64_t k = 0; k < size; ++k) {
        out[size_t(k) * outStride] = uint8_t(sum / window);
        sum += value(std::min(k + radius + 1, last)) - value(std::max(k - radius, int64_t(0)));
    }
}

} // namespace

void BoxBlur(uint8_t* pixels, int32_t width, int32_t height, int32_t radius) {
    if (!pixels || width <= 0 || height <= 0 || radius <= 0) {
        return;
    }
    const size_t rowBytes = size_t(width) * kBytesPerPixel;
    // The row pass writes into a copy so the column pass reads whole row results.
    std::vector<uint8_t> rowPass(rowBytes * size_t(height));
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* row = pixels + size_t(y) * rowBytes;
        for (int channel = 0; channel < kColourChannels; ++channel) {
            BlurLine(row + channel, kBytesPerPixel, rowPass.data() + size_t(y) * rowBytes + channel,
                     kBytesPerPixel, width, radius);
        }
    }
    for (int32_t x = 0; x < width; ++x) {
        const size_t column = size_t(x) * kBytesPerPixel;
        for (int channel = 0; channel < kColourChannels; ++channel) {
            BlurLine(rowPass.data() + column + channel, rowBytes, pixels + column + channel, rowBytes, height,
                     radius);
        }
    }
    for (size_t i = 3; i < rowBytes * size_t(height); i += kBytesPerPixel) {
        pixels[i] = 255;
    }
}
