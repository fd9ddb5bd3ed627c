#include "app/EngineClasses.h"
#include "core/ClassRegistry.h"
#include "core/FrameTime.h"
#include "core/Scene.h"
#include "data/Globals.h"
#include "io/Resources.h"
#include "play/Flashlight.h"
#include "play/LightControl.h"
#include "render/Lightmap.h"
#include "render/ScreenCamera.h"
#include "render/Sprite.h"
#include "support/EngineSandbox.h"
#include "ui/InputManagerCallback.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr int32_t kMaskSide = 4;

// The flashlight mask: a 4 × 4 picture whose alpha grows along the row.
Object* LoadTestMask(const char* path) {
    if (std::strcmp(path, GlobalsDefault("FlashlightMaskPath").CStr()) != 0) {
        return nullptr;
    }
    auto* mask = new Sprite();
    mask->Create(kMaskSide, kMaskSide);
    for (int32_t i = 0; i < kMaskSide * kMaskSide; ++i) {
        uint8_t* p = mask->Pixels() + i * 4;
        p[0] = p[1] = p[2] = 255;
        p[3] = uint8_t(60 * (i % kMaskSide) + 10);
    }
    return mask;
}

class LevelLights : public ::testing::Test {
protected:
    testing_support::EngineSandbox sandbox;
    void SetUp() override {
        RegisterEngineClasses();
        RegisterClass("Flashlight", MakeObject<Flashlight>, "Game Objects");
        RegisterClass("LightControl", MakeObject<LightControl>, "Game Objects");
        Resources::lookupEnabled = Resources::storeEnabled = true;
        Resources::SetLoader(Resources::kSpriteRow, LoadTestMask);
        ResetScreenCamera();
        frameTime = 0.05f;
        std::srand(5);
    }
    template <typename T> T* Add(const char* className, const char* name) {
        auto* element = static_cast<T*>(scene.CreateElement(className));
        scene.RenameElement(*element, name);
        return element;
    }
    void PointAt(int x, int y) {
        GetInputManager().mouseX = x + 512;
        GetInputManager().mouseY = y + 384;
    }
    Scene scene;
};

// A room picture covering the design screen whose blue byte tells the column
// and green byte the row, so a composed pixel shows where it was taken from.
void AddRoom(Scene& scene) {
    auto* room = static_cast<Bitmap*>(scene.CreateElement("Bitmap"));
    auto picture = std::make_unique<Sprite>();
    ASSERT_TRUE(picture->Create(1024, 768));
    for (int32_t y = 0; y < 768; ++y) {
        for (int32_t x = 0; x < 1024; ++x) {
            uint8_t* p = picture->Pixels() + (size_t(y) * 1024 + x) * 4;
            p[0] = uint8_t(x);
            p[1] = uint8_t(y);
            p[2] = 7;
            p[3] = 255;
        }
    }
    room->AdoptSprite(std::move(picture));
    room->Position.SetFloat(0, -512.0f);
    room->Position.SetFloat(1, -384.0f);
}

} // namespace

TEST_F(LevelLights, FlashlightShowsTheLevelPictureUnderTheMaskWhereTheMousePointsUntilLocked) {
    AddRoom(scene);
    Add<Light>("Light", "player_light");
    auto* flashlight = Add<Flashlight>("Flashlight", "torch");
    PointAt(100, 50);
    ASSERT_TRUE(flashlight->SwitchOn());
    EXPECT_FALSE(flashlight->SwitchOn()) << "already on";
    scene.Update();
    // The light's corner is the mouse minus half the mask (no shake without globals).
    EXPECT_FLOAT_EQ(flashlight->lightPos.GetFloat(0), 98.0f);
    EXPECT_FLOAT_EQ(flashlight->lightPos.GetFloat(1), 48.0f);
    EXPECT_FLOAT_EQ(flashlight->Position.GetFloat(2), 1000.0f);
    const Sprite* composed = flashlight->Composed();
    ASSERT_NE(composed, nullptr);
    for (int32_t y : {0, 3}) {
        for (int32_t x : {0, 2, 3}) {
            const uint8_t* p = composed->Pixels() + (size_t(y) * kMaskSide + x) * 4;
            EXPECT_EQ(p[0], uint8_t(98 + 512 + x)) << x << "," << y;
            EXPECT_EQ(p[1], uint8_t(48 + 384 + y)) << x << "," << y;
            EXPECT_EQ(p[3], uint8_t(60 * x + 10)) << "the mask's alpha";
        }
    }

    // Half the window past the right edge: the outside part stays empty.
    PointAt(511, 0);
    scene.Update();
    EXPECT_EQ(composed->Pixels()[(1 * kMaskSide + 3) * 4 + 3], 0) << "outside the work image";
    EXPECT_EQ(composed->Pixels()[(1 * kMaskSide + 0) * 4 + 3], 10) << "inside the work image";

    flashlight->lockPos.SetFirstBool(true);
    const float lockedX = flashlight->lightPos.GetFloat(0);
    PointAt(-200, -100);
    scene.Update();
    EXPECT_FLOAT_EQ(flashlight->lightPos.GetFloat(0), lockedX) << "a locked light stays put";
}

