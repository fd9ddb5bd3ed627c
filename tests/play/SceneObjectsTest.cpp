#include "app/EngineClasses.h"
#include "core/ClassRegistry.h"
#include "core/FrameTime.h"
#include "core/Scene.h"
#include "play/Doodad.h"
#include "play/Entity.h"
#include "play/Hotspot.h"
#include "play/LightHaze.h"
#include "render/Sprite.h"
#include "support/EngineSandbox.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <numbers>
#include <vector>

namespace {

// A transparent w × h sprite with the listed pixels opaque white.
std::unique_ptr<Sprite> SpriteWithOpaquePixels(int32_t w, int32_t h,
                                               std::vector<std::pair<int, int>> opaque) {
    auto sprite = std::make_unique<Sprite>();
    EXPECT_TRUE(sprite->Create(w, h));
    std::memset(sprite->Pixels(), 0, size_t(w) * h * 4);
    for (auto [x, y] : opaque) {
        std::memset(sprite->Pixels() + (size_t(y) * w + x) * 4, 255, 4);
    }
    return sprite;
}

class RecordingHooks : public FoundFlightHooks {
public:
    bool GameScreenShown() override { return true; }
    void Arrived(Doodad& doodad, const Vec3& target) override {
        arrivals.push_back(target);
        phaseAtArrival = doodad.foundPhase;
    }
    std::vector<Vec3> arrivals;
    int32_t phaseAtArrival = -1;
};

class RecordingEntity : public Entity {
public:
    bool Message(int32_t message, Object* sender) override {
        codes.push_back(message);
        if (message == kMoveEnd) {
            endPoints.push_back(Vec3{CurrentRecord().current[0], CurrentRecord().current[1], 0.0f});
        }
        return Entity::Message(message, sender);
    }
    int Count(int32_t code) const { return int(std::count(codes.begin(), codes.end(), code)); }
    std::vector<int32_t> codes;
    std::vector<Vec3> endPoints;
};

class SceneObjects : public ::testing::Test {
protected:
    testing_support::EngineSandbox sandbox;
    void SetUp() override {
        RegisterEngineClasses();
        RegisterClass("Doodad", MakeObject<Doodad>, "Game Objects");
        RegisterClass("Hotspot", MakeObject<Hotspot>, "Game Objects");
        frameTime = 0.125f;
        std::srand(11);
    }
    template <typename T> T* Add(const char* name) {
        auto* element = static_cast<T*>(scene.CreateElement(T::StaticClassName()));
        scene.RenameElement(*element, name);
        return element;
    }
    Scene scene;
};

} // namespace

TEST_F(SceneObjects, FoundFlightPopsFliesAndFadesThenLeavesTheDoodadHiddenAndTheIconAtTheTarget) {
    RecordingHooks hooks;
    SetFoundFlightHooks(&hooks);
    Doodad* doodad = Add<Doodad>("lamp");
    doodad->AdoptSprite(SpriteWithOpaquePixels(8, 8, {{4, 4}}));
    doodad->Position.SetFloat(0, 100.0f);
    doodad->Position.SetFloat(1, 200.0f);
    Widget* slot = Add<Widget>("slot");
    slot->Position.SetFloat(0, 500.0f);
    slot->Position.SetFloat(1, 40.0f);
    scene.Update();
    ASSERT_TRUE(doodad->HitTest(Vec2{104, 204}));

    StartFoundFlight(*doodad, slot);
    EXPECT_FALSE(doodad->Visible.FirstBool());
    EXPECT_EQ(doodad->Color.GetFloat(3), 0.0f);
    EXPECT_FALSE(doodad->HitTest(Vec2{104, 204})) << "no clicks while the animation runs";

    FoundIconPose pose;
    for (int i = 0; i < 2; ++i) {
        scene.Update();
    }
    ASSERT_TRUE(FoundFlightPose(*doodad, pose));
    EXPECT_EQ(doodad->foundPhase, 2);
    EXPECT_FLOAT_EQ(pose.position.x, 100.0f);
    EXPECT_NEAR(pose.scale, 2.0f, 1e-5) << "a quarter second in the icon is twice its size";
    for (int i = 0; i < 4; ++i) {
        scene.Update();
    }
    ASSERT_TRUE(FoundFlightPose(*doodad, pose));
    EXPECT_NEAR(pose.scale, 1.0f, 1e-5) << "and rests after half a second";

    // Half way through the flight, towards a slot that moved meanwhile.
    slot->Position.SetFloat(0, 20.0f);
    for (int i = 0; i < 6; ++i) {
        scene.Update();
    }
    ASSERT_EQ(doodad->foundPhase, 1);
    ASSERT_TRUE(FoundFlightPose(*doodad, pose));
    EXPECT_NEAR(pose.position.x, (100.0f + 20.0f) / 2 + 30.0f, 1e-3);
    EXPECT_NEAR(pose.position.y, (200.0f + 40.0f) / 2 + 30.0f, 1e-3);
    EXPECT_NEAR(pose.rotation, -2.0f * std::numbers::pi_v<float>, 1e-4)
        << "turns left towards a target on the left";
    EXPECT_TRUE(pose.shadowPass);
    EXPECT_TRUE(hooks.arrivals.empty());

    for (int i = 0; i < 4; ++i) {
        scene.Update();
    }
    ASSERT_EQ(hooks.arrivals.size(), 1u);
    EXPECT_EQ(hooks.phaseAtArrival, 0);
    EXPECT_FLOAT_EQ(hooks.arrivals[0].x, 20.0f);
    ASSERT_TRUE(FoundFlightPose(*doodad, pose));
    EXPECT_FLOAT_EQ(pose.position.x, 20.0f);
    EXPECT_FLOAT_EQ(pose.position.y, 40.0f);
    EXPECT_FLOAT_EQ(pose.alpha, 1.0f);
    scene.Update();
    ASSERT_TRUE(FoundFlightPose(*doodad, pose));
    EXPECT_FLOAT_EQ(pose.alpha, 0.625f) << "the fade runs three times as fast";

    for (int i = 0; i < 5; ++i) {
        scene.Update();
    }
    EXPECT_FALSE(FoundFlightPose(*doodad, pose));
    EXPECT_EQ(doodad->foundTime, 0.0f);
    EXPECT_FALSE(doodad->Visible.FirstBool());
    EXPECT_EQ(hooks.arrivals.size(), 1u);
}

