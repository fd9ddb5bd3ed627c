#include "anim/Anim.h"
#include "anim/AnimControl.h"
#include "anim/SceneAnims.h"
#include "core/ConfigTable.h"
#include "core/FrameTime.h"
#include "core/Scene.h"
#include "io/MemoryFile.h"
#include "support/AllocationCounter.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

std::unique_ptr<Anim> AnimFromText(const std::string& text) {
    ConfigTable table;
    MemoryFile file(text.data(), text.size());
    table.Read(file, "test.anim");
    auto anim = std::make_unique<Anim>();
    anim->Load(table, "test.anim");
    return anim;
}

// Ten frames a second; c goes 0 -> 100 over frames 0..10.
const std::string kRamp = "FrameRate = 10;\nFrameCount = 10;\nChannel = c,k;\nk = 0,0;\nk = 10,100;\n";

float At(const Anim& anim, float t, int32_t kind, const char* channel = "c") {
    float value = -999.0f;
    EXPECT_TRUE(anim.Evaluate(channel, t, kind, value)) << "no value at " << t;
    return value;
}

// An element with one property of each type.
class Door : public Element {
    ENGINE_CLASS(Door, Element)
public:
    Door() {
        DeclareBool("Open", Open, 1, this, false);
        DeclareInt("Count", Count, 1, this, 0);
        DeclareFloat("Position", Position, 2, this, 0.0f);
        DeclareString("Label", Label, 1, this, "x");
    }
    Var Open, Count, Position, Label;
};

class SceneAnim : public ::testing::Test {
protected:
    Door* AddDoor(const char* name) {
        auto* door = new Door;
        door->Name.SetFirstString(name);
        scene.AddElement(door, name);
        return door;
    }
    Scene scene;
};

} // namespace

TEST(Anim, InterpolationKindsAtTheirEdges) {
    auto anim = AnimFromText(kRamp);
    EXPECT_FLOAT_EQ(At(*anim, 0.5f, kInterpolateLinear), 50.0f);
    EXPECT_FLOAT_EQ(At(*anim, 2.0f, kInterpolateLinear), 100.0f); // past the last key
    EXPECT_FLOAT_EQ(At(*anim, 0.99f, kInterpolateStep), 0.0f);
    EXPECT_FLOAT_EQ(At(*anim, 1.0f, kInterpolateStep), 100.0f);
    float value = 0.0f;
    EXPECT_FALSE(anim->Evaluate("c", 0.5f, kInterpolateDefault, value)) << "a hint of none gives no value";
    EXPECT_FALSE(anim->Evaluate("c", 0.5f, 7, value));
    EXPECT_FALSE(anim->Evaluate("other", 0.5f, kInterpolateLinear, value));

    // 350 -> 10 degrees turns through 0, not back through 180.
    auto turn = AnimFromText("FrameRate = 10;\nChannel = r,k;\nk = 0,350;\nk = 10,10;\n");
    EXPECT_NEAR(At(*turn, 0.5f, kInterpolateAngle, "r"), 360.0f, 1e-3f);
    EXPECT_NEAR(At(*turn, 0.5f, kInterpolateLinear, "r"), 180.0f, 1e-3f);
    // A channel's own kind overrides the default.
    auto stepped = AnimFromText(kRamp + "Interpolation = c,3;\nInterpolation = missing,1;\n");
    EXPECT_FLOAT_EQ(At(*stepped, 0.5f, kInterpolateLinear), 0.0f);
}

