// PNG decoding checked against ImageMagick's decode of the same files, made at
// test time in every colour type and bit depth.
#include "render/Image.h"
#include "render/ImageTestTools.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include <zlib.h>

using namespace image_test;
using testing_support::LogCapture;
using testing_support::ReadFile;

namespace {

struct PngCase {
    const char* name;
    int sourceBytesPerSample; // 1 or 2
    const char* options;      // convert options between the source and the output file
    int bitDepth;             // IHDR values the file must end up with
    int colourType;
    bool interlaced;
    bool transparentColour; // the file carries tRNS
};

void PrintTo(const PngCase& c, std::ostream* out) {
    *out << c.name;
}

const PngCase kCases[] = {
    {"palette1", 1,
     "-alpha off +dither -colors 2 -define png:exclude-chunks=bKGD -define png:color-type=3 "
     "-define png:bit-depth=1",
     1, 3, false, false},
    {"palette2", 1,
     "-alpha off +dither -colors 4 -define png:exclude-chunks=bKGD -define png:color-type=3 "
     "-define png:bit-depth=2",
     2, 3, false, false},
    {"palette4", 1,
     "-alpha off +dither -colors 16 -define png:exclude-chunks=bKGD -define png:color-type=3 "
     "-define png:bit-depth=4",
     4, 3, false, false},
    {"palette8", 1,
     "-alpha off +dither -colors 200 -define png:exclude-chunks=bKGD -define png:color-type=3 "
     "-define png:bit-depth=8",
     8, 3, false, false},
    {"paletteWithAlpha", 1, "+dither -colors 16 PNG8:", 8, 3, false, true},
    {"grey1", 1, "-alpha off -colorspace gray -define png:color-type=0 -define png:bit-depth=1", 1, 0, false,
     false},
    {"grey2", 1, "-alpha off -colorspace gray -define png:color-type=0 -define png:bit-depth=2", 2, 0, false,
     false},
    {"grey4", 1, "-alpha off -colorspace gray -define png:color-type=0 -define png:bit-depth=4", 4, 0, false,
     false},
    {"grey8", 1, "-alpha off -colorspace gray -define png:color-type=0 -define png:bit-depth=8", 8, 0, false,
     false},
    {"grey16", 2, "-alpha off -colorspace gray -define png:color-type=0 -define png:bit-depth=16", 16, 0,
     false, false},
    {"greyAlpha8", 1, "-colorspace gray -define png:color-type=4 -define png:bit-depth=8", 8, 4, false,
     false},
    {"greyAlpha16", 2, "-colorspace gray -define png:color-type=4 -define png:bit-depth=16", 16, 4, false,
     false},
    {"rgb8", 1, "-alpha off -define png:color-type=2 -define png:bit-depth=8", 8, 2, false, false},
    {"rgb16", 2, "-alpha off -define png:color-type=2 -define png:bit-depth=16", 16, 2, false, false},
    {"rgba8", 1, "-define png:color-type=6 -define png:bit-depth=8", 8, 6, false, false},
    {"rgba16", 2, "-define png:color-type=6 -define png:bit-depth=16", 16, 6, false, false},
    {"rgba8Interlaced", 1, "-interlace PNG -define png:color-type=6 -define png:bit-depth=8", 8, 6, true,
     false},
    {"rgb16Interlaced", 2, "-interlace PNG -alpha off -define png:color-type=2 -define png:bit-depth=16", 16,
     2, true, false},
    {"grey2Interlaced", 1,
     "-interlace PNG -alpha off -colorspace gray -define png:color-type=0 -define png:bit-depth=2", 2, 0,
     true, false},
    {"palette4Interlaced", 1,
     "-interlace PNG -alpha off +dither -colors 16 -define png:exclude-chunks=bKGD -define png:color-type=3 "
     "-define png:bit-depth=4",
     4, 3, true, false},
};

class PngDecode : public ::testing::TestWithParam<PngCase> {};

/// The IHDR bit depth, colour type and interlace method, and whether tRNS is present.
void ExpectHeader(const std::string& bytes, const PngCase& c) {
    ASSERT_GT(bytes.size(), 33u);
    EXPECT_EQ(uint8_t(bytes[24]), c.bitDepth);
    EXPECT_EQ(uint8_t(bytes[25]), c.colourType);
    EXPECT_EQ(uint8_t(bytes[28]), c.interlaced ? 1 : 0);
    EXPECT_EQ(bytes.find("tRNS") != std::string::npos, c.transparentColour);
}

/// The offset just past the last IDAT chunk.
size_t EndOfPictureData(const std::vector<uint8_t>& png) {
    size_t end = 0;
    for (size_t at = 8; at + 12 <= png.size();) {
        const size_t length = size_t(png[at]) << 24 | size_t(png[at + 1]) << 16 | size_t(png[at + 2]) << 8 |
                              size_t(png[at + 3]);
        if (std::equal(png.begin() + at + 4, png.begin() + at + 8, "IDAT")) {
            end = at + 12 + length;
        }
        at += 12 + length;
    }
    return end;
}

} // namespace

