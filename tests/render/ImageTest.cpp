// Image basics: format detection, buffers, loading by path, and the box blur.
#include "render/Image.h"
#include "render/ImageBlur.h"
#include "io/Resources.h"
#include "render/RenderResources.h"
#include "render/Sprite.h"
#include "render/ImageTestTools.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>

using namespace image_test;
using testing_support::LogCapture;
using testing_support::WriteFile;

namespace {

ImageFormat Detect(const std::string& bytes) {
    return DetectImageFormat(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

std::string WithFooter(const std::string& start, const char* signature) {
    return start + std::string(40, '\0') + signature + std::string(2, '\0');
}

/// The blur computed the slow way: every window summed afresh.
std::vector<uint8_t> NaiveBoxBlur(const std::vector<uint8_t>& in, int width, int height, int radius) {
    const int window = 2 * radius + 1;
    std::vector<uint8_t> rows(in.size());
    std::vector<uint8_t> out(in.size());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int d = -radius; d <= radius; ++d) {
                    sum += in[(size_t(y) * width + std::clamp(x + d, 0, width - 1)) * 4 + c];
                }
                rows[(size_t(y) * width + x) * 4 + c] = uint8_t(sum / window);
            }
        }
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int d = -radius; d <= radius; ++d) {
                    sum += rows[(size_t(std::clamp(y + d, 0, height - 1)) * width + x) * 4 + c];
                }
                out[(size_t(y) * width + x) * 4 + c] = uint8_t(sum / window);
            }
            out[(size_t(y) * width + x) * 4 + 3] = 255;
        }
    }
    return out;
}

} // namespace

TEST(DetectImageFormat, FootersFirstThenJfifThenJpegMarkerThenPng) {
    const std::string png = "\x89PNG\r\n\x1A\n";
    const std::string jfif = std::string("\xFF\xD8\xFF\xE0\x00\x10", 6) + "JFIF";
    const std::string exif = std::string("\xFF\xD8\xFF\xE1\x00\x10", 6) + "Exif";
    EXPECT_EQ(Detect(WithFooter("", "TRUEVISION-XFILE")), ImageFormat::Tga);
    EXPECT_EQ(Detect(WithFooter("", "VARNO-DELTA-FILE")), ImageFormat::Delta);
    // The footer wins over a signature at the start.
    EXPECT_EQ(Detect(WithFooter(png, "TRUEVISION-XFILE")), ImageFormat::Tga);
    EXPECT_EQ(Detect(WithFooter(jfif, "VARNO-DELTA-FILE")), ImageFormat::Delta);
    EXPECT_EQ(Detect(jfif + std::string(20, '\0')), ImageFormat::Jpeg);
    EXPECT_EQ(Detect(std::string(6, 'x') + "JFIF"), ImageFormat::Jpeg);
    EXPECT_EQ(Detect(exif + std::string(20, '\0')), ImageFormat::Jpeg);
    EXPECT_EQ(Detect(png + std::string(20, '\0')), ImageFormat::Png);
    EXPECT_EQ(Detect("\x89PNG"), ImageFormat::Png);
    // A footer signature shifted by one byte is no footer.
    EXPECT_EQ(Detect(WithFooter("", "TRUEVISION-XFILE") + "x"), ImageFormat::Unknown);
    EXPECT_EQ(Detect(std::string("\xFF\xD8\x00", 3) + std::string(20, '\0')), ImageFormat::Unknown);
    for (size_t length = 0; length < 4; ++length) {
        EXPECT_EQ(Detect(png.substr(0, length)), ImageFormat::Unknown) << length;
    }
    EXPECT_EQ(DetectImageFormat(nullptr, 100), ImageFormat::Unknown);
}

TEST(Image, CreateAllocatesThirtyTwoBitPixelsWithinTheLimit) {
    Image image;
    ASSERT_TRUE(image.Create(3, 2));
    EXPECT_EQ(image.Width(), 3u);
    EXPECT_EQ(image.Height(), 2u);
    EXPECT_EQ(image.BitsPerPixel(), 32u);
    EXPECT_EQ(image.PixelBytes(), 24u);
    EXPECT_EQ(image.PixelAt(2, 1), image.Pixels() + 20);
    EXPECT_EQ(image.PixelAt(3, 0), nullptr);
    EXPECT_EQ(image.PixelAt(0, 2), nullptr);
    // 2^30 pixels or more are refused (this would be 4 GB).
    EXPECT_FALSE(image.Create(1u << 15, 1u << 15));
    ExpectEmpty(image);
    EXPECT_FALSE(image.Create(0xFFFFFFFFu, 0xFFFFFFFFu));
    ExpectEmpty(image);
}

