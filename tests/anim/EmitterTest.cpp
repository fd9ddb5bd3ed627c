// The particle emitter: spawning, shapes, motion, fades and its drawing.
#include "anim/Emitter.h"
#include "app/EngineClasses.h"
#include "core/ClassRegistry.h"
#include "core/FrameTime.h"
#include "core/Scene.h"
#include "io/Resources.h"
#include "render/Bitmap.h"
#include "render/Image.h"
#include "render/Region.h"
#include "render/RenderResources.h"
#include "render/RenderState.h"
#include "render/ScreenCamera.h"
#include "render/ScreenDraw.h"
#include "render/ScreenFrame.h"
#include "render/SpriteBatch.h"
#include "render/WidgetRenderer.h"
#include "support/AllocationCounter.h"
#include "support/EngineSandbox.h"
#include "support/GlTestContext.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace {

void WriteSquare(const char* path, uint32_t side, uint8_t alpha) {
    Image image;
    ASSERT_TRUE(image.Create(side, side));
    for (uint32_t y = 0; y < side; ++y) {
        for (uint32_t x = 0; x < side; ++x) {
            uint8_t* p = image.PixelAt(x, y);
            p[0] = 255;
            p[1] = 255;
            p[2] = 255;
            p[3] = alpha;
        }
    }
    ASSERT_TRUE(image.SaveTga(path));
}

class Emitters : public ::testing::Test {
protected:
    testing_support::EngineSandbox sandbox;
    void SetUp() override {
        RegisterEngineClasses();
        InstallRenderResourceLoaders();
        InstallWidgetRenderer();
        Resources::lookupEnabled = Resources::storeEnabled = true;
        WriteSquare("dot.tga", 4, 255);
        WriteSquare("clear.tga", 8, 0);
        frameTime = 0.1f;
        std::srand(3);
    }

    Emitter* Add(const char* name) {
        auto* emitter = static_cast<Emitter*>(scene.CreateElement("Emitter"));
        scene.RenameElement(*emitter, name);
        emitter->SpritePath.SetFirstString("dot.tga");
        emitter->Fade.SetFirstInt(0);
        return emitter;
    }
    void Run(float seconds) {
        for (int i = 0; i < int(std::lround(seconds / frameTime)); ++i) {
            scene.Update();
        }
    }

    Scene scene;
};

} // namespace

TEST_F(Emitters, BurstsAtTheRateShareOnePlaceUnlessDistributed) {
    Emitter* shared = Add("shared");
    Emitter* spread = Add("spread");
    for (Emitter* e : {shared, spread}) {
        e->Quantity.SetFirstInt(3);
        e->Lifetime.SetFirstFloat(10.0f);
        e->PositionVariance.SetFloat(0, 50.0f);
        e->PositionVariance.SetFloat(1, 50.0f);
    }
    spread->DistributeVariance.SetFirstBool(true);
    frameTime = 1.0f / 32.0f;
    scene.Update(); // the first update only starts the emitter
    Run(2.0f);      // a burst at once, then one every 0.2 s
    EXPECT_NEAR(shared->LiveCount(), 30, 3);
    EXPECT_EQ(shared->LiveCount() % 3, 0);
    EXPECT_EQ(spread->LiveCount(), shared->LiveCount());
    const auto& s = shared->Particles();
    const auto& d = spread->Particles();
    for (size_t burst = 0; burst < 15; burst += 3) {
        EXPECT_EQ(s[burst].x, s[burst + 2].x);
        EXPECT_EQ(s[burst].y, s[burst + 1].y);
    }
    EXPECT_NE(d[0].x, d[1].x);

    // Dead records are reused, so the pool stops growing.
    const size_t pool = shared->Particles().size();
    shared->Lifetime.SetFirstFloat(0.5f);
    shared->Clear();
    Run(5.0f);
    EXPECT_EQ(shared->Particles().size(), pool);
}

