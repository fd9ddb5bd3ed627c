// Sliders, scroll bars and gauges driven as a player drives them: the cursor
// moves, the left button goes down and up, frames pass.
#include "anim/AnimResources.h"
#include "app/EngineClasses.h"
#include "core/ClassRegistry.h"
#include "core/FrameTime.h"
#include "core/Scene.h"
#include "core/SceneFile.h"
#include "io/Resources.h"
#include "render/Image.h"
#include "render/RenderResources.h"
#include "render/ScreenCamera.h"
#include "support/EngineSandbox.h"
#include "support/MessageRecorder.h"
#include "support/TestEnvironment.h"
#include "ui/Gauge.h"
#include "ui/InputManagerCallback.h"
#include "ui/Scrollbar.h"
#include "ui/Slider.h"
#include "ui/SnakeBlob.h"

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

namespace {

void WritePicture(const char* path, uint32_t w, uint32_t h) {
    Image image;
    ASSERT_TRUE(image.Create(w, h));
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t* p = image.PixelAt(x, y);
            p[0] = p[1] = p[2] = 180;
            p[3] = 255;
        }
    }
    ASSERT_TRUE(image.SaveTga(path));
}

using Codes = std::vector<int32_t>;

class ValueControls : public ::testing::Test {
protected:
    testing_support::EngineSandbox sandbox;
    void SetUp() override {
        RegisterEngineClasses();
        InstallRenderResourceLoaders();
        InstallAnimResourceLoader();
        Resources::InstallLinkResolver();
        Resources::lookupEnabled = Resources::storeEnabled = true;
        WritePicture("frame.tga", 120, 10);
        WritePicture("nib.tga", 10, 20);
        WritePicture("arrow.tga", 16, 16);
        WritePicture("thumb.tga", 16, 20);
        frameTime = 1.0f / 65.0f;
    }
    template <typename T> T* Add(const char* className, float x, float y) {
        auto* control = static_cast<T*>(scene.CreateElement(className));
        control->messageParent = &receiver;
        if (auto* widget = ObjectCast<Widget>(static_cast<Object*>(control))) {
            widget->Position.SetFloat(0, x);
            widget->Position.SetFloat(1, y);
        }
        return control;
    }
    void MoveTo(int x, int y) {
        GetInputManager().mouseX = x;
        GetInputManager().mouseY = y;
        scene.Update();
    }
    testing_support::MessageRecorder receiver;
    Scene scene;
};

} // namespace

TEST_F(ValueControls, SliderPressSetsTheValueSilentlyDragReportsEachChangeAndReleaseEndsIt) {
    // Frame at x 100..220; the nib runs from x 110 (value 0) to x 210 (value 1).
    auto* slider = Add<Slider>("Slider", 100, 100);
    slider->Frame.SetFirstString("frame.tga");
    slider->NibUp.SetFirstString("nib.tga");
    slider->Start.SetFloat(0, 10.0f);
    slider->End.SetFloat(0, 110.0f);
    MoveTo(0, 0);

    MoveTo(50, 105);
    EXPECT_FALSE(slider->MouseButton(0, true)) << "a press beside the frame is not the slider's";
    MoveTo(160, 105);
    EXPECT_FALSE(slider->MouseButton(1, true)) << "only the left button drags";
    EXPECT_TRUE(slider->MouseButton(0, true));
    EXPECT_FLOAT_EQ(slider->Value.FirstFloat(), 0.5f);
    scene.Update();
    EXPECT_TRUE(receiver.received.empty()) << "the press alone sends nothing";

    MoveTo(185, 140); // off the frame vertically: only x counts
    MoveTo(185, 140); // no change, no second message
    EXPECT_FLOAT_EQ(slider->Value.FirstFloat(), 0.75f);
    EXPECT_EQ(receiver.received, Codes({500}));
    // The nib follows: its centre at the value's point, the matrix at its corner.
    const Vec2 corner = slider->NibMatrix().TransformPoint(Vec2{0.0f, 0.0f});
    EXPECT_FLOAT_EQ(corner.x, 100.0f + 10.0f + 0.75f * 100.0f - 5.0f);

    GetInputManager().mouseX = 400; // released far right, before any update saw it
    EXPECT_TRUE(slider->MouseButton(0, false));
    EXPECT_FLOAT_EQ(slider->Value.FirstFloat(), 1.0f);
    EXPECT_EQ(receiver.received, Codes({500, 501}));
    ASSERT_EQ(receiver.senders.back(), slider);
    EXPECT_FALSE(slider->MouseButton(0, false)) << "a second release is not a drag's end";

    // A slider whose ends share one x: 1 at or right of it, 0 left of it.
    slider->End.SetFloat(0, 10.0f);
    EXPECT_FLOAT_EQ(slider->ValueAt(Vec2{110.0f, 0.0f}), 1.0f);
    EXPECT_FLOAT_EQ(slider->ValueAt(Vec2{109.0f, 0.0f}), 0.0f);
}

