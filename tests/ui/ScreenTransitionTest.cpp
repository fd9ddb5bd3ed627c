// Transitions drawn on real pixels: the snapshot taken at the start, each
// effect at chosen progress values, and the timing of completion messages.
#include "ui/ScreenTransition.h"

#include "UiTestPictures.h"
#include "render/RenderState.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace ui_test;

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;

/// Starts a transition over the quadrant pattern, runs it to progress `p`
/// and draws it once more over the new screens (kUnder).
void DrawAtProgress(ScreenTransition& transition, int32_t type, float p) {
    DrawQuadrants();
    transition.Start(type, 1.0f, -1);
    ClearTo(kUnder);
    transition.Draw(1.0f - p);
    ASSERT_NEAR(transition.Progress(), p, 1e-6);
    ClearTo(kUnder);
    transition.Draw(0.0f);
}

/// Progress at which types 6 and 7 have turned by exactly pi.
const float kHalfTurnProgress = 1.0f - std::sqrt(float(M_PI)) / 4.0f;

class TransitionTest : public ::testing::Test {
protected:
    void SetUp() override {
        gl = std::make_unique<testing_support::GlTestContext>(kWidth, kHeight);
        if (!gl->Available()) {
            GTEST_SKIP() << "no display for an OpenGL context (" << gl->Error() << ")";
        }
        ASSERT_TRUE(transition.Allocate());
    }
    void TearDown() override { transition.Release(); }

    Rgba At(int x, int y) const { return gl->ReadPixel(x, y); }

    std::unique_ptr<testing_support::GlTestContext> gl;
    ScreenTransition transition;
};

} // namespace

TEST_F(TransitionTest, CrossFadeShowsTheOldPictureTheRightWayUp) {
    DrawAtProgress(transition, 1, 1.0f);
    EXPECT_TRUE(Near(At(5, 5), kRed));
    EXPECT_TRUE(Near(At(kWidth - 5, kHeight - 5), kWhite));
    DrawAtProgress(transition, 1, 0.5f);
    EXPECT_TRUE(Near(At(5, 5), Mix(kRed, kUnder, 0.5f)));
    EXPECT_TRUE(Near(At(5, kHeight - 5), Mix(kBlue, kUnder, 0.5f)));
    EXPECT_EQ(RenderStack::Top(), 0);
}

TEST_F(TransitionTest, SlidesMoveAnOpaqueSnapshotTheRightWayUp) {
    // Along x by (1 − p) × width: the left half is uncovered.
    DrawAtProgress(transition, 2, 0.5f);
    EXPECT_TRUE(Near(At(10, 5), kUnder));
    EXPECT_TRUE(Near(At(kWidth / 2 + 10, 5), kRed));
    EXPECT_TRUE(Near(At(kWidth / 2 + 10, kHeight - 5), kBlue));
    // Along y by (1 − p) × height.
    DrawAtProgress(transition, 3, 0.5f);
    EXPECT_TRUE(Near(At(10, 10), kUnder));
    EXPECT_TRUE(Near(At(10, kHeight / 2 + 10), kRed));
    EXPECT_TRUE(Near(At(kWidth - 10, kHeight / 2 + 10), kGreen));
    // At the start it covers everything.
    DrawAtProgress(transition, 2, 1.0f);
    EXPECT_TRUE(Near(At(5, 5), kRed));
}

TEST_F(TransitionTest, ZoomsScaleAboutTheCentreAndFade) {
    // Type 4 at p = 0.5: twice the size, alpha 0.5.
    DrawAtProgress(transition, 4, 0.5f);
    EXPECT_TRUE(Near(At(2, 2), Mix(kRed, kUnder, 0.5f)));
    EXPECT_TRUE(Near(At(kWidth - 3, kHeight - 3), Mix(kWhite, kUnder, 0.5f)));
    // Type 5 at p = 0.5: half the size, the border uncovered.
    DrawAtProgress(transition, 5, 0.5f);
    EXPECT_TRUE(Near(At(3, 3), kUnder));
    EXPECT_TRUE(Near(At(20, 15), Mix(kRed, kUnder, 0.5f)));
    EXPECT_TRUE(Near(At(44, 33), Mix(kWhite, kUnder, 0.5f)));
}