TEST_F(Emitters, AlphaFadesInAndOutOverTheLifetime) {
    Emitter* e = Add("e");
    e->Fade.SetFirstInt(Emitter::kFadeIn | Emitter::kFadeOut);
    e->AutoSpawn.SetFirstBool(false);
    scene.Update();
    Particle* p = e->SpawnParticle();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->alpha, 0.0f);
    const float expected[] = {0.0f, 0.2f, 0.4f, 0.6f, 0.8f, 1.0f, 0.8f, 0.6f, 0.4f, 0.2f};
    for (float alpha : expected) {
        scene.Update();
        EXPECT_NEAR(e->Particles()[0].alpha, alpha, 1e-4);
    }
    EXPECT_EQ(e->LiveCount(), 0);
}

TEST_F(Emitters, VelocitySpinAndInfluenceMoveParticlesAsSet) {
    Emitter* e = Add("e");
    e->AutoSpawn.SetFirstBool(false);
    e->VelocityVariance.SetFloat(0, 30.0f);
    e->VelocityVariance.SetFloat(1, 30.0f);
    e->VelocityRange.SetFloat(0, 100.0f);
    e->VelocityRange.SetFloat(1, 100.0f);
    e->Spin.SetFirstFloat(1.0f);
    e->Lifetime.SetFirstFloat(5.0f);
    scene.Update();
    for (int i = 0; i < 20; ++i) {
        const Particle* p = e->SpawnParticle();
        EXPECT_NEAR(std::hypot(p->vx, p->vy), 100.0f, 1e-3);
    }
    scene.Update();
    EXPECT_NEAR(e->Particles()[0].angle, 0.2f, 1e-5); // the property counts twice: 2 radians per second
    EXPECT_NEAR(std::hypot(e->Particles()[0].x, e->Particles()[0].y), 10.0f, 1e-3);

    Emitter* falling = Add("falling");
    falling->AutoSpawn.SetFirstBool(false);
    falling->Influence.SetFloat(1, 10.0f);
    falling->Lifetime.SetFirstFloat(5.0f);
    scene.Update();
    falling->SpawnAt(1, 0.0f, 0.0f);
    Run(1.0f);
    EXPECT_NEAR(falling->Particles()[0].vy, 10.0f, 1e-4);
    EXPECT_NEAR(falling->Particles()[0].y, 4.5f, 1e-3); // velocity updated after the move
}

TEST_F(Emitters, SpawnEdgeMakesOneBurstAndHidingKillsEveryParticle) {
    Emitter* e = Add("e");
    e->AutoSpawn.SetFirstBool(false);
    e->Quantity.SetFirstInt(2);
    e->Lifetime.SetFirstFloat(10.0f);
    e->Spawn.SetFirstBool(true);
    Run(0.5f);
    EXPECT_EQ(e->LiveCount(), 2);
    e->Spawn.SetFirstBool(true); // still true: no new edge
    Run(0.3f);
    EXPECT_EQ(e->LiveCount(), 2);
    e->Spawn.SetFirstBool(false);
    scene.Update();
    e->Spawn.SetFirstBool(true);
    scene.Update();
    EXPECT_EQ(e->LiveCount(), 4);

    // Unbound particles stay where they are when the emitter moves.
    const float x = e->Particles()[0].x;
    e->Position.SetFloat(0, 100.0f);
    scene.Update();
    EXPECT_FLOAT_EQ(e->Particles()[0].x, x);

    e->Visible.SetFirstBool(false);
    scene.Update();
    EXPECT_EQ(e->LiveCount(), 0);
    e->Visible.SetFirstBool(true);
    scene.Update();
    EXPECT_EQ(e->LiveCount(), 0);
}

