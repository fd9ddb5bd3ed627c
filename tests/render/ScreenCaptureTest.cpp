// Reading the frame buffer back: into sprites, into images, and as TGA
// screenshot files.
#include "render/Image.h"
#include "render/RenderContext.h"
#include "render/RenderState.h"
#include "render/ScreenDraw.h"
#include "render/Screenshot.h"
#include "render/Sprite.h"
#include "support/GlTestContext.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <regex>

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;

/// Black screen with a red top-left and a green bottom-right pixel.
void DrawMarkers() {
    RenderStack::SetProjectionMatrix(MakeScreenProjection(kWidth, kHeight));
    RenderStack::SetColor(0, 0, 0, 1);
    ClearScreen();
    RenderStack::SetTexturing(false);
    RenderStack::SetColor(1, 0, 0, 1);
    DrawRectQuad(Vec2{0, 0}, Vec2{1, 1});
    RenderStack::SetColor(0, 1, 0, 1);
    DrawRectQuad(Vec2{kWidth - 1.0f, kHeight - 1.0f}, Vec2{float(kWidth), float(kHeight)});
    RenderStack::SetTexturing(true);
    RenderStack::SetColor(1, 1, 1, 1);
}

const uint8_t* PixelOf(const uint8_t* pixels, int width, int x, int y) {
    return pixels + (size_t(y) * width + x) * 4;
}

} // namespace

TEST(ScreenCapture, IntoASpriteOfTheDisplaySizeOnly) {
    GL_TEST_CONTEXT_OR_SKIP(gl, kWidth, kHeight);
    DrawMarkers();
    Sprite wrongSize;
    ASSERT_TRUE(wrongSize.Create(kWidth, kHeight - 1));
    std::memset(wrongSize.Pixels(), 0xAB, size_t(kWidth) * (kHeight - 1) * 4);
    ASSERT_TRUE(wrongSize.Upload(false));
    EXPECT_FALSE(CaptureScreen(wrongSize));
    EXPECT_EQ(wrongSize.Pixels()[0], 0xAB);
    EXPECT_FALSE(wrongSize.IsDirty());
    EXPECT_GE(wrongSize.Slot(), 0);

    Sprite capture;
    ASSERT_TRUE(capture.Create(kWidth, kHeight));
    ASSERT_TRUE(capture.Upload(false));
    ASSERT_TRUE(CaptureScreen(capture));
    // Rows as OpenGL gives them: the bottom of the screen first.
    const uint8_t* bottomRight = PixelOf(capture.Pixels(), kWidth, kWidth - 1, 0);
    EXPECT_EQ(bottomRight[1], 255);
    EXPECT_EQ(bottomRight[2], 0);
    const uint8_t* topLeft = PixelOf(capture.Pixels(), kWidth, 0, kHeight - 1);
    EXPECT_EQ(topLeft[2], 255);
    // The old texture is dropped so that the next draw shows the new picture.
    EXPECT_TRUE(capture.IsDirty());
    EXPECT_EQ(capture.Slot(), -1);
}

TEST(ScreenCapture, IntoAnImageWithTheTopRowFirst) {
    GL_TEST_CONTEXT_OR_SKIP(gl, kWidth, kHeight);
    DrawMarkers();
    Image image;
    ASSERT_TRUE(CaptureScreen(image));
    ASSERT_EQ(image.Width(), uint32_t(kWidth));
    ASSERT_EQ(image.Height(), uint32_t(kHeight));
    EXPECT_EQ(image.BitsPerPixel(), 32u);
    EXPECT_EQ(image.PixelAt(0, 0)[2], 255);
    EXPECT_EQ(image.PixelAt(0, 0)[1], 0);
    EXPECT_EQ(image.PixelAt(kWidth - 1, kHeight - 1)[1], 255);
    EXPECT_EQ(image.PixelAt(1, 1)[2], 0);
}

TEST(Screenshot, FileNameCarriesTimeThenDate) {
    const ScreenshotTime time{
        .hour = 14, .minute = 5, .second = 9, .millisecond = 123, .month = 4, .day = 7, .year = 2024};
    EXPECT_STREQ(ScreenshotFileName(time).CStr(), "screenshot_1405090123_04072024.tga");
    const ScreenshotTime early{
        .hour = 0, .minute = 0, .second = 0, .millisecond = 0, .month = 12, .day = 31, .year = 999};
    EXPECT_STREQ(ScreenshotFileName(early).CStr(), "screenshot_0000000000_1231999.tga");
}

TEST(Screenshot, WritesATgaOfTheScreenWithTheFooter) {
    GL_TEST_CONTEXT_OR_SKIP(gl, kWidth, kHeight);
    DrawMarkers();
    String path;
    ASSERT_TRUE(SaveScreenshot("shot", &path));
    EXPECT_STREQ(path.CStr(), "shot.tga");
    const std::string file = testing_support::ReadFile("shot.tga");
    ASSERT_EQ(file.size(), 18u + kWidth * kHeight * 4 + 18u);
    const auto* bytes = reinterpret_cast<const uint8_t*>(file.data());
    EXPECT_EQ(bytes[2], 2);
    EXPECT_EQ(bytes[12] | (bytes[13] << 8), kWidth);
    EXPECT_EQ(bytes[14] | (bytes[15] << 8), kHeight);
    EXPECT_EQ(bytes[16], 32);
    EXPECT_EQ(file.substr(file.size() - 18), std::string("TRUEVISION-XFILE") + std::string(2, '\0'));
    // The file stores the bottom row first: the green bottom-right pixel
    // opens the data, the red top-left pixel starts its last row.
    const uint8_t* data = bytes + 18;
    EXPECT_EQ(PixelOf(data, kWidth, kWidth - 1, 0)[1], 255);
    EXPECT_EQ(PixelOf(data, kWidth, 0, kHeight - 1)[2], 255);
    // And it loads back as the same picture, top row first.
    Image loaded;
    ASSERT_TRUE(loaded.Load("shot.tga"));
    EXPECT_EQ(loaded.PixelAt(0, 0)[2], 255);
}

TEST(Screenshot, UnnamedShotGetsTheTimeStampedName) {
    GL_TEST_CONTEXT_OR_SKIP(gl, kWidth, kHeight);
    DrawMarkers();
    String path;
    ASSERT_TRUE(SaveScreenshot(nullptr, &path));
    EXPECT_TRUE(std::regex_match(path.CStr(), std::regex(R"(screenshot_\d{10}_\d{4}\d+\.tga)")))
        << path.CStr();
    EXPECT_TRUE(std::filesystem::exists(path.CStr()));
}

TEST(Screenshot, FailedWriteIsReported) {
    GL_TEST_CONTEXT_OR_SKIP(gl, kWidth, kHeight);
    testing_support::LogCapture log;
    EXPECT_FALSE(SaveScreenshot("no/such/folder/shot"));
    EXPECT_TRUE(log.Contains("could not be written"));
}
