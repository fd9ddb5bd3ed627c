// Particle cost: an emitter keeping about 10,000 particles alive (100 bursts
// of 100 per second, one second of life, spinning and fading), updated and
// drawn once per frame at 1/65 s, against a plain loop that moves the same
// number of points (position += velocity · dt, velocity += gravity · dt) in
// the same run. Reported per particle: the update alone and update + draw
// (up to glFinish), each as a ratio to the plain loop, the draw calls per
// frame, and the heap allocations counted inside each timed frame (0
// expected; the counter is restarted per frame because the benchmark
// library's own loop allocates).
//
// Needs a display (run under xvfb-run -a -s "-screen 0 1024x768x24"); without
// one the benchmark reports that it was skipped.
#include "anim/Emitter.h"
#include "app/EngineClasses.h"
#include "core/ClassRegistry.h"
#include "core/FrameTime.h"
#include "core/Scene.h"
#include "io/Resources.h"
#include "render/Image.h"
#include "render/RenderResources.h"
#include "render/RenderState.h"
#include "render/ScreenCamera.h"
#include "render/ScreenDraw.h"
#include "render/ScreenFrame.h"
#include "render/SpriteBatch.h"
#include "render/WidgetRenderer.h"

#include "support/AllocationCounter.h"
#include "support/GlTestContext.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

struct Point {
    float x, y, vx, vy;
};

// The reference: what moving the same number of points costs at the least.
void MovePoints(std::vector<Point>& points, float dt) {
    for (Point& p : points) {
        p.x += p.vx * dt;
        p.y += p.vy * dt;
        p.vy += 40.0f * dt;
    }
    benchmark::DoNotOptimize(points.data());
}

bool WriteDot(const char* path) {
    Image image;
    if (!image.Create(8, 8)) {
        return false;
    }
    for (uint32_t y = 0; y < 8; ++y) {
        for (uint32_t x = 0; x < 8; ++x) {
            uint8_t* p = image.PixelAt(x, y);
            p[0] = p[1] = p[2] = 255;
            p[3] = uint8_t((x > 1 && x < 6 && y > 1 && y < 6) ? 255 : 80);
        }
    }
    return image.SaveTga(path);
}

void BM_Emitter10000Particles(benchmark::State& state) {
    testing_support::GlTestContext window(1024, 768);
    if (!window.Available()) {
        state.SkipWithError("skipped: no display for an OpenGL context; run under xvfb-run");
        return;
    }
    ClearRegistry();
    RegisterEngineClasses();
    InstallRenderResourceLoaders();
    InstallWidgetRenderer();
    Resources::lookupEnabled = Resources::storeEnabled = true;
    const char* dot = "emitter_bench_dot.tga";
    if (!WriteDot(dot)) {
        state.SkipWithError("could not write the particle picture");
        return;
    }
    frameTime = 1.0f / 65.0f;
    {
        Scene scene;
        auto* emitter = static_cast<Emitter*>(scene.CreateElement("Emitter"));
        emitter->SpritePath.SetFirstString(dot);
        emitter->Rate.SetFirstFloat(100.0f);
        emitter->Quantity.SetFirstInt(100);
        emitter->DistributeVariance.SetFirstBool(true);
        emitter->Lifetime.SetFirstFloat(1.0f);
        emitter->PositionVariance.SetFloat(0, 400.0f);
        emitter->PositionVariance.SetFloat(1, 300.0f);
        emitter->VelocityVariance.SetFloat(0, 50.0f);
        emitter->VelocityVariance.SetFloat(1, 50.0f);
        emitter->Influence.SetFloat(1, 40.0f);
        emitter->Spin.SetFirstFloat(1.0f);
        emitter->BlendMode.SetFirstInt(2);
        emitter->ReservePool(12000);

        auto frame = [&](double& update, double& total) {
            ResetScreenCamera();
            ClearScreen();
            glFinish();
            const auto start = Clock::now();
            scene.Update();
            const auto updated = Clock::now();
            LoadScreenProjectionAndCamera();
            scene.Draw();
            glFinish();
            const auto end = Clock::now();
            update += Seconds(start, updated);
            total += Seconds(start, end);
        };
        double ignored = 0;
        for (int i = 0; i < 200; ++i) {
            frame(ignored, ignored); // up to the steady population
        }
        std::vector<Point> points(size_t(emitter->LiveCount()));
        for (size_t i = 0; i < points.size(); ++i) {
            points[i] = Point{float(i % 800), float(i / 800), float(i % 7), -float(i % 5)};
        }
        double update = 0, total = 0, plain = 0;
        double live = 0;
        const int64_t callsBefore = SpriteBatch::DrawCalls();
        size_t allocated = 0;
        for (auto _ : state) {
            testing_support::AllocationCounter allocations;
            frame(update, total);
            live += emitter->LiveCount();
            const auto start = Clock::now();
            MovePoints(points, frameTime);
            plain += Seconds(start, Clock::now());
            allocated += allocations.Count();
        }
        const double iterations = double(state.iterations());
        const double perFrame = live / iterations;
        state.counters["live_particles"] = perFrame;
        state.counters["update_ns_per_particle"] = update / live * 1e9;
        state.counters["frame_ns_per_particle"] = total / live * 1e9;
        state.counters["plain_ns_per_point"] = plain / (iterations * double(points.size())) * 1e9;
        state.counters["update/plain"] = (update / live) / (plain / (iterations * double(points.size())));
        state.counters["frame/plain"] = (total / live) / (plain / (iterations * double(points.size())));
        state.counters["draw_calls_per_frame"] = double(SpriteBatch::DrawCalls() - callsBefore) / iterations;
        state.counters["allocations"] =
            testing_support::AllocationCounter::Available() ? double(allocated) : -1.0;
    }
    Resources::Shutdown();
    ClearRegistry();
    std::remove(dot);
}
BENCHMARK(BM_Emitter10000Particles)->Unit(benchmark::kMillisecond)->Iterations(300);

} // namespace