TEST_F(ValueControls, ScrollbarArrowsAndPageStepsStopAtTheEndsOfTheRange) {
    // Up arrow y 50..66, down arrow y 234..250, thumb 20 high: track 148.
    auto* bar = Add<Scrollbar>("Scrollbar", 100, 50);
    for (int i = 0; i < 3; ++i) {
        bar->less.SetString(i, "arrow.tga");
        bar->more.SetString(i, "arrow.tga");
    }
    bar->thumb.SetFirstString("thumb.tga");
    SetScrollRange(bar, 12);
    bar->pageIncrement.SetFirstInt(5);
    MoveTo(0, 0);
    ASSERT_FLOAT_EQ(bar->TrackLength(), 148.0f);

    auto click = [&](int x, int y) {
        MoveTo(x, y);
        receiver.received.clear();
        const bool handled = bar->MouseButton(0, true);
        bar->MouseButton(0, false);
        return handled;
    };
    EXPECT_TRUE(click(105, 55)) << "up arrow at the minimum";
    EXPECT_EQ(bar->value.FirstInt(), 0);
    EXPECT_EQ(receiver.received, Codes({700, 701, 702}));

    EXPECT_TRUE(click(105, 200)) << "track below the thumb";
    EXPECT_EQ(bar->value.FirstInt(), 5);
    EXPECT_FLOAT_EQ(bar->ThumbTop(), 16.0f + 5.0f / 12.0f * 148.0f);
    EXPECT_TRUE(click(105, 240)); // down arrow
    EXPECT_EQ(bar->value.FirstInt(), 6);
    click(105, 230);
    click(105, 230);
    EXPECT_EQ(bar->value.FirstInt(), 12) << "the page step stops at the maximum";
    EXPECT_TRUE(click(105, 240));
    EXPECT_EQ(bar->value.FirstInt(), 12);
    EXPECT_EQ(receiver.received, Codes({700, 701, 702})) << "a click at the maximum still reports";
    EXPECT_TRUE(click(105, 70)) << "track above the thumb";
    EXPECT_EQ(bar->value.FirstInt(), 7);

    EXPECT_FALSE(click(140, 100)) << "beside the bar";
    EXPECT_FALSE(click(105, 260)) << "below its length";
    EXPECT_TRUE(receiver.received.empty());

    SetScrollRange(bar, 0);
    EXPECT_FLOAT_EQ(bar->ThumbTop(), 16.0f) << "an empty range draws the thumb at the top";
    bar->thumb.SetFirstString("missing.tga");
    scene.Update();
    EXPECT_FALSE(click(105, 55)) << "an unresolved sprite leaves the bar inert";
}

TEST_F(ValueControls, ScrollbarThumbDragFollowsTheGrabPointAndClampsAtBothEnds) {
    auto* bar = Add<Scrollbar>("Scrollbar", 100, 50);
    for (int i = 0; i < 3; ++i) {
        bar->less.SetString(i, "arrow.tga");
        bar->more.SetString(i, "arrow.tga");
    }
    bar->thumb.SetFirstString("thumb.tga");
    SetScrollRange(bar, 10);
    MoveTo(0, 0);

    // The thumb spans y 66..86 at value 0; grab it 6 pixels below its top.
    MoveTo(108, 72);
    EXPECT_TRUE(bar->MouseButton(0, true));
    EXPECT_EQ(receiver.received, Codes({700}));
    EXPECT_TRUE(bar->HoverTest());
    EXPECT_EQ(bar->value.FirstInt(), 0) << "grabbing the thumb does not move it";
    receiver.received.clear();

    MoveTo(108, 72 + 74); // half the track down
    EXPECT_TRUE(bar->HoverTest());
    EXPECT_EQ(bar->value.FirstInt(), 5);
    MoveTo(108, 249); // past the end of the track, still on the bar
    EXPECT_TRUE(bar->HoverTest());
    EXPECT_EQ(bar->value.FirstInt(), 10);
    MoveTo(300, 60); // off the bar: the drag pauses
    EXPECT_FALSE(bar->HoverTest());
    EXPECT_EQ(bar->value.FirstInt(), 10);
    MoveTo(108, 51); // back above the track's start
    EXPECT_TRUE(bar->HoverTest());
    EXPECT_EQ(bar->value.FirstInt(), 0);
    EXPECT_EQ(receiver.received, Codes({701, 701, 701}));

    EXPECT_FALSE(bar->MouseButton(0, false)) << "the release is left to others";
    EXPECT_EQ(receiver.received.back(), 702);
    EXPECT_FALSE(bar->HoverTest()) << "no drag after the release";
}