TEST_F(LevelLights, FlashlightSwitchesOffOnlyAfterItsFadeAndIsThenRemoved) {
    Add<Light>("Light", "player_light");
    auto* flashlight = Add<Flashlight>("Flashlight", "torch");
    ASSERT_TRUE(flashlight->SwitchOn());
    flashlight->SwitchOff();
    EXPECT_TRUE(flashlight->Messages().empty()) << "refused while the switch-on fade runs";
    for (int i = 0; i < 12; ++i) {
        scene.Update();
    }
    EXPECT_FLOAT_EQ(flashlight->Color.GetFloat(3), 1.0f);
    flashlight->SwitchOff();
    flashlight->SwitchOff();
    EXPECT_EQ(flashlight->Messages().size(), 1u) << "one removal pending";
    for (int i = 0; i < 14; ++i) {
        scene.Update();
    }
    EXPECT_EQ(scene.FindElement("torch"), nullptr);
}

TEST_F(LevelLights, FlashlightWithoutItsLightStaysInert) {
    auto* flashlight = Add<Flashlight>("Flashlight", "torch");
    EXPECT_TRUE(flashlight->SwitchOn());
    scene.Update();
    EXPECT_EQ(flashlight->Composed(), nullptr);
    EXPECT_EQ(flashlight->Mask(), nullptr);
}

TEST_F(LevelLights, LightControlRestsBrightThenDimsOrFlickersInBursts) {
    auto* lamp = Add<Light>("Light", "lamp");
    lamp->Color.SetFloat(3, 1.0f);
    auto* control = Add<LightControl>("LightControl", "flicker");
    control->source.SetFirstString("lamp");
    control->flickerOdds.SetFirstInt(1); // every burst flickers
    control->flickerPeriod.SetFloat(0, 0.5f);
    frameTime = 0.01f;
    scene.Update(); // the first update starts a burst at once (timer 0)
    ASSERT_TRUE(control->InBurst());
    EXPECT_FALSE(control->DimOnly());
    int changes = 0;
    float last = lamp->Color.GetFloat(3);
    bool sawDim = false;
    while (control->InBurst()) {
        scene.Update();
        changes += lamp->Color.GetFloat(3) != last;
        last = lamp->Color.GetFloat(3);
        sawDim = sawDim || last == 0.8f;
    }
    EXPECT_TRUE(sawDim);
    EXPECT_GE(changes, 4) << "alternates every 0.1 s during a 0.5 s burst";
    EXPECT_FLOAT_EQ(lamp->Color.GetFloat(3), 1.0f) << "bright after the burst";
    int restFrames = 0;
    while (!control->InBurst() && restFrames < 1000) {
        scene.Update();
        ++restFrames;
        EXPECT_FLOAT_EQ(lamp->Color.GetFloat(3), 1.0f);
    }
    EXPECT_GE(restFrames, 299);
    EXPECT_LE(restFrames, 501) << "rests 3 to 5 s";

    control->enabled.SetFirstBool(false);
    lamp->Color.SetFloat(3, 0.3f);
    for (int i = 0; i < 200; ++i) {
        scene.Update();
    }
    EXPECT_FLOAT_EQ(lamp->Color.GetFloat(3), 0.3f) << "a disabled control leaves the colour";

    // A zero rate must not step forever in one frame.
    control->enabled.SetFirstBool(true);
    control->flickerRate.SetFirstFloat(0.0f);
    for (int i = 0; i < 600; ++i) {
        scene.Update();
    }
    SUCCEED();
}
