// Update and draw of a scene of 2,000 bitmaps in a widget tree: CPU time per
// frame and heap allocations per frame (zero in the steady state), against
// the update alone. Needs a display (xvfb-run); skipped without one.
#include "app/EngineClasses.h"
#include "core/ClassRegistry.h"
#include "core/FrameTime.h"
#include "core/Scene.h"
#include "io/Resources.h"
#include "platform/GameWindow.h"
#include "render/Bitmap.h"
#include "render/Image.h"
#include "render/RenderContext.h"
#include "render/RenderResources.h"
#include "render/RenderState.h"
#include "render/ScreenCamera.h"
#include "render/ScreenFrame.h"
#include "render/Sprite.h"
#include "render/WidgetRenderer.h"

#include "support/AllocationCounter.h"

#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr int kBitmaps = 2000;

bool OpenContext() {
    static bool open = [] {
        if (!CreateGameWindow(1024, 768)) {
            return false;
        }
        InitRenderContext(1024, 768);
        ClearRegistry();
        RegisterEngineClasses();
        StartResourcesAndRenderer();
        ResetScreenCamera();
        for (int i = 0; i < 8; ++i) {
            Image image;
            image.Create(32, 32);
            for (uint32_t p = 0; p < 32 * 32 * 4; ++p) {
                image.Pixels()[p] = static_cast<uint8_t>(p * (i + 3));
            }
            char path[64];
            std::snprintf(path, sizeof path, "/tmp/dunhaven-bench-%d.tga", i);
            image.SaveTga(path);
        }
        return true;
    }();
    return open;
}

std::unique_ptr<Scene> MakeBitmapScene() {
    auto scene = std::make_unique<Scene>();
    Widget* parent = scene.get();
    for (int i = 0; i < kBitmaps; ++i) {
        auto* bitmap = new Bitmap;
        char name[16], path[64];
        std::snprintf(name, sizeof name, "b%04d", i);
        std::snprintf(path, sizeof path, "/tmp/dunhaven-bench-%d.tga", i % 8);
        bitmap->Name.SetFirstString(name);
        bitmap->SpritePath.SetFirstString(path);
        bitmap->Position.SetFloat(0, static_cast<float>((i * 37) % 900 - 450));
        bitmap->Position.SetFloat(1, static_cast<float>((i * 53) % 700 - 350));
        bitmap->Position.SetFloat(2, static_cast<float>(i % 7));
        bitmap->Rotation.SetFirstFloat(static_cast<float>(i % 3) * 15.0f);
        bitmap->BlendMode.SetFirstInt(1);
        scene->AddElement(bitmap, name);
        // Trees four deep, so colours and matrices go down real chains.
        AttachChild(i % 4 == 0 ? scene.get() : parent, bitmap);
        parent = bitmap;
    }
    return scene;
}

void Frame(Scene& scene, bool draw) {
    scene.Update();
    if (draw) {
        LoadScreenProjectionAndCamera();
        scene.Draw();
        glFinish();
        EvictUnusedTextures(true);
    }
}

void RunScene(benchmark::State& state, bool draw) {
    if (!OpenContext()) {
        state.SkipWithError("no display: run under xvfb-run");
        return;
    }
    auto scene = MakeBitmapScene();
    frameTime = 1.0f / 65.0f;
    for (int i = 0; i < 20; ++i) {
        Frame(*scene, draw); // uploads and list sizes settle
    }
    size_t allocations = 0;
    {
        testing_support::AllocationCounter counter;
        for (auto _ : state) {
            Frame(*scene, draw);
        }
        allocations = counter.Count();
    }
    state.counters["allocations_per_frame"] =
        static_cast<double>(allocations) / static_cast<double>(state.iterations());
}

void BitmapSceneUpdateAndDraw(benchmark::State& state) {
    RunScene(state, true);
}
BENCHMARK(BitmapSceneUpdateAndDraw)->Unit(benchmark::kMillisecond)->UseRealTime();

void BitmapSceneUpdateOnly(benchmark::State& state) {
    RunScene(state, false);
}
BENCHMARK(BitmapSceneUpdateOnly)->Unit(benchmark::kMillisecond);

} // namespace