TEST(Anim, KeysAreSortedAndTheLaterOfOneFrameWins) {
    auto anim = AnimFromText("FrameRate = 10;\nChannel = c,k;\nk = 10,100;\nk = 5,7;\nk = 0,1;\nk = 5,50;\n"
                             "Channel = late,m;\nm = 5,3;\n");
    ASSERT_EQ(anim->FindChannel("c")->keys.size(), 3u);
    EXPECT_FLOAT_EQ(At(*anim, 0.5f, kInterpolateStep), 50.0f);
    EXPECT_FLOAT_EQ(At(*anim, 0.25f, kInterpolateLinear), 25.5f);
    float value = 0.0f;
    // With one key every time gives it; with more, a time before the first key gives none.
    EXPECT_TRUE(anim->Evaluate("late", 0.0f, kInterpolateLinear, value));
    auto later = AnimFromText("FrameRate = 10;\nChannel = c,k;\nk = 5,1;\nk = 8,2;\n");
    EXPECT_FALSE(later->Evaluate("c", 0.2f, kInterpolateLinear, value));
}

TEST(Anim, AbsurdHeaderValuesFallBackWithALogLine) {
    auto plain = AnimFromText("Channel = c,k;\nk = 0,1;\n");
    EXPECT_FLOAT_EQ(plain->Duration(), 1.0f) << "no FrameCount: one second at 24 frames a second";

    for (const char* rate : {"0", "-5", "2147483648", "99999"}) {
        testing_support::LogCapture log;
        auto anim = AnimFromText(std::string("FrameRate = ") + rate + ";\nFrameCount = -3;\n" +
                                 "Channel = c,k;\n" + "k = 0,0;\nk = 2147483647,1;\n");
        EXPECT_EQ(anim->frameRate, Anim::kDefaultFrameRate) << rate;
        EXPECT_EQ(anim->frameCount, 0) << rate;
        EXPECT_EQ(log.Lines().size(), 2u) << rate;
        float value = 0.0f;
        EXPECT_TRUE(anim->Evaluate("c", 1e30f, kInterpolateLinear, value)); // no overflow, no hang
        EXPECT_FLOAT_EQ(value, 1.0f);
    }
}

TEST(Anim, ChannelsBeyondTheCapAreDroppedWithOneLine) {
    std::string text = "FrameRate = 10;\n";
    for (size_t i = 0; i < Anim::kMaxChannels + 50; ++i) {
        text += "Channel = e" + std::to_string(i) + ".P.0,k;\n";
    }
    text += "k = 0,1;\n";
    testing_support::LogCapture log;
    auto anim = AnimFromText(text);
    EXPECT_EQ(anim->Channels().size(), Anim::kMaxChannels);
    EXPECT_EQ(log.Lines().size(), 1u);
}

TEST_F(SceneAnim, ValuesAreWrittenByPropertyType) {
    Door* door = AddDoor("door");
    auto anim = AnimFromText("FrameRate = 10;\nFrameCount = 30;\n"
                             "Channel = door.Open.0,o;\no = 0,1;\no = 10,0.5;\no = 20,0;\n"
                             "Channel = door.Count.0,n;\nn = 0,2.9;\n"
                             "Channel = door.Position.1,p;\np = 0,4;\n"
                             "Channel = door.Label.0,p;\n"
                             "Channel = door.Position.2,p;\nChannel = door.Position,p;\n"
                             "Channel = nobody.Open.0,p;\nChannel = door.Nothing.0,p;\n");
    AnimControl control;
    ASSERT_TRUE(control.Bind(&scene, anim.get()));
    EXPECT_EQ(control.Bindings().size(), 4u)
        << "bad names, unknown elements and items past the count are skipped";
    control.Apply(0.0f);
    EXPECT_TRUE(door->Open.FirstBool());
    EXPECT_EQ(door->Count.FirstInt(), 2);
    EXPECT_FLOAT_EQ(door->Position.GetFloat(1), 4.0f);
    EXPECT_STREQ(door->Label.FirstString().CStr(), "x");
    control.Apply(1.5f); // 0.5 leaves the bool as it was
    EXPECT_TRUE(door->Open.FirstBool());
    control.Apply(2.5f);
    EXPECT_FALSE(door->Open.FirstBool());
    EXPECT_FALSE(AnimControl().Bind(&scene, nullptr));
}

