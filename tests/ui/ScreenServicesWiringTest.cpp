// The screen stack drawing through its services on real pixels: the kept
// picture behind snapshots, the paused view while the window is in the
// background, push transitions and their completion messages, captured
// backgrounds beneath the screens that ask for them.
#include "ScreenStackFixture.h"

#include "UiTestPictures.h"
#include "render/Image.h"
#include "render/RenderContext.h"
#include "render/ScreenDraw.h"
#include "support/DeferredQueue.h"

#include <filesystem>
#include <memory>

using namespace ui_test;

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;

class StackDrawingTest : public ScreenStackTest {
protected:
    void SetUp() override {
        ScreenStackTest::SetUp();
        gl = std::make_unique<testing_support::GlTestContext>(kWidth, kHeight);
        if (!gl->Available()) {
            GTEST_SKIP() << "no display for an OpenGL context (" << gl->Error() << ")";
        }
        ui.Start();
    }
    // The snapshot images are textures of the test's context: they go before it.
    void TearDown() override { ui.services.Shutdown(); }

    /// A frame of the game with the quadrants on screen, then presented:
    /// the back buffer is left cleared, as the window leaves it.
    void FrameShowingQuadrants() {
        DrawQuadrants();
        ui.Draw();
        ClearTo(kBlack);
    }
    Rgba At(int x, int y) const { return gl->ReadPixel(x, y); }

    std::unique_ptr<testing_support::GlTestContext> gl;
};

} // namespace

TEST_F(StackDrawingTest, CapturesReadTheLastDrawnPictureAfterItWasPresented) {
    FrameShowingQuadrants();
    EXPECT_TRUE(HasKeptFrame());
    Image image;
    ASSERT_TRUE(CaptureScreen(image));
    EXPECT_EQ(image.PixelAt(1, 1)[2], 255);
    EXPECT_EQ(image.PixelAt(kWidth - 2, kHeight - 2)[1], 255);
    ForgetKeptFrame();
    ASSERT_TRUE(CaptureScreen(image));
    EXPECT_EQ(image.PixelAt(1, 1)[2], 0);
}

TEST_F(StackDrawingTest, PausedViewShowsTheLastPictureWhileTheWindowIsInTheBackground) {
    FrameShowingQuadrants();
    platform.hasFocus = false;
    ui.Draw();
    EXPECT_TRUE(Near(At(1, 1), kRed));
    EXPECT_TRUE(Near(At(kWidth - 2, kHeight - 2), kWhite));
    EXPECT_FALSE(ui.drawnLastFrame);
    // Later background frames keep the same still; the paused picture is never kept.
    ClearTo(kBlue);
    ui.Draw();
    EXPECT_TRUE(Near(At(1, 1), kRed));
    platform.hasFocus = true;
    ClearTo(kGreen);
    ui.Draw();
    EXPECT_TRUE(ui.drawnLastFrame);
    platform.hasFocus = false;
    ClearTo(kBlack);
    ui.Draw();
    EXPECT_TRUE(Near(At(1, 1), kGreen));
}

TEST_F(StackDrawingTest, PushFadesFromThePictureBeforeAndTheTopScreenHearsTheEnd) {
    FrameShowingQuadrants();
    ProbeScreen* probe = LoadProbe("title");
    ASSERT_TRUE(ui.PushScreen(probe, 1));
    frameTime = 0.25f;
    ClearTo(kUnder);
    ui.Draw();
    EXPECT_TRUE(Near(At(1, 1), kRed)); // p = 1
    ClearTo(kUnder);
    ui.Draw();
    EXPECT_TRUE(Near(At(1, 1), Mix(kRed, kUnder, 0.5f)));

    TakeJournal();
    ui.services.StartTransition(0, 0.5f, 3005);
    ui.Draw();
    ui.Draw();
    std::vector<std::string> journal = TakeJournal();
    EXPECT_EQ(std::count(journal.begin(), journal.end(), "title:message3005"), 1);
    ui.Draw();
    journal = TakeJournal();
    EXPECT_EQ(std::count(journal.begin(), journal.end(), "title:message3005"), 0);
}

TEST_F(StackDrawingTest, ScreenThatCapturesTheBackgroundIsDrawnOverTheBlurredPicture) {
    FrameShowingQuadrants();
    ASSERT_TRUE(testing_support::WriteFile("gui/pause.scene", ScreenScene("ProbeScreen", "pause") +
                                                                  "pause.captureBackground = true;\n"));
    Scene* scene = LoadScene("gui/pause.scene").release();
    ASSERT_NE(scene, nullptr);
    auto* screen = static_cast<Screen*>(scene->FindElement("pause", "Screen"));
    ASSERT_TRUE(screen && screen->captureBackground.FirstBool());
    ASSERT_TRUE(ui.PushScreen(screen, 0));
    EXPECT_TRUE(ui.services.Background().HasPicture());
    ClearTo(kBlack);
    ui.Draw();
    EXPECT_TRUE(Near(At(1, 1), kRed));
    EXPECT_TRUE(Near(At(kWidth - 2, 1), kGreen));
}

TEST_F(StackDrawingTest, DelayedScreenshotArrivesAsADeferredMessage) {
    FrameShowingQuadrants();
    testing_support::DeferredQueue deferred;
    ui.services.SetPoster(deferred.Poster());
    EXPECT_TRUE(ui.services.TakeScreenshot("shot", 1.0f));
    ASSERT_EQ(deferred.posted.size(), 1u);
    ui.OnDeferredMessage(deferred.posted[0].code, deferred.posted[0].data);
    EXPECT_TRUE(std::filesystem::exists("shot.tga"));
    Image shot;
    ASSERT_TRUE(shot.Load("shot.tga"));
    EXPECT_EQ(shot.PixelAt(1, 1)[2], 255);
}