TEST_F(Emitters, ParticlesSpawnInsideTheirRegionOrAtTheOriginOfAClearBitmap) {
    auto* region = static_cast<Region*>(scene.CreateElement("Region"));
    scene.RenameElement(*region, "pond");
    region->RegionText.SetFirstString("0,0, 40,0, 40,40, 20,10, 0,40"); // concave at the top
    region->Position.SetFloat(0, 300.0f);
    auto* clear = static_cast<Bitmap*>(scene.CreateElement("Bitmap"));
    scene.RenameElement(*clear, "clear");
    clear->SpritePath.SetFirstString("clear.tga");

    Emitter* inPond = Add("inpond");
    inPond->Pattern.SetFirstString("pond");
    inPond->Position.SetFloat(0, -50.0f); // the pattern, not the emitter, places them
    Emitter* onClear = Add("onclear");
    onClear->Pattern.SetFirstString("clear");
    onClear->Position.SetFloat(0, 70.0f);
    for (Emitter* e : {inPond, onClear}) {
        e->Rate.SetFirstFloat(50.0f);
        e->Lifetime.SetFirstFloat(10.0f);
    }
    scene.Update();
    Run(1.0f);
    ASSERT_GT(inPond->LiveCount(), 20);
    for (const Particle& p : inPond->Particles()) {
        EXPECT_TRUE(region->ContainsLocal(Vec2{p.x - 300.0f, p.y})) << p.x << ", " << p.y;
    }
    ASSERT_GT(onClear->LiveCount(), 20);
    for (const Particle& p : onClear->Particles()) {
        EXPECT_FLOAT_EQ(p.x, 70.0f);
        EXPECT_FLOAT_EQ(p.y, 0.0f);
    }
}

TEST_F(Emitters, ARateThatCannotBePositiveSpawnsNothingAndModelModeLogsOnce) {
    Emitter* idle = Add("idle");
    idle->Rate.SetFirstFloat(0.0f);
    Emitter* negative = Add("negative");
    negative->Rate.SetFirstFloat(-3.0f);
    negative->RateVariance.SetFirstFloat(-1.0f);
    Run(1.0f);
    EXPECT_EQ(idle->Particles().size(), 0u);
    EXPECT_EQ(negative->Particles().size(), 0u);
    idle->RateVariance.SetFirstFloat(10.0f); // a positive variance may spawn
    Run(1.0f);
    EXPECT_GT(idle->LiveCount(), 0);

    testing_support::LogCapture log;
    idle->EmitterMode.SetFirstInt(Emitter::kMode3D);
    scene.Update();
    EXPECT_TRUE(idle->Draw());
    EXPECT_TRUE(idle->Draw());
    EXPECT_EQ(log.Lines().size(), 1u);
}

TEST_F(Emitters, ASteadyEmitterAllocatesNothingAndDrawsInOneCall) {
    GL_TEST_CONTEXT_OR_SKIP(gl, 64, 48);
    Emitter* e = Add("e");
    e->Rate.SetFirstFloat(100.0f);
    e->Quantity.SetFirstInt(5);
    e->Lifetime.SetFirstFloat(0.5f);
    e->PositionVariance.SetFloat(0, 10.0f);
    e->PositionVariance.SetFloat(1, 10.0f);
    e->Spin.SetFirstFloat(1.0f);
    e->BlendMode.SetFirstInt(2);
    frameTime = 1.0f / 65.0f;
    auto frame = [&] {
        ResetScreenCamera();
        scene.Update();
        RenderStack::SetColor(0.0f, 0.0f, 0.0f, 1.0f);
        ClearScreen();
        RenderStack::SetColor(1.0f, 1.0f, 1.0f, 1.0f);
        LoadScreenProjectionAndCamera();
        scene.Draw();
    };
    for (int i = 0; i < 130; ++i) {
        frame(); // reaches the peak population
    }
    ASSERT_GT(e->LiveCount(), 100);
    const int64_t callsBefore = SpriteBatch::DrawCalls();
    size_t allocations = 0;
    {
        testing_support::AllocationCounter counter;
        for (int i = 0; i < 30; ++i) {
            frame();
        }
        allocations = counter.Count();
    }
    EXPECT_EQ(SpriteBatch::DrawCalls() - callsBefore, 30);
    if (testing_support::AllocationCounter::Available()) {
        EXPECT_EQ(allocations, 0u);
    }
    // Additive white dots within 10 + 2 pixels of the centre (32, 24), nothing beyond.
    int inside = 0;
    int outside = 0;
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 64; ++x) {
            const bool lit = gl.ReadPixel(x, y).r > 0;
            const bool near = std::abs(x - 32) <= 13 && std::abs(y - 24) <= 13;
            (near ? inside : outside) += lit ? 1 : 0;
        }
    }
    EXPECT_GT(inside, 150);
    EXPECT_EQ(outside, 0);
}