TEST_F(SceneAnim, AdvanceLoopsOrStopsAtTheEndPose) {
    Door* door = AddDoor("door");
    auto anim = AnimFromText(kRamp + "Channel = door.Position.0,k;\n"); // one second
    AnimControl looping;
    looping.Bind(&scene, anim.get());
    looping.looping = looping.playing = true;
    looping.Advance(2.5f);
    EXPECT_FLOAT_EQ(looping.time, 0.5f);
    EXPECT_TRUE(looping.playing);

    ASSERT_TRUE(PlayAnim(&scene, anim.get(), "open", false));
    FindAnimControl(&scene, "open")->speed = 2.0f;
    frameTime = 0.25f;
    scene.Update();
    EXPECT_EQ(AnimControlCount(&scene), 1);
    EXPECT_FLOAT_EQ(door->Position.GetFloat(0), 50.0f);
    scene.Update();
    EXPECT_EQ(AnimControlCount(&scene), 0) << "stopped after 0.5 s at speed 2";
    EXPECT_FLOAT_EQ(door->Position.GetFloat(0), 100.0f);

    // A pose of no length shows once and is over, instead of playing forever.
    auto pose = AnimFromText("FrameCount = 0;\nChannel = door.Position.0,k;\nk = 0,7;\n");
    ASSERT_TRUE(PlayAnim(&scene, pose.get(), "pose", false));
    scene.Update();
    EXPECT_FALSE(IsAnimPlaying(&scene, ""));
    EXPECT_FLOAT_EQ(door->Position.GetFloat(0), 7.0f);
}

TEST_F(SceneAnim, ANewerAnimationTakesConflictingChannels) {
    Door* door = AddDoor("door");
    auto first = AnimFromText(kRamp + "Channel = door.Position.0,k;\n");
    auto both = AnimFromText(kRamp + "Channel = door.Position.0,k;\nChannel = door.Position.1,k;\n");
    auto second = AnimFromText("Channel = door.Position.0,k;\nk = 0,-1;\n");
    ASSERT_TRUE(PlayAnim(&scene, first.get(), "first", true));
    ASSERT_TRUE(PlayAnim(&scene, both.get(), "both", true));
    EXPECT_EQ(FindAnimControl(&scene, "first"), nullptr) << "left without channels, it is deleted";
    ASSERT_TRUE(PlayAnim(&scene, second.get(), "second", true));
    ASSERT_NE(FindAnimControl(&scene, "both"), nullptr);
    EXPECT_EQ(FindAnimControl(&scene, "both")->Bindings().size(), 1u);
    frameTime = 0.5f;
    scene.Update();
    EXPECT_FLOAT_EQ(door->Position.GetFloat(0), -1.0f);
    EXPECT_FLOAT_EQ(door->Position.GetFloat(1), 50.0f);
    EXPECT_TRUE(AnimationPlayingOn(*door, String("both")));
    EXPECT_FALSE(AnimationPlayingOn(*door, String("first")));

    // Deleting the element drops what drives it; nothing writes into freed memory.
    scene.DeleteLater(door);
    scene.Update();
    EXPECT_EQ(AnimControlCount(&scene), 0);
    EXPECT_FALSE(AnimationPlayingOn(scene, String("")));
}

TEST_F(SceneAnim, APlayingAnimationAllocatesNothingPerFrame) {
    if (!testing_support::AllocationCounter::Available()) {
        GTEST_SKIP() << "this build counts no allocations";
    }
    AddDoor("door");
    auto anim = AnimFromText(kRamp + "Channel = door.Position.0,k;\nChannel = door.Open.0,k;\n");
    ASSERT_TRUE(PlayAnim(&scene, anim.get(), "loop", true));
    frameTime = 0.1f;
    scene.Update();
    testing_support::AllocationCounter counter;
    for (int frame = 0; frame < 30; ++frame) { // three times round the loop
        scene.Update();
    }
    EXPECT_EQ(counter.Count(), 0u);
    EXPECT_TRUE(IsAnimPlaying(&scene, ""));
}
