// JPEG decoding checked against ImageMagick's decode of files it wrote.
#include "render/Image.h"
#include "render/ImageTestTools.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace image_test;
using testing_support::LogCapture;
using testing_support::ReadFile;
using testing_support::WriteFile;

namespace {

// Both sides run an IDCT over the same coefficients; rounding may differ slightly.
constexpr int kTolerance = 2;

struct JpegCase {
    const char* name;
    const char* options;
    uint8_t frameMarker; // C0 baseline, C2 progressive
    int components;
};

void PrintTo(const JpegCase& c, std::ostream* out) {
    *out << c.name;
}

const JpegCase kCases[] = {
    {"baseline420", "-quality 85 -sampling-factor 2x2", 0xC0, 3},
    {"baseline444", "-quality 95 -sampling-factor 1x1", 0xC0, 3},
    {"baseline422", "-quality 90 -sampling-factor 2x1", 0xC0, 3},
    {"progressive", "-quality 85 -interlace JPEG", 0xC2, 3},
    {"greyscale", "-colorspace gray -quality 90", 0xC0, 1},
    {"greyscaleProgressive", "-colorspace gray -quality 90 -interlace JPEG", 0xC2, 1},
};

/// The frame marker (FF C0..C2) and its component count.
void ExpectFrame(const std::string& bytes, uint8_t marker, int components) {
    const size_t at = bytes.find(std::string("\xFF") + char(marker));
    ASSERT_NE(at, std::string::npos);
    ASSERT_LT(at + 9, bytes.size());
    EXPECT_EQ(uint8_t(bytes[at + 9]), components);
}

std::string MakeJpeg(const std::string& name, const std::string& options, int width = 37, int height = 23) {
    const std::string file = TempPath(name + ".jpg");
    EXPECT_TRUE(Convert(WriteSource(width, height, 1) + " -alpha off " + options + " " + file));
    return file;
}

/// The same file with its JFIF segment replaced by a minimal Exif one, as
/// cameras write them.
std::string WithExifInsteadOfJfif(const std::string& jpeg) {
    EXPECT_EQ(jpeg.substr(6, 4), "JFIF");
    const size_t jfifLength = size_t(uint8_t(jpeg[4])) << 8 | uint8_t(jpeg[5]);
    const std::string tiff = std::string("Exif\0\0", 6) + std::string("II*\0\x08\0\0\0\0\0", 10);
    const size_t length = tiff.size() + 2;
    std::string exif = std::string("\xFF\xE1") + char(length >> 8) + char(length & 0xFF) + tiff;
    return jpeg.substr(0, 2) + exif + jpeg.substr(4 + jfifLength);
}

class JpegDecode : public ::testing::TestWithParam<JpegCase> {};

} // namespace

TEST_P(JpegDecode, MatchesImageMagick) {
    const JpegCase& c = GetParam();
    const std::string file = MakeJpeg(c.name, c.options);
    ExpectFrame(ReadFile(file), c.frameMarker, c.components);
    ExpectMatchesReference(file, kTolerance);
    Image image;
    ASSERT_TRUE(image.Load(file.c_str()));
    EXPECT_EQ(image.Format(), ImageFormat::Jpeg);
    EXPECT_EQ(image.Width(), 37u);
    EXPECT_EQ(image.Height(), 23u);
    for (size_t i = 3; i < image.PixelBytes(); i += 4) {
        ASSERT_EQ(image.Pixels()[i], 255);
    }
}

