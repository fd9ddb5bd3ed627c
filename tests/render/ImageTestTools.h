#pragma once
// Helpers shared by the image tests: making test pictures with ImageMagick,
// reading ImageMagick's own decode of a file as the reference, comparing
// pixels, and damaging files.
//
// ImageMagick is called by its full path: another program of the same name may
// come first on PATH.

#include "render/Image.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace image_test {

inline const char* kConvert = "/usr/bin/convert";

inline std::vector<uint8_t> Bytes(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

inline std::string TempPath(const std::string& name) {
    return testing_support::TestTempDir() + "/" + name;
}

/// Runs convert with `arguments`; true on exit status 0. Its messages go to a
/// log file beside the test's files, shown when the call fails.
inline bool Convert(const std::string& arguments) {
    const std::string log = TempPath("convert.log");
    const std::string command = std::string(kConvert) + " " + arguments + " 2>" + log;
    if (std::system(command.c_str()) != 0) {
        ADD_FAILURE() << "convert failed: " << command << "\n" << testing_support::ReadFile(log);
        return false;
    }
    return true;
}

/// A raw picture of `width` × `height` pixels, 4 channels of 8 or 16 bits
/// (16-bit samples little-endian, ImageMagick's default for raw input), with
/// varied colours and alpha so that every channel and row matters.
inline std::string SourcePattern(int width, int height, int bytesPerSample) {
    std::string raw;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t values[4] = {uint32_t(x * 1777 + y * 313), uint32_t(x * x * 91 + y * 1100),
                                        uint32_t(x * y * 517 + 40000), uint32_t(x * 1300 + y * 2900 + 7)};
            for (uint32_t value : values) {
                if (bytesPerSample == 2) {
                    raw.push_back(char(value & 0xFF));
                    raw.push_back(char((value >> 8) & 0xFF));
                } else {
                    raw.push_back(char((value >> 3) & 0xFF));
                }
            }
        }
    }
    return raw;
}

/// Writes the source pattern and returns convert's input arguments for it.
inline std::string WriteSource(int width, int height, int bytesPerSample) {
    const std::string path = TempPath(bytesPerSample == 2 ? "source16.rgba" : "source8.rgba");
    EXPECT_TRUE(testing_support::WriteFile(path, SourcePattern(width, height, bytesPerSample)));
    return "-size " + std::to_string(width) + "x" + std::to_string(height) + " -depth " +
           std::to_string(bytesPerSample * 8) + " rgba:" + path;
}

/// ImageMagick's decode of `file` as 8-bit red, green, blue, alpha. With
/// `sixteenBit` ImageMagick hands over 16-bit samples and each becomes
/// round(v / 257), the conversion the engine promises (ImageMagick's own
/// reduction to 8 bits rounds down).
/// `readOptions` follow the input file (TGA needs "-auto-orient": ImageMagick
/// keeps TGA rows in file order and only notes their orientation).
inline std::string ReferenceRgba(const std::string& file, bool sixteenBit = false,
                                 const std::string& readOptions = "") {
    const std::string out = TempPath("reference.rgba");
    if (!Convert("'" + file + "' " + readOptions + " -endian LSB -depth " + (sixteenBit ? "16" : "8") +
                 " rgba:" + out)) {
        return {};
    }
    const std::string raw = testing_support::ReadFile(out);
    if (!sixteenBit) {
        return raw;
    }
    std::string reduced;
    for (size_t i = 0; i + 1 < raw.size(); i += 2) {
        const uint32_t value = uint8_t(raw[i]) | uint32_t(uint8_t(raw[i + 1])) << 8;
        reduced.push_back(char((value * 255 + 32767) / 65535));
    }
    return reduced;
}

/// Largest difference of any channel between `image` (blue, green, red, alpha)
/// and `rgba` (red, green, blue, alpha); -1 when the sizes differ.
inline int MaxDifference(const Image& image, const std::string& rgba) {
    if (image.IsSparse() || image.PixelBytes() != rgba.size() || !image.Pixels()) {
        return -1;
    }
    const uint8_t* bgra = image.Pixels();
    int worst = 0;
    for (size_t i = 0; i < rgba.size(); i += 4) {
        const int expected[4] = {uint8_t(rgba[i + 2]), uint8_t(rgba[i + 1]), uint8_t(rgba[i]),
                                 uint8_t(rgba[i + 3])};
        for (int c = 0; c < 4; ++c) {
            worst = std::max(worst, std::abs(int(bgra[i + c]) - expected[c]));
        }
    }
    return worst;
}

/// Loads `file` through the engine and compares it with ImageMagick's decode.
inline void ExpectMatchesReference(const std::string& file, int tolerance, bool sixteenBit = false,
                                   const std::string& readOptions = "") {
    Image image;
    ASSERT_TRUE(image.Load(file.c_str())) << file;
    const std::string reference = ReferenceRgba(file, sixteenBit, readOptions);
    ASSERT_FALSE(reference.empty());
    EXPECT_EQ(image.PixelBytes(), reference.size()) << file;
    EXPECT_LE(MaxDifference(image, reference), tolerance) << file;
    EXPECT_GE(MaxDifference(image, reference), 0) << file;
}

/// Decodes a private heap copy of exactly `length` bytes, so that a read past
/// the end is caught by AddressSanitizer.
inline bool DecodePrefix(const std::vector<uint8_t>& bytes, size_t length, Image& image) {
    std::vector<uint8_t> copy(bytes.begin(), bytes.begin() + std::min(length, bytes.size()));
    copy.shrink_to_fit();
    return image.LoadFromMemory(copy.data(), copy.size(), "damaged");
}

/// An image that failed must be empty.
inline void ExpectEmpty(const Image& image) {
    EXPECT_EQ(image.Width(), 0u);
    EXPECT_EQ(image.Height(), 0u);
    EXPECT_EQ(image.Pixels(), nullptr);
    EXPECT_EQ(image.Format(), ImageFormat::Unknown);
}

/// Flips single bytes all over `bytes` (deterministically) and decodes each
/// variant: whether it loads or not, the result must be a consistent image.
inline void DecodeWithFlippedBytes(const std::vector<uint8_t>& bytes, size_t variants) {
    uint32_t state = 12345;
    for (size_t v = 0; v < variants; ++v) {
        std::vector<uint8_t> damaged = bytes;
        for (int flips = 0; flips < 3; ++flips) {
            state = state * 1103515245u + 12345u;
            damaged[(state >> 8) % damaged.size()] ^= uint8_t(1u << ((state >> 4) % 8));
        }
        Image image;
        if (image.LoadFromMemory(damaged.data(), damaged.size(), "damaged")) {
            if (!image.IsSparse()) {
                EXPECT_EQ(image.PixelBytes(), size_t(image.Width()) * image.Height() * 4);
            }
        } else {
            ExpectEmpty(image);
        }
    }
}

} // namespace image_test
