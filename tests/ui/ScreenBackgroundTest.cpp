// The half-size background and the paused still: capture from the frame
// buffer, blur, brightness, drawing over the picture, files.
#include "ui/ScreenBackground.h"
#include "ui/PausedView.h"

#include "UiTestPictures.h"
#include "render/Image.h"
#include "render/RenderState.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>

using namespace ui_test;

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;

Rgba PixelOf(Sprite& sprite, int x, int y) {
    const uint8_t* p = sprite.Pixels() + (size_t(y) * sprite.Width() + x) * 4;
    return Rgba{p[2], p[1], p[0], p[3]};
}

class BackgroundTest : public ::testing::Test {
protected:
    void SetUp() override {
        gl = std::make_unique<testing_support::GlTestContext>(kWidth, kHeight);
        if (!gl->Available()) {
            GTEST_SKIP() << "no display for an OpenGL context (" << gl->Error() << ")";
        }
        ASSERT_TRUE(background.Allocate());
    }

    Rgba At(int x, int y) const { return gl->ReadPixel(x, y); }

    std::unique_ptr<testing_support::GlTestContext> gl;
    ScreenBackground background;
};

} // namespace

TEST_F(BackgroundTest, CaptureKeepsEverySecondPixelOfEverySecondRow) {
    ScreenView();
    ClearTo(kBlue);
    // Odd columns and odd rows (counted from the frame buffer's first row,
    // the bottom) are red: none of them may reach the background.
    for (int x = 1; x < kWidth; x += 2) {
        Fill(kRed, float(x), 0, float(x + 1), float(kHeight));
    }
    for (int row = 1; row < kHeight; row += 2) {
        const float top = float(kHeight - 1 - row);
        Fill(kRed, 0, top, float(kWidth), top + 1);
    }
    ASSERT_TRUE(background.Capture(false));
    Sprite& picture = background.Picture();
    ASSERT_EQ(picture.Width(), kWidth / 2);
    ASSERT_EQ(picture.Height(), kHeight / 2);
    for (int y = 0; y < picture.Height(); ++y) {
        for (int x = 0; x < picture.Width(); ++x) {
            ASSERT_TRUE(Near(PixelOf(picture, x, y), kBlue)) << x << ", " << y;
        }
    }
    EXPECT_TRUE(background.HasPicture());
}

TEST_F(BackgroundTest, BlurredCaptureAveragesAcrossEdgesAndDrawsMirroredOverThePicture) {
    DrawQuadrants();
    ASSERT_TRUE(background.Capture(true));
    Sprite& picture = background.Picture();
    // Bottom rows first: row 5 is the screen's lower half. Column 15's
    // window (13 … 17) holds three blue and two white pixels.
    const Rgba edge = PixelOf(picture, 15, 5);
    EXPECT_EQ(edge.b, 255);
    EXPECT_EQ(edge.r, 102);
    EXPECT_EQ(edge.g, 102);
    EXPECT_EQ(edge.a, 255);
    EXPECT_TRUE(Near(PixelOf(picture, 2, 5), kBlue, 0));

    ClearTo(kBlack);
    background.Draw();
    EXPECT_TRUE(Near(At(1, 1), kRed));
    EXPECT_TRUE(Near(At(kWidth - 2, 1), kGreen));
    EXPECT_TRUE(Near(At(1, kHeight - 2), kBlue));
    EXPECT_TRUE(Near(At(kWidth - 2, kHeight - 2), kWhite));
    EXPECT_EQ(RenderStack::Top(), 0);
}

TEST_F(BackgroundTest, BrightnessOffsetsTheColourChannelsAndIsClamped) {
    DrawQuadrants();
    ASSERT_TRUE(background.Capture(false));
    background.SetBrightness(0.5f);
    ClearTo(kBlack);
    background.Draw();
    EXPECT_TRUE(Near(At(5, 5), Rgba{255, 32, 32, 255}));
    background.SetBrightness(-7.0f);
    EXPECT_EQ(background.Brightness(), -1.0f);
    background.Draw();
    EXPECT_TRUE(Near(At(5, 5), Rgba{191, 0, 0, 255}));
    // A new capture starts at brightness 0 again.
    ASSERT_TRUE(background.Capture(false));
    EXPECT_EQ(background.Brightness(), 0.0f);
}