TEST_F(SceneObjects, DoodadClicksReachOpaquePixelsSixPixelsAwayOnEvenOffsetsOnlyInsideThePicture) {
    Doodad* doodad = Add<Doodad>("key");
    doodad->AdoptSprite(SpriteWithOpaquePixels(30, 10, {{16, 5}, {29, 2}}));
    doodad->Position.SetFloat(0, 50.0f);
    scene.Update();
    EXPECT_TRUE(doodad->HitTest(Vec2{60, 5})) << "6 to the left of the opaque pixel";
    EXPECT_FALSE(doodad->HitTest(Vec2{61, 5})) << "5 away: odd offsets are not sampled";
    EXPECT_FALSE(doodad->HitTest(Vec2{58, 5})) << "8 away";
    EXPECT_FALSE(doodad->HitTest(Vec2{81, 2})) << "outside the picture, though 2 from an opaque pixel";
}

TEST_F(SceneObjects, ShadowIsTheBlurredSilhouetteMadeAtResolveAndDroppedAtSizeZero) {
    Doodad* doodad = Add<Doodad>("cup");
    std::vector<std::pair<int, int>> block;
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            block.push_back({x, y});
        }
    }
    doodad->AdoptSprite(SpriteWithOpaquePixels(10, 10, block));
    doodad->shadowSize.SetFirstInt(3);
    scene.Update();
    Sprite* shadow = doodad->Shadow();
    ASSERT_NE(shadow, nullptr);
    EXPECT_EQ(shadow->Width(), 16);
    EXPECT_EQ(shadow->Height(), 16);
    float centre[4], corner[4], rim[4];
    ASSERT_TRUE(shadow->PixelColor(8, 8, centre));
    ASSERT_TRUE(shadow->PixelColor(0, 0, corner));
    ASSERT_TRUE(shadow->PixelColor(3, 8, rim));
    EXPECT_FLOAT_EQ(centre[0], 1.0f) << "white, tinted black when drawn";
    EXPECT_FLOAT_EQ(centre[3], 1.0f);
    EXPECT_LT(corner[3], 0.05f) << "the blur barely reaches the corner";
    EXPECT_GT(rim[3], 0.3f);
    EXPECT_LT(rim[3], 0.9f);

    scene.Update();
    EXPECT_EQ(doodad->Shadow(), shadow) << "made once, not per frame";
    doodad->shadowSize.SetFirstInt(0);
    scene.Update();
    EXPECT_EQ(doodad->Shadow(), nullptr);
}

TEST_F(SceneObjects, DoodadsShowingOnePictureAtOneShadowSizeShareOneShadow) {
    // A level shows the same picture many times; each shadow made is a texture.
    auto picture = SpriteWithOpaquePixels(8, 8, {{3, 3}, {4, 4}});
    Doodad* first = Add<Doodad>("shell_a");
    Doodad* second = Add<Doodad>("shell_b");
    Doodad* bigger = Add<Doodad>("shell_c");
    for (Doodad* doodad : {first, second, bigger}) {
        doodad->SetOwnSprite(picture.get());
        doodad->shadowSize.SetFirstInt(doodad == bigger ? 5 : 3);
    }
    scene.Update();
    ASSERT_NE(first->Shadow(), nullptr);
    EXPECT_EQ(first->Shadow(), second->Shadow());
    EXPECT_NE(first->Shadow(), bigger->Shadow());
    EXPECT_EQ(bigger->Shadow()->Width(), 18);
}