// Odd sizes (37 × 23) leave partial bytes at row ends for 1-, 2- and 4-bit
// rows and empty columns in the first interlace passes.
TEST_P(PngDecode, MatchesImageMagickExactly) {
    const PngCase& c = GetParam();
    const std::string file = TempPath(std::string(c.name) + ".png");
    const std::string options = c.options;
    const bool prefixed = options.size() > 5 && options.compare(options.size() - 5, 5, "PNG8:") == 0;
    ASSERT_TRUE(
        Convert(WriteSource(37, 23, c.sourceBytesPerSample) + " " + options + (prefixed ? "" : " ") + file));
    ExpectHeader(ReadFile(file), c);
    ExpectMatchesReference(file, 0, c.bitDepth == 16);
}

INSTANTIATE_TEST_SUITE_P(EveryColourTypeAndDepth, PngDecode, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// tRNS in grey and RGB files names one transparent colour; only its pixels
// become transparent.
TEST(PngDecode, TransparentColourOfGreyAndRgbFilesBecomesAlpha) {
    const std::string grey = TempPath("grey-trns.png");
    const std::string rgb = TempPath("rgb-trns.png");
    ASSERT_TRUE(Convert("-size 37x23 xc:gray50 -fill black -draw 'rectangle 3,3 20,10' -fill white -draw "
                        "'rectangle 10,12 30,20' -transparent white -define png:color-type=0 "
                        "-define png:bit-depth=8 " +
                        grey));
    ASSERT_TRUE(Convert("-size 37x23 xc:red -fill blue -draw 'rectangle 3,3 20,10' -fill lime -draw "
                        "'rectangle 10,12 30,20' -transparent lime -define png:color-type=2 "
                        "-define png:bit-depth=8 " +
                        rgb));
    for (const std::string& file : {grey, rgb}) {
        const std::string bytes = ReadFile(file);
        ASSERT_NE(bytes.find("tRNS"), std::string::npos) << file;
        ExpectMatchesReference(file, 0);
        Image image;
        ASSERT_TRUE(image.Load(file.c_str()));
        EXPECT_EQ(image.PixelAt(15, 15)[3], 0) << file; // inside the transparent rectangle
        EXPECT_EQ(image.PixelAt(0, 0)[3], 255) << file; // background
        EXPECT_EQ(image.Format(), ImageFormat::Png);
    }
}

TEST(PngDecode, DamagedFilesFailCleanly) {
    const std::string file = TempPath("damaged.png");
    ASSERT_TRUE(Convert(WriteSource(37, 23, 1) + " -interlace PNG " + file));
    const std::vector<uint8_t> bytes = Bytes(ReadFile(file));
    ASSERT_GT(bytes.size(), 100u);
    LogCapture log;
    // Every cut before the end of the last IDAT chunk (its CRC included) loses
    // picture data; what follows (text chunks, IEND) is not needed.
    for (size_t length = 0; length < EndOfPictureData(bytes); ++length) {
        Image image;
        EXPECT_FALSE(DecodePrefix(bytes, length, image)) << length;
        ExpectEmpty(image);
    }
    EXPECT_TRUE(log.Contains("Image: damaged: "));

    // A damaged CRC of a critical chunk (IHDR's, bytes 29..32) is an error.
    std::vector<uint8_t> badCrc = bytes;
    badCrc[30] ^= 0x40;
    Image image;
    EXPECT_FALSE(image.LoadFromMemory(badCrc.data(), badCrc.size(), "crc.png"));
    EXPECT_TRUE(log.Contains("Image: crc.png: PNG decoder: "));

    DecodeWithFlippedBytes(bytes, 300);
}

TEST(PngDecode, HugeDeclaredSizeIsRefusedBeforeAllocating) {
    const std::string file = TempPath("small.png");
    ASSERT_TRUE(Convert("-size 4x4 xc:red " + file));
    std::vector<uint8_t> bytes = Bytes(ReadFile(file));
    // IHDR width and height (big-endian, bytes 16..23) set to 60000 × 60000,
    // with a matching CRC, in a file of a few dozen bytes.
    const uint8_t huge[8] = {0, 0, 0xEA, 0x60, 0, 0, 0xEA, 0x60};
    std::copy(huge, huge + 8, bytes.begin() + 16);
    const uint32_t crc = uint32_t(crc32(0, bytes.data() + 12, 17));
    for (int i = 0; i < 4; ++i) {
        bytes[29 + i] = uint8_t(crc >> (24 - 8 * i));
    }
    LogCapture log;
    Image image;
    EXPECT_FALSE(image.LoadFromMemory(bytes.data(), bytes.size(), "huge.png"));
    ExpectEmpty(image);
    EXPECT_TRUE(log.Contains("Image: huge.png: picture too large (60000 x 60000 pixels)"));
}