TEST_F(BackgroundTest, SavedFileIsTheBlurredBackgroundTopRowFirstAndLoadsBack) {
    DrawQuadrants();
    const std::string path = testing_support::TestTempDir() + "/background.tga";
    ASSERT_TRUE(background.Save(path.c_str()));
    Image image;
    ASSERT_TRUE(image.Load(path.c_str()));
    ASSERT_EQ(image.Width(), uint32_t(kWidth / 2));
    ASSERT_EQ(image.Height(), uint32_t(kHeight / 2));
    EXPECT_EQ(image.PixelAt(0, 0)[2], 255); // red, top left
    EXPECT_EQ(image.PixelAt(0, 0)[1], 0);
    EXPECT_EQ(image.PixelAt(15, 0)[1], 102); // blurred into the green quadrant

    ScreenBackground loaded;
    ASSERT_TRUE(loaded.Allocate());
    EXPECT_FALSE(loaded.HasPicture());
    ASSERT_TRUE(loaded.Load(path.c_str()));
    EXPECT_TRUE(loaded.HasPicture());
    ClearTo(kBlack);
    loaded.Draw();
    EXPECT_TRUE(Near(At(1, 1), kRed));
    EXPECT_TRUE(Near(At(kWidth - 2, kHeight - 2), kWhite));
}

TEST_F(BackgroundTest, LoadingResamplesPicturesOfAnotherSizeAndRefusesMissingFiles) {
    Image full;
    ASSERT_TRUE(full.Create(kWidth * 2, kHeight * 2));
    for (uint32_t y = 0; y < full.Height(); ++y) {
        for (uint32_t x = 0; x < full.Width(); ++x) {
            uint8_t* p = full.PixelAt(x, y);
            const bool top = y < full.Height() / 2;
            p[0] = top ? 0 : 255;
            p[1] = 0;
            p[2] = top ? 255 : 0;
            p[3] = 255;
        }
    }
    const std::string path = testing_support::TestTempDir() + "/complete.tga";
    ASSERT_TRUE(full.SaveTga(path.c_str()));
    ASSERT_TRUE(background.Load(path.c_str()));
    EXPECT_EQ(background.Picture().Width(), kWidth / 2);
    ClearTo(kBlack);
    background.Draw();
    EXPECT_TRUE(Near(At(kWidth / 2, 2), kRed));
    EXPECT_TRUE(Near(At(kWidth / 2, kHeight - 3), kBlue));

    testing_support::LogCapture log;
    EXPECT_FALSE(background.Load((testing_support::TestTempDir() + "/missing.tga").c_str()));
}

namespace {

/// Records where the caption is drawn; fixed metrics.
class RecordingFont : public CaptionFont {
public:
    explicit RecordingFont(float advance = 4.0f) : advance(advance) {}
    float TextWidth(const char* text) override { return advance * float(std::strlen(text)); }
    float HeightValue() override { return 5.0f; }
    void DrawText(const char* text) override {
        drawn = text;
        const Matrix4& modelView = RenderStack::Current().modelView;
        x = modelView.m[12];
        y = modelView.m[13];
        blending = RenderStack::Current().blending;
    }
    std::string drawn;
    float x = 0.0f;
    float y = 0.0f;
    bool blending = false;
    float advance;
};

} // namespace

TEST_F(BackgroundTest, PausedViewShowsAStronglyBlurredStillAndTheCaption) {
    PausedView paused;
    ASSERT_TRUE(paused.Allocate());
    DrawQuadrants();
    ASSERT_TRUE(paused.Capture());
    // Radius 5 at the column left of the vertical edge: 6 of 11 are red.
    const Rgba edge = PixelOf(paused.Still(), kWidth / 2 - 1, kHeight - 5);
    EXPECT_EQ(edge.r, (6 * 255) / 11);
    EXPECT_EQ(edge.g, (5 * 255) / 11);

    RecordingFont header(4.0f);
    RecordingFont dialogue(3.0f);
    ClearTo(kBlack);
    paused.Draw(PausedCaption{"Paused", &header, &dialogue});
    EXPECT_TRUE(Near(At(1, 1), kRed));
    EXPECT_TRUE(Near(At(kWidth - 2, kHeight - 2), kWhite));
    EXPECT_TRUE(header.drawn.empty());
    EXPECT_EQ(dialogue.drawn, "Paused");
    // At (−W/2, −2H) from the centre: W in the font it is drawn in, so it
    // is centred; H the header font's height value.
    EXPECT_FLOAT_EQ(dialogue.x, kWidth / 2 - 9.0f);
    EXPECT_FLOAT_EQ(dialogue.y, kHeight / 2 - 10.0f);
    EXPECT_TRUE(dialogue.blending);

    RecordingFont unused;
    paused.Draw(PausedCaption{"", &header, &unused});
    EXPECT_TRUE(unused.drawn.empty());
    EXPECT_EQ(RenderStack::Top(), 0);
}