TEST_F(SceneObjects, HotspotHitsFollowAConcavePolygonInItsOwnPixelsAndHintPointsFallInside) {
    Hotspot* u = Add<Hotspot>("u");
    u->RegionText.SetFirstString("0,0, 30,0, 30,60, 70,60, 70,0, 100,0, 100,100, 0,100");
    u->Position.SetFloat(0, 200.0f);
    scene.Update();
    EXPECT_TRUE(u->HitTest(Vec2{215, 30}));
    EXPECT_TRUE(u->HitTest(Vec2{285, 30}));
    EXPECT_FALSE(u->HitTest(Vec2{250, 30})) << "the notch between the arms";
    EXPECT_TRUE(u->HitTest(Vec2{250, 80}));
    EXPECT_FALSE(u->HitTest(Vec2{215, 0})) << "top edge";
    EXPECT_TRUE(u->HitTest(Vec2{215, 100})) << "bottom edge";
    EXPECT_FALSE(u->HitTest(Vec2{15, 30})) << "the point is mapped into the hotspot's pixels";
    Vec3 hint;
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(u->GetHintPoint(hint));
        EXPECT_TRUE(u->HitTest(Vec2{hint.x, hint.y})) << hint.x << ", " << hint.y;
    }

    Widget* parent = Add<Widget>("room");
    AttachChild(parent, u);
    parent->Visible.SetFirstBool(false);
    scene.Update();
    EXPECT_FALSE(u->HitTest(Vec2{215, 30})) << "a hidden parent hides the hotspot";

    Hotspot* line = Add<Hotspot>("line");
    line->RegionText.SetFirstString("0,0,100,100");
    scene.Update();
    EXPECT_FALSE(line->HitTest(Vec2{50, 50}));
    EXPECT_FALSE(line->GetHintPoint(hint));
    EXPECT_TRUE(line->Draw()) << "draws nothing, successfully";
}

TEST_F(SceneObjects, MoveToFollowsTheCosineEaseWithOneStartAndOneEnd) {
    RecordingEntity entity;
    ASSERT_TRUE(MoveTo(entity, Vec3{100.0f, 0.0f, 0.0f}, 2.0f));
    frameTime = 0.25f;
    for (int i = 0; i < 5; ++i) {
        entity.Update();
    }
    EXPECT_NEAR(entity.Position.GetFloat(0), 50.0f, 1e-4) << "half way at elapsed 1";
    entity.Update();
    EXPECT_NEAR(entity.Position.GetFloat(0),
                100.0f * (1.0f - std::cos(std::numbers::pi_v<float> * 0.625f)) / 2.0f, 1e-3);
    for (int i = 0; i < 4; ++i) {
        entity.Update();
    }
    EXPECT_EQ(entity.Count(Entity::kMoveStart), 1);
    EXPECT_EQ(entity.Count(Entity::kMoveEnd), 1);
    EXPECT_EQ(entity.Count(Entity::kMoveStep), 7);
    EXPECT_EQ(entity.codes.front(), Entity::kMoveStart);
    EXPECT_EQ(entity.codes.back(), Entity::kMoveEnd);
    EXPECT_FLOAT_EQ(entity.Position.GetFloat(0), 100.0f);
    EXPECT_FALSE(entity.IsMoving());

    // A new move ends the running one where it stands, without moving it further.
    entity.codes.clear();
    MoveTo(entity, Vec3{0.0f, 0.0f, 0.0f}, 1.0f);
    entity.Update();
    entity.Update();
    const float stoodAt = entity.Position.GetFloat(0);
    MoveTo(entity, Vec3{100.0f, 50.0f, 0.0f}, 1.0f);
    EXPECT_EQ(entity.Count(Entity::kMoveEnd), 1);
    EXPECT_FLOAT_EQ(entity.Position.GetFloat(0), stoodAt);
    ASSERT_EQ(entity.endPoints.size(), 2u);
    EXPECT_NEAR(entity.endPoints[1].x, 50.0f, 1e-3) << "the eased point at elapsed 0.5";

    entity.Message(Entity::kHide, nullptr);
    EXPECT_FALSE(entity.Visible.FirstBool());
}

TEST_F(SceneObjects, LightHazeOscillatesOrCyclesWithTheTotalTimeAndKeepsItsPhaseForOtherBehaviours) {
    LightHaze haze;
    haze.rate.SetFirstFloat(2.0f);
    totalTime = 0.75;
    haze.Update();
    EXPECT_NEAR(haze.Phase(), 0.5f + 0.5f * std::sin(1.5f), 1e-5);
    haze.behavior.SetFirstInt(LightHaze::kCycle);
    totalTime = 1.3;
    haze.Update();
    EXPECT_NEAR(haze.Phase(), 0.6f, 1e-5);
    haze.behavior.SetFirstInt(7);
    totalTime = 2.0;
    haze.Update();
    EXPECT_NEAR(haze.Phase(), 0.6f, 1e-5);
    totalTime = 0.0;
}