TEST(Image, LoadReadsTheFileAndFailuresLeaveItEmpty) {
    Image image;
    ASSERT_TRUE(image.Create(2, 1));
    const uint8_t pixels[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    std::memcpy(image.Pixels(), pixels, 8);
    std::filesystem::create_directories("pictures");
    ASSERT_TRUE(image.SaveTga("pictures/two.tga"));

    Image loaded;
    ASSERT_TRUE(loaded.Load("pictures/two.tga"));
    EXPECT_EQ(loaded.Format(), ImageFormat::Tga);
    ASSERT_EQ(loaded.PixelBytes(), 8u);
    EXPECT_EQ(std::memcmp(loaded.Pixels(), pixels, 8), 0);

    LogCapture log;
    EXPECT_FALSE(loaded.Load("pictures/missing.tga"));
    ExpectEmpty(loaded);
    EXPECT_TRUE(log.Contains("Image: pictures/missing.tga: cannot open the file"));

    ASSERT_TRUE(WriteFile("pictures/notes.png", "just some text, not a picture"));
    EXPECT_FALSE(loaded.Load("pictures/notes.png"));
    ExpectEmpty(loaded);
    EXPECT_TRUE(log.Contains("Image: pictures/notes.png: unknown image format"));
}

TEST(Image, PicturesTooLargeForASpriteAreRefusedBeforeTheyAreDecoded) {
    Image wide;
    ASSERT_TRUE(wide.Create(2048, 1));
    std::memset(wide.Pixels(), 0x40, wide.PixelBytes());
    std::filesystem::create_directories("pictures");
    ASSERT_TRUE(wide.SaveTga("pictures/wide.tga"));

    LogCapture log;
    const uint64_t before = Image::DecodedBytesTotal();
    Image limited;
    limited.LimitSides(1024);
    EXPECT_FALSE(limited.Load("pictures/wide.tga"));
    EXPECT_TRUE(log.Contains("larger than the 1024 pixels a side"));
    EXPECT_EQ(Image::DecodedBytesTotal(), before) << "nothing was decoded";
    Image unlimited;
    ASSERT_TRUE(unlimited.Load("pictures/wide.tga"));
    EXPECT_EQ(Image::DecodedBytesTotal(), before + 2048 * 4);

    // The sprite loader sets that limit.
    StartResourcesAndRenderer();
    EXPECT_EQ(Resources::FindSprite("pictures/wide.tga"), nullptr);
    ASSERT_TRUE(wide.Create(1024, 2));
    ASSERT_TRUE(wide.SaveTga("pictures/fits.tga"));
    EXPECT_NE(Resources::FindSprite("pictures/fits.tga"), nullptr);
    Resources::Shutdown();
}

TEST(BoxBlur, MatchesTheWindowAverageWithEdgesClamped) {
    std::mt19937 random(7);
    const struct { int width, height; } sizes[] = {{1, 1}, {7, 5}, {13, 1}, {1, 9}, {16, 16}};
    for (const auto& size : sizes) {
        for (int radius : {1, 2, 6, 40}) {
            std::vector<uint8_t> pixels(size_t(size.width) * size.height * 4);
            for (uint8_t& value : pixels) {
                value = uint8_t(random());
            }
            const std::vector<uint8_t> expected = NaiveBoxBlur(pixels, size.width, size.height, radius);
            BoxBlur(pixels.data(), size.width, size.height, radius);
            EXPECT_EQ(pixels, expected) << size.width << "x" << size.height << " radius " << radius;
        }
    }
}

TEST(BoxBlur, DoesNothingWithoutARadiusOrPixels) {
    std::vector<uint8_t> pixels = {10, 20, 30, 40, 50, 60, 70, 80};
    const std::vector<uint8_t> before = pixels;
    BoxBlur(pixels.data(), 2, 1, 0);
    BoxBlur(pixels.data(), 2, 1, -3);
    BoxBlur(pixels.data(), 0, 1, 2);
    BoxBlur(nullptr, 2, 1, 2);
    EXPECT_EQ(pixels, before);
}