TEST_F(ValueControls, GaugePosesItsAnimationAndMovesToItsTargetAtItsRate) {
    std::ofstream("fill.anim") << "FrameRate = 10;\nFrameCount = 20;\nChannel = fill.Position.0,k;\n"
                                  "k = 0,0;\nk = 20,200;\n";
    auto* fill = static_cast<Widget*>(scene.CreateElement("Widget"));
    scene.RenameElement(*fill, "fill");
    auto* gauge = Add<Gauge>("Gauge", 0, 0);
    gauge->AnimPath.SetFirstString("fill.anim");
    gauge->Rate.SetFirstFloat(0.5f);
    scene.Update();
    ASSERT_NE(gauge->LoadedAnim(), nullptr);

    frameTime = 0.3f; // steps of 0.15: the seventh would overshoot 1
    gauge->SetTarget(1.0f);
    int frames = 0;
    while (gauge->Value.FirstFloat() < 1.0f && frames < 100) {
        scene.Update();
        ++frames;
    }
    EXPECT_EQ(frames, 7) << "0.5 a second from 0 to 1 takes two seconds (and a bit, in 0.3 s frames)";
    EXPECT_EQ(gauge->Value.FirstFloat(), 1.0f) << "it stops exactly at the target";
    scene.Update();
    EXPECT_FLOAT_EQ(fill->Position.GetFloat(0), 200.0f) << "value 1 poses the animation's end";

    gauge->SetTarget(0.25f);
    scene.Update();
    EXPECT_NEAR(gauge->Value.FirstFloat(), 0.85f, 1e-5f) << "down at the same rate";
    scene.Update();
    EXPECT_NEAR(fill->Position.GetFloat(0), 170.0f, 1e-2f) << "posed at the value, not advanced";

    gauge->Rate.SetFirstFloat(0.0f);
    scene.Update();
    EXPECT_FLOAT_EQ(gauge->Value.FirstFloat(), 0.25f) << "rate 0 jumps";
}

TEST_F(ValueControls, GaugeFromAFileRestsAtItsValueAndBlobLayoutsSkipBadCells) {
    std::ofstream("gauges.scene")
        << "Widget = g;\nWidget = s;\ng.Type = Gauge;\ng.Value = 0.6;\ng.Rate = 1;\n"
           "s.Type = SnakeBlob;\ns.layout = 0,0,8, 1,0,12 ,2,0,4,3,0,99,4,0;\n";
    auto loaded = LoadScene("gauges.scene");
    ASSERT_NE(loaded, nullptr);
    auto* gauge = ObjectCast<Gauge>(loaded->FindElement("g"));
    ASSERT_NE(gauge, nullptr);
    loaded->Update();
    loaded->Update();
    EXPECT_FLOAT_EQ(gauge->Value.FirstFloat(), 0.6f);

    auto* blob = ObjectCast<SnakeBlob>(loaded->FindElement("s"));
    ASSERT_NE(blob, nullptr);
    const auto& cells = blob->Cells();
    ASSERT_EQ(cells.size(), 4u) << "the incomplete last triple is dropped";
    EXPECT_EQ(SnakeBlob::SegmentFor(cells[0].code), 6);
    EXPECT_EQ(SnakeBlob::SegmentFor(cells[1].code), 0);
    EXPECT_EQ(cells[2].x, 2);
    EXPECT_EQ(SnakeBlob::SegmentFor(cells[2].code), 7);
    EXPECT_EQ(SnakeBlob::SegmentFor(cells[3].code), -1) << "a mask past 15 is skipped";
    EXPECT_FALSE(blob->MouseButton(0, true));
}

TEST_F(ValueControls, AnEmptySpriteItemResolvesToNothingWithoutALoadOrALogLine) {
    testing_support::LogCapture log;
    auto* bar = Add<Scrollbar>("Scrollbar", 0, 0); // every sprite item starts empty
    scene.Update();
    EXPECT_EQ(bar->less.Get(0), nullptr);
    EXPECT_TRUE(log.Lines().empty()) << log.Lines().front();
}