TEST_F(TransitionTest, TurningZoomsRotateBySquaredProgress) {
    const float p = kHalfTurnProgress;
    // Without turning the top-left corner shows the picture's top-left
    // quadrant; half a turn brings the opposite quadrant there.
    DrawAtProgress(transition, 4, p);
    EXPECT_TRUE(Near(At(10, 10), Mix(kRed, kUnder, p)));
    DrawAtProgress(transition, 6, p);
    EXPECT_TRUE(Near(At(10, 10), Mix(kWhite, kUnder, p)));
    DrawAtProgress(transition, 5, p);
    EXPECT_TRUE(Near(At(24, 19), Mix(kRed, kUnder, p)));
    DrawAtProgress(transition, 7, p);
    EXPECT_TRUE(Near(At(24, 19), Mix(kWhite, kUnder, p)));
}

TEST_F(TransitionTest, FadesThroughBlackAndWhiteHideTheNewScreens) {
    DrawAtProgress(transition, 8, 0.5f);
    EXPECT_TRUE(Near(At(5, 5), Mix(kRed, kBlack, 0.5f)));
    DrawAtProgress(transition, 8, 0.01f);
    EXPECT_TRUE(Near(At(kWidth - 5, 5), Mix(kGreen, kBlack, 0.01f)));
    DrawAtProgress(transition, 10, 0.5f);
    EXPECT_TRUE(Near(At(5, 5), Mix(kRed, kWhite, 0.5f)));
    DrawAtProgress(transition, 9, 0.5f);
    EXPECT_TRUE(Near(At(5, 5), Mix(kBlack, kUnder, 0.5f)));
    EXPECT_TRUE(Near(At(kWidth - 5, kHeight - 5), Mix(kBlack, kUnder, 0.5f)));
    DrawAtProgress(transition, 11, 0.25f);
    EXPECT_TRUE(Near(At(5, 5), Mix(kWhite, kUnder, 0.25f)));
}

TEST_F(TransitionTest, FlashesShowTheSnapshotByDistanceFromHalfway) {
    DrawAtProgress(transition, 12, 0.75f);
    EXPECT_TRUE(Near(At(5, 5), Mix(kRed, kBlack, 0.5f)));
    DrawAtProgress(transition, 12, 0.5f);
    EXPECT_TRUE(Near(At(5, 5), kBlack));
    DrawAtProgress(transition, 13, 0.5f);
    EXPECT_TRUE(Near(At(kWidth - 5, kHeight - 5), kWhite));
    DrawAtProgress(transition, 13, 0.25f);
    EXPECT_TRUE(Near(At(kWidth - 5, 5), Mix(kGreen, kWhite, 0.5f)));
    EXPECT_TRUE(Near(At(5, 5), Mix(kRed, kWhite, 0.5f)));
}

TEST_F(TransitionTest, TypeZeroDrawsNothingButDeliversItsMessageAfterItsDuration) {
    DrawQuadrants();
    transition.Start(0, 0.5f, 3005);
    ClearTo(kUnder);
    EXPECT_EQ(transition.Draw(0.2f), -1);
    EXPECT_EQ(transition.Draw(0.2f), -1);
    EXPECT_TRUE(Near(At(5, 5), kUnder));
    EXPECT_EQ(transition.Draw(0.2f), 3005);
    EXPECT_FALSE(transition.IsRunning());
    EXPECT_EQ(transition.Progress(), 0.0f);
    // Delivered once only.
    EXPECT_EQ(transition.Draw(0.2f), -1);
}

TEST_F(TransitionTest, TypeMinusOneKeepsThePreviousType) {
    DrawQuadrants();
    transition.Start(6, 0.5f, -1);
    transition.Start(-1, 0.5f, -1);
    EXPECT_EQ(transition.Type(), 6);
    EXPECT_EQ(transition.Progress(), 1.0f);
    // The restart took a new snapshot: the picture now on screen.
    ClearTo(kUnder);
    transition.Start(-1, 0.5f, -1);
    DrawQuadrants();
    transition.Draw(0.0f);
    EXPECT_TRUE(Near(At(kWidth / 2, kHeight / 2), kUnder));
}

TEST_F(TransitionTest, AZeroDurationEndsAtTheFirstDraw) {
    transition.Start(1, 0.0f, 3001);
    EXPECT_EQ(transition.Draw(0.0f), 3001);
    EXPECT_FALSE(transition.IsRunning());
}

TEST_F(TransitionTest, TheSnapshotIsOpaqueWhateverTheFrameBufferAlpha) {
    ScreenView();
    glClearColor(1.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    transition.Start(1, 1.0f, -1);
    const uint8_t* pixels = transition.Snapshot().Pixels();
    EXPECT_EQ(pixels[3], 255);
    EXPECT_EQ(pixels[(size_t(kWidth) * kHeight - 1) * 4 + 3], 255);
}