INSTANTIATE_TEST_SUITE_P(CommonKinds, JpegDecode, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(JpegDecode, FileWithExifInsteadOfJfifLoadsTheSamePixels) {
    const std::string jfif = MakeJpeg("jfif", "-quality 90");
    const std::string exif = TempPath("camera.jpg");
    ASSERT_TRUE(WriteFile(exif, WithExifInsteadOfJfif(ReadFile(jfif))));
    const std::vector<uint8_t> bytes = Bytes(ReadFile(exif));
    ASSERT_NE(std::string(bytes.begin() + 6, bytes.begin() + 10), "JFIF");
    EXPECT_EQ(DetectImageFormat(bytes.data(), bytes.size()), ImageFormat::Jpeg);

    Image fromJfif;
    Image fromExif;
    ASSERT_TRUE(fromJfif.Load(jfif.c_str()));
    ASSERT_TRUE(fromExif.Load(exif.c_str()));
    ASSERT_EQ(fromExif.PixelBytes(), fromJfif.PixelBytes());
    EXPECT_EQ(std::memcmp(fromExif.Pixels(), fromJfif.Pixels(), fromJfif.PixelBytes()), 0);
    ExpectMatchesReference(exif, kTolerance);
}

TEST(JpegDecode, TruncatedFilesFail) {
    for (const char* options : {"-quality 90", "-quality 90 -interlace JPEG"}) {
        const std::vector<uint8_t> bytes = Bytes(ReadFile(MakeJpeg("cut", options, 64, 48)));
        ASSERT_GT(bytes.size(), 200u);
        LogCapture log;
        // Every cut that loses entropy-coded data, not just the end marker.
        for (size_t length = 0; length + 8 < bytes.size(); ++length) {
            Image image;
            EXPECT_FALSE(DecodePrefix(bytes, length, image)) << options << " cut at " << length;
            ExpectEmpty(image);
        }
        EXPECT_TRUE(log.Contains("Image: damaged: truncated JPEG data")) << options;
        EXPECT_TRUE(log.Contains("Image: damaged: JPEG decoder: ")) << options;
    }
}

TEST(JpegDecode, DamagedAndUnsupportedFilesFailCleanly) {
    const std::vector<uint8_t> bytes = Bytes(ReadFile(MakeJpeg("flip", "-quality 80", 64, 48)));
    LogCapture log;
    DecodeWithFlippedBytes(bytes, 300);

    // "JFIF" at offset 6 makes a file a JPEG candidate, nothing more.
    std::string fake = std::string(6, '\0') + "JFIF" + std::string(100, 'x');
    Image image;
    EXPECT_FALSE(
        image.LoadFromMemory(reinterpret_cast<const uint8_t*>(fake.data()), fake.size(), "fake.jpg"));
    ExpectEmpty(image);
    EXPECT_TRUE(log.Contains("Image: fake.jpg: JPEG decoder: "));

    // Four-channel (CMYK) files are not converted.
    const std::string cmyk = MakeJpeg("cmyk", "-colorspace CMYK -quality 90");
    log.Clear();
    EXPECT_FALSE(image.Load(cmyk.c_str()));
    ExpectEmpty(image);
    EXPECT_TRUE(log.Contains("JPEG decoder: "));
}

TEST(JpegDecode, ProgressiveFileWithThousandsOfScansIsRefused) {
    // Each scan of a progressive file runs over the whole picture, so a small
    // file repeating one scan again and again would take very long to decode.
    const std::string jpeg = ReadFile(MakeJpeg("scans", "-quality 80 -interlace JPEG", 16, 16));
    const size_t lastScan = jpeg.rfind("\xFF\xDA");
    const size_t end = jpeg.rfind("\xFF\xD9");
    ASSERT_NE(lastScan, std::string::npos);
    ASSERT_LT(lastScan, end);
    std::string repeated = jpeg.substr(0, end);
    for (int i = 0; i < 1100; ++i) {
        repeated += jpeg.substr(lastScan, end - lastScan);
    }
    repeated += "\xFF\xD9";
    LogCapture log;
    Image image;
    EXPECT_FALSE(image.LoadFromMemory(reinterpret_cast<const uint8_t*>(repeated.data()), repeated.size(),
                                      "scans.jpg"));
    ExpectEmpty(image);
    EXPECT_TRUE(log.Contains("Image: scans.jpg: JPEG file has more than 1000 scans"));
}
