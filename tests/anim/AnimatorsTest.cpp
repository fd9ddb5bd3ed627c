// The procedural animators and the rules by which they write values.
#include "anim/AnimatedValue.h"
#include "anim/CameraShaker.h"
#include "anim/Oscillator.h"
#include "anim/PeriodicAnimator.h"
#include "anim/Randomizer.h"
#include "app/EngineClasses.h"
#include "core/ClassRegistry.h"
#include "core/FrameTime.h"
#include "core/Scene.h"
#include "render/RenderContext.h"
#include "render/ScreenCamera.h"
#include "support/EngineSandbox.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <set>

namespace {

// A plain element with one property of each type.
class Target : public Element {
    ENGINE_CLASS(Target, Element)

public:
    Target() {
        DeclareFloat("f", f, 4, this, 0.0f);
        DeclareInt("i", i, 1, this, 0);
        DeclareBool("b", b, 1, this, false);
        DeclareString("s", s, 1, this, "text");
    }
    Var f, i, b, s;
};

class Animators : public ::testing::Test {
protected:
    testing_support::EngineSandbox sandbox;
    void SetUp() override {
        RegisterEngineClasses();
        RegisterClass("Target", MakeObject<Target>, "Test");
        frameTime = 0.25f;
        std::srand(11);
    }
    template <typename T> T* Add(const char* name, const char* className = T::StaticClassName()) {
        auto* element = static_cast<T*>(scene.CreateElement(className));
        scene.RenameElement(*element, name);
        return element;
    }
    Target* AddTarget(const char* name) { return Add<Target>(name, "Target"); }

    Scene scene;
};

} // namespace

TEST(AnimatedValue, FloatsTakeTheValueIntegersTruncateBoolsFollowOddnessStringsStay) {
    Target t;
    EXPECT_TRUE(WriteAnimatedValue(t.f, 2, -1.75f));
    EXPECT_FLOAT_EQ(t.f.GetFloat(2), -1.75f);
    EXPECT_TRUE(WriteAnimatedValue(t.i, 0, -1.75f));
    EXPECT_EQ(t.i.FirstInt(), -1);
    EXPECT_TRUE(WriteAnimatedValue(t.b, 0, 3.9f));
    EXPECT_TRUE(t.b.FirstBool());
    EXPECT_TRUE(WriteAnimatedValue(t.b, 0, -2.5f));
    EXPECT_FALSE(t.b.FirstBool());
    EXPECT_TRUE(WriteAnimatedValue(t.b, 0, -1.5f));
    EXPECT_TRUE(t.b.FirstBool());
    EXPECT_FALSE(WriteAnimatedValue(t.s, 0, 1.0f));
    EXPECT_STREQ(t.s.FirstString().CStr(), "text");
    EXPECT_FALSE(WriteAnimatedValue(t.f, 4, 1.0f));
    EXPECT_FALSE(WriteAnimatedValue(t.i, 0, NAN));
    EXPECT_TRUE(WriteAnimatedValue(t.i, 0, 1.0e20f));
    EXPECT_EQ(t.i.FirstInt(), 2147483647);
}

TEST_F(Animators, OscillatorWritesItsSineIntoEveryNode) {
    Target* a = AddTarget("ta");
    Target* b = AddTarget("tb");
    auto* wave = Add<Oscillator>("wave");
    wave->nodes.SetString(0, "ta");
    wave->nodes.SetString(1, "tb");
    wave->target.SetFirstString("f");
    wave->index.SetFirstInt(1);
    wave->amplitudeRange.SetFloat(0, 2.0f);
    wave->amplitudeRange.SetFloat(1, 2.0f);
    wave->frequencyRange.SetFloat(0, 0.5f);
    wave->frequencyRange.SetFloat(1, 0.5f);
    scene.Update(); // wrote 0 (the parameters are drawn after the first update), t = 0.25
    const float expected[] = {std::sqrt(2.0f), 2.0f, std::sqrt(2.0f), 0.0f, -std::sqrt(2.0f)};
    for (float v : expected) {
        scene.Update();
        EXPECT_NEAR(a->f.GetFloat(1), v, 1e-4);
        EXPECT_NEAR(b->f.GetFloat(1), v, 1e-4);
    }
    wave->enabled.SetFirstBool(false);
    const float stopped = wave->LocalTime();
    scene.Update();
    EXPECT_EQ(wave->LocalTime(), stopped);
}

