// Delta reader: a sparse picture in which only the listed pixels exist.
//
// Layout (numbers little-endian):
//   0          width, unsigned 16 bits
//   2          height, unsigned 16 bits
//   4          payload: size - 22 bytes of 32-bit words
//   size - 18  "VARNO-DELTA-FILE"
//   size - 2   2 reserved bytes, not read
// The payload is a sequence of runs, each a count n, a start index s and n
// pixels of 4 bytes (blue, green, red, alpha). Pixel index k counts row by row
// from the bottom-left pixel (index width is the first pixel of the second row
// from the bottom); a run covers indices s .. s+n-1. A run with count 0 is just
// its two header words.
//
// The result is an entry list of 8 bytes per listed pixel (a word with y,
// counted from the top, in the high and x in the low 16 bits, then the pixel)
// and a mask with one bit per pixel of the picture (see Image.h).
//
// Refused, as damaged: a payload that is empty or not a whole number of words,
// a negative count, a run that leaves the payload or the picture, and a file
// that lists no pixel at all.
#include "core/Log.h"
#include "render/ImageDecoders.h"

#include <cstring>
#include <new>

namespace {

constexpr size_t kHeaderLength = 4;
constexpr size_t kRunHeaderWords = 2;

uint32_t ReadLe32(const uint8_t* bytes) {
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

void WriteLe32(uint8_t* bytes, uint32_t value) {
    bytes[0] = uint8_t(value);
    bytes[1] = uint8_t(value >> 8);
    bytes[2] = uint8_t(value >> 16);
    bytes[3] = uint8_t(value >> 24);
}

/// First pass: checks every run and sums the counts; false (logged) on a damaged run.
bool CountListedPixels(const uint8_t* words, size_t wordCount, uint64_t pictureSize, const char* name,
                       uint64_t& total) {
    total = 0;
    size_t index = 0;
    while (index < wordCount) {
        if (wordCount - index < kRunHeaderWords) {
            LogImageFailure(name, "delta run header cut off at word %zu", index);
            return false;
        }
        const int32_t count = int32_t(ReadLe32(words + index * 4));
        const uint32_t start = ReadLe32(words + (index + 1) * 4);
        if (count < 0) {
            LogImageFailure(name, "negative delta run count %d at word %zu", count, index);
            return false;
        }
        if (uint64_t(count) > wordCount - index - kRunHeaderWords) {
            LogImageFailure(name, "delta run of %d pixels at word %zu leaves the payload", count, index);
            return false;
        }
        if (uint64_t(start) + uint64_t(count) > pictureSize) {
            LogImageFailure(name, "delta run %u..%llu leaves the %llu-pixel picture", start,
                            (unsigned long long)start + count, (unsigned long long)pictureSize);
            return false;
        }
        total += uint64_t(count);
        index += kRunHeaderWords + size_t(count);
    }
    return true;
}

} // namespace

bool DecodeDelta(const uint8_t* data, size_t size, const char* name, Image& image) {
    image.Release();
    if (!data || size <= kHeaderLength + kFooterLength) {
        LogImageFailure(name, "delta file of %zu bytes has no payload", size);
        return false;
    }
    const uint32_t width = uint32_t(data[0] | data[1] << 8);
    const uint32_t height = uint32_t(data[2] | data[3] << 8);
    const size_t payloadBytes = size - kHeaderLength - kFooterLength;
    if (payloadBytes % 4 != 0) {
        LogImageFailure(name, "delta payload of %zu bytes is not a whole number of 32-bit words",
                        payloadBytes);
        return false;
    }
    if (!CheckDecodedSize(image, name, width, height)) {
        return false;
    }
    const uint8_t* words = data + kHeaderLength;
    const size_t wordCount = payloadBytes / 4;
    const uint64_t pictureSize = uint64_t(width) * height;
    uint64_t total = 0;
    if (!CountListedPixels(words, wordCount, pictureSize, name, total)) {
        return false;
    }
    if (total == 0) {
        LogImageFailure(name, "delta file lists no pixels");
        return false;
    }
    if (total > UINT32_MAX) {
        LogImageFailure(name, "delta file lists more than 2^32 pixels");
        return false;
    }
    // The counts are bounded by the payload, so the entry list is at most twice its size.
    image.pixels.reset(new (std::nothrow) uint8_t[size_t(total) * 8]);
    if (!image.pixels) {
        LogImageFailure(name, "out of memory for %llu delta entries", (unsigned long long)total);
        return false;
    }
    image.pixelBytes = size_t(total) * 8;
    image.mask.assign(size_t((pictureSize + 7) / 8), 0);
    uint8_t* entry = image.pixels.get();
    for (size_t index = 0; index < wordCount;) {
        const uint32_t count = ReadLe32(words + index * 4);
        const uint32_t start = ReadLe32(words + (index + 1) * 4);
        const uint8_t* pixel = words + (index + kRunHeaderWords) * 4;
        for (uint32_t i = 0; i < count; ++i, pixel += 4, entry += 8) {
            const uint32_t k = start + i;
            const uint32_t x = k % width;
            const uint32_t y = height - 1 - k / width;
            WriteLe32(entry, y << 16 | x);
            std::memcpy(entry + 4, pixel, 4);
            const size_t bit = size_t(y) * width + x;
            image.mask[bit / 8] |= uint8_t(1u << (bit % 8));
        }
        index += kRunHeaderWords + count;
    }
    image.width = width;
    image.height = height;
    image.bitsPerPixel = uint32_t(total);
    image.format = ImageFormat::Delta;
    image.sparse = true;
    return true;
}