TEST_F(Animators, PeriodicAnimatorDrivesEachNumberedTargetWithItsOwnParameters) {
    for (const char* name : {"tl1", "tl2", "tl3"}) {
        AddTarget(name);
    }
    auto* pulse = Add<PeriodicAnimator>("pulse");
    pulse->target.SetFirstString("tl%d.f.3");
    pulse->indexRange.SetInt(0, 1);
    pulse->indexRange.SetInt(1, 4); // tl4 does not exist and is skipped
    pulse->amplitude.SetFirstString("2");
    pulse->timeOffset.SetFirstString("0, 1");
    pulse->behavior.SetFirstInt(PeriodicAnimator::kSawtooth);
    scene.Update();
    ASSERT_EQ(pulse->Targets().size(), 3u);
    std::set<float> offsets;
    for (const auto& t : pulse->Targets()) {
        EXPECT_EQ(t.amplitude, 2.0f);
        EXPECT_EQ(t.item, 3);
        EXPECT_GE(t.timeOffset, 0.0f);
        EXPECT_LE(t.timeOffset, 1.0f);
        offsets.insert(t.timeOffset);
    }
    EXPECT_EQ(offsets.size(), 3u);

    PeriodicAnimator::Target unit;
    unit.amplitude = 1.0f;
    unit.frequency = 1.0f;
    EXPECT_FLOAT_EQ(PeriodicAnimator::WaveValue(PeriodicAnimator::kSawtooth, unit, 0.0f), -1.0f);
    EXPECT_NEAR(PeriodicAnimator::WaveValue(PeriodicAnimator::kSawtooth, unit, 0.999f), 0.998f, 1e-4);
    EXPECT_FLOAT_EQ(PeriodicAnimator::WaveValue(PeriodicAnimator::kSawtooth, unit, 1.0f), -1.0f);
    EXPECT_FLOAT_EQ(PeriodicAnimator::WaveValue(PeriodicAnimator::kSquare, unit, 0.25f), 1.0f);
    EXPECT_FLOAT_EQ(PeriodicAnimator::WaveValue(PeriodicAnimator::kSquare, unit, 0.0f), 0.0f);
    EXPECT_FLOAT_EQ(PeriodicAnimator::WaveValue(PeriodicAnimator::kRamp, unit, 1.5f), 0.5f);
    EXPECT_FLOAT_EQ(PeriodicAnimator::WaveValue(7, unit, 0.25f), 0.0f);
    float min = 0.0f, max = 0.0f;
    PeriodicAnimator::ParseRange("1, 3", min, max);
    EXPECT_EQ(min, 1.0f);
    EXPECT_EQ(max, 3.0f);
    PeriodicAnimator::ParseRange("2", min, max);
    EXPECT_EQ(max, 2.0f);
}

TEST_F(Animators, PeriodicAnimatorRefusesUnsafePatternsAndRepeatsAPlainOne) {
    Target* lamp = AddTarget("tlamp");
    auto* pulse = Add<PeriodicAnimator>("pulse");
    pulse->indexRange.SetInt(1, 2);
    pulse->target.SetFirstString("tlamp.f.0");
    scene.Update();
    EXPECT_EQ(pulse->Targets().size(), 3u); // the same item for every number
    scene.Update();
    scene.Update();
    EXPECT_NE(lamp->f.GetFloat(0), 0.0f);

    for (const char* unsafe : {"tl%s.f.0", "tl%n.f.0", "tl%d%d.f.0", "tl%x.f.0"}) {
        testing_support::LogCapture log;
        pulse->target.SetFirstString(unsafe);
        scene.Update();
        EXPECT_TRUE(pulse->Targets().empty()) << unsafe;
        EXPECT_EQ(log.Lines().size(), 1u) << unsafe;
    }
}

TEST_F(Animators, RandomizerWritesOneValueInRangeEachPeriodAndNothingForAnEmptyRange) {
    Target* t = AddTarget("tdice");
    auto* dice = Add<Randomizer>("dice");
    dice->nodes.SetString(0, "tdice");
    dice->Value.SetFirstString("i");
    dice->Rate.SetFirstFloat(0.5f);
    dice->Range.SetFloat(0, 0.0f);
    dice->Range.SetFloat(1, 0.0f);
    t->i.SetFirstInt(-5);
    for (int i = 0; i < 8; ++i) {
        scene.Update();
    }
    EXPECT_EQ(t->i.FirstInt(), -5);

    dice->Range.SetFloat(1, 10.0f);
    std::set<int32_t> seen;
    int writes = 0;
    for (int i = 0; i < 400; ++i) {
        t->i.ClearChanged();
        t->i.SetFirstInt(-1);
        t->i.ClearChanged();
        dice->Update(); // 0.25 s each: a new value every second call
        if (t->i.FirstInt() != -1) {
            ++writes;
            seen.insert(t->i.FirstInt());
        }
    }
    EXPECT_EQ(writes, 201); // the first call also catches up the time the empty range let run
    EXPECT_EQ(*seen.begin(), 0);
    EXPECT_EQ(*seen.rbegin(), 9);
}

TEST_F(Animators, CameraShakerMovesLinearlyBetweenTargetsWithinItsMagnitude) {
    SetDisplaySize(1024, 768);
    auto* shaker = Add<CameraShaker>("shaker");
    shaker->magnitude.SetFirstFloat(0.0f);
    GetScreenCamera().pan = Vec2{3.0f, 3.0f};
    shaker->Update();
    EXPECT_EQ(GetScreenCamera().pan.x, 0.0f);
    EXPECT_EQ(GetScreenCamera().extraZoom.y, 0.0f);

    shaker->magnitude.SetFirstFloat(5.0f);
    frameTime = 0.05f; // four steps per 0.2 s period
    Vec2 pans[12];
    for (Vec2& pan : pans) {
        shaker->Update();
        pan = GetScreenCamera().pan;
        EXPECT_LE(std::fabs(pan.x), 5.0f);
        EXPECT_LE(std::fabs(pan.y), 5.0f);
    }
    // Within a period the steps are equal: the pan moves on a straight line.
    for (int start : {4, 8}) {
        EXPECT_NEAR(pans[start + 2].x - pans[start + 1].x, pans[start + 1].x - pans[start].x, 1e-4);
        EXPECT_NEAR(pans[start + 2].y - pans[start + 1].y, pans[start + 1].y - pans[start].y, 1e-4);
    }
    EXPECT_NE(pans[3].x, pans[7].x);
    EXPECT_NEAR(GetScreenCamera().extraZoom.x, 3.0f * (std::fabs(pans[11].x) + 1.0f) / 512.0f, 1e-5);
}
